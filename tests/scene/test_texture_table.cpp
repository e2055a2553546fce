// Tests of the texture table: lookup, deletion, the uploader, and its block in the object file.
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

using namespace scenetest;

namespace {

class FakeUploader : public TTextureUploader {
  public:
    std::vector<std::string> calls;
    int32_t nextId = 41;
    bool failUpload = false;
    int32_t upload(const TTextureImage& image) override {
        if (failUpload) raiseGLError(1285, "Error in building texture");
        calls.push_back("upload " + std::to_string(image.Width) + "x" +
                        std::to_string(image.Height));
        return nextId++;
    }
    void release(int32_t texId) override { calls.push_back("release " + std::to_string(texId)); }
};

class FakeSink : public TMessageSink {
  public:
    std::vector<std::string> lines;
    void SetMessageString(const std::string& text) override { lines.push_back(text); }
};

class TextureTableTest : public ScratchTest {
  protected:
    std::string d, red, green, blue; // d: the directory with its separator

    void SetUp() override {
        ScratchTest::SetUp();
        d = dir.string() + "/";
        red = write("red.bmp", solidBmp(2, 2, {255, 0, 0}));
        green = write("green.bmp", solidBmp(4, 2, {0, 255, 0}));
        blue = write("blue.bmp", solidBmp(2, 4, {0, 0, 255}));
    }

    std::vector<std::string> tableFiles() const {
        std::vector<std::string> files;
        for (const TTextureObj& t : textureTable)
            files.push_back(t.TexName + "=" + t.FileName);
        return files;
    }

    // A stored table block: the highest index, then per entry path and name as strings with a
    // 4-byte length.
    static Bytes tableBytes(const std::vector<std::string>& strings, int32_t high) {
        Bytes b;
        put32(b, static_cast<uint32_t>(high));
        for (const std::string& text : strings) {
            put32(b, static_cast<uint32_t>(text.size()));
            b.insert(b.end(), text.begin(), text.end());
        }
        return b;
    }
    std::string writeTable(const std::vector<std::string>& strings, int32_t high) {
        return write("table.bin", tableBytes(strings, high));
    }

    void loadTable(const std::string& file, const std::string& directory,
                   TMessageSink* sink = nullptr) {
        TExtrStream s(file, TExtrStreamMode::Read);
        loadTextureTable(s, directory, sink);
        EXPECT_EQ(s.remaining(), 0);
    }

    Bytes savedTable() {
        const auto file = dir / "saved.bin";
        TExtrStream s(file.string(), TExtrStreamMode::Create);
        saveTextureTable(s);
        s.Free();
        return readFile(file);
    }
};

} // namespace

TEST_F(TextureTableTest, FindReturnsTheFirstAndDeleteRemovesTheLastOfDuplicates) {
    addTexture(red, "wall");
    addTexture(green, "floor");
    addTexture(blue, "wall");
    TTextureObj found = FindTexture("wall");
    EXPECT_EQ(found.FileName, red);
    ASSERT_TRUE(found.Image);
    EXPECT_EQ(found.Image->Width, 2);
    // without an uploader the ids are distinct placeholders
    EXPECT_GE(textureTable[0].TexId, 0);
    EXPECT_GE(textureTable[2].TexId, 0);
    EXPECT_NE(textureTable[0].TexId, textureTable[2].TexId);

    deleteTexture(found); // only the name matters
    const std::vector<std::string> left{"wall=" + red, "floor=" + green};
    EXPECT_EQ(tableFiles(), left);
    TTextureObj stranger;
    stranger.TexName = "roof";
    deleteTexture(stranger);
    EXPECT_EQ(tableFiles(), left);

    // names compare case-sensitively
    EXPECT_EQ(messageOf<EPfdError>([] { FindTexture("Wall"); }),
              "1800-UnOpenGL: Texture Wall not found");
}

TEST_F(TextureTableTest, UploaderReceivesUploadsAndReleases) {
    FakeUploader gl;
    setTextureUploader(&gl);
    addTexture(red, "wall");
    addTexture(green, "floor");
    addTexture(blue, "wall");
    EXPECT_EQ(textureTable[0].TexId, 41);
    EXPECT_EQ(textureTable[2].TexId, 43);

    deleteTexture(FindTexture("wall"));
    clearTextureTable();
    EXPECT_TRUE(textureTable.empty());
    EXPECT_EQ(gl.calls, (std::vector<std::string>{"upload 2x2", "upload 4x2", "upload 2x4",
                                                  "release 43", "release 41", "release 42"}));

    // a failed upload leaves the table as it was
    gl.failUpload = true;
    EXPECT_THROW(addTexture(red, "wall"), EOGLError);
    EXPECT_TRUE(textureTable.empty());

    // a failed load never reaches the uploader
    gl.failUpload = false;
    gl.calls.clear();
    EXPECT_THROW(addTexture((dir / "none.bmp").string(), "none"), EPfdError);
    EXPECT_TRUE(gl.calls.empty());
}

TEST_F(TextureTableTest, SavedTableBytes) {
    EXPECT_EQ(savedTable(), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    addTexture(red, "ab");
    addTexture(green, "c");
    EXPECT_EQ(savedTable(), tableBytes({red, "ab", green, "c"}, 1));
}

TEST_F(TextureTableTest, LoadTakesFilesFromTheGivenDirectory) {
    addTexture(blue, "old"); // replaced by the loaded table
    const std::string table =
        writeTable({"C:\\Textures\\red.bmp", "wall", "/home/someone/pics/green.bmp", "floor",
                    "D:blue.bmp", "sky"},
                   2);
    FakeSink sink;
    loadTable(table, d, &sink);
    EXPECT_EQ(tableFiles(),
              (std::vector<std::string>{"wall=" + d + "red.bmp", "floor=" + d + "green.bmp",
                                        "sky=" + d + "blue.bmp"}));
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"Loading texture  red.bmp", "Loading texture  green.bmp",
                                        "Loading texture  blue.bmp"}));
    EXPECT_EQ(FindTexture("sky").Image->Height, 4);

    // a directory without its trailing separator still joins correctly
    loadTable(table, dir.string());
    EXPECT_EQ(textureTable.size(), 3u);
    EXPECT_EQ(textureTable[0].FileName, d + "red.bmp");

    // an empty table empties the texture table
    loadTable(writeTable({}, -1), d);
    EXPECT_TRUE(textureTable.empty());
}

TEST_F(TextureTableTest, DamagedTableIsRefused) {
    // a name whose length runs past the end of the file
    Bytes longName = tableBytes({"red.bmp"}, 0);
    longName.insert(longName.end(), {0, 0, 0, 0x10, 'w', 'a', 'l', 'l'});
    // and counts that the file cannot hold
    for (const Bytes& bad :
         {longName, tableBytes({"red.bmp", "wall"}, -2), tableBytes({"red.bmp", "wall"}, 1000000),
          tableBytes({"red.bmp", "wall"}, 0x7FFFFFFF)}) {
        TExtrStream s(write("bad.bin", bad), TExtrStreamMode::Read);
        EXPECT_THROW(loadTextureTable(s, d, nullptr), EExtrStrError);
        EXPECT_TRUE(textureTable.empty());
    }
}

TEST_F(TextureTableTest, UnreadableImageStopsTheLoadAndKeepsEarlierTextures) {
    const std::string table =
        writeTable({"red.bmp", "wall", "gone.bmp", "floor", "blue.bmp", "sky"}, 2);
    TExtrStream s(table, TExtrStreamMode::Read);
    const std::string m = messageOf<EPfdError>([&] { loadTextureTable(s, d, nullptr); });
    EXPECT_EQ(m.rfind("1200-UnOpenGL: BMP " + d + "gone.bmp Load I/O error: ", 0), 0u) << m;
    EXPECT_EQ(tableFiles(), (std::vector<std::string>{"wall=" + d + "red.bmp"}));
}

TEST(FileNamePart, AcceptsEverySeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a\\b\\wood.bmp", "wood.bmp"}, {"/usr/share/wood.jpg", "wood.jpg"},
        {"D:wood.bmp", "wood.bmp"},         {"mixed\\dir/wood.bmp", "wood.bmp"},
        {"wood.bmp", "wood.bmp"},           {"dir/", ""}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(FileNamePart(path), name) << path;
}
