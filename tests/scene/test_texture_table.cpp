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

class TextureTableTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = makeScratchDir();
    std::string red, green, blue;

    void SetUp() override {
        textureTable.clear();
        setTextureUploader(nullptr);
        red = (dir / "red.bmp").string();
        green = (dir / "green.bmp").string();
        blue = (dir / "blue.bmp").string();
        writeFile(red, solidBmp(2, 2, {255, 0, 0}));
        writeFile(green, solidBmp(4, 2, {0, 255, 0}));
        writeFile(blue, solidBmp(2, 4, {0, 0, 255}));
    }
    void TearDown() override {
        setTextureUploader(nullptr);
        textureTable.clear();
        std::filesystem::remove_all(dir);
    }

    std::vector<std::string> tableFiles() const {
        std::vector<std::string> files;
        for (const TTextureObj& t : textureTable)
            files.push_back(t.TexName + "=" + t.FileName);
        return files;
    }

    // Writes a stored table block: T, then per entry path and name as length-prefixed strings.
    std::string writeTable(const std::vector<std::pair<std::string, std::string>>& entries,
                           int32_t count) {
        Bytes b;
        put32(b, static_cast<uint32_t>(count));
        for (const auto& [path, name] : entries) {
            put32(b, static_cast<uint32_t>(path.size()));
            b.insert(b.end(), path.begin(), path.end());
            put32(b, static_cast<uint32_t>(name.size()));
            b.insert(b.end(), name.begin(), name.end());
        }
        auto file = dir / "table.bin";
        writeFile(file, b);
        return file.string();
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

    deleteTexture(found); // only the name matters
    EXPECT_EQ(tableFiles(), (std::vector<std::string>{"wall=" + red, "floor=" + green}));

    TTextureObj stranger;
    stranger.TexName = "roof";
    deleteTexture(stranger);
    EXPECT_EQ(tableFiles(), (std::vector<std::string>{"wall=" + red, "floor=" + green}));

    // names compare case-sensitively
    EXPECT_THROW(FindTexture("Wall"), EPfdError);
}

TEST_F(TextureTableTest, MissingNameGivesCode1800) {
    addTexture(red, "wall");
    try {
        FindTexture("marble");
        FAIL() << "found a texture that was never added";
    } catch (const EPfdError& e) {
        EXPECT_EQ(std::string(e.what()), "1800-UnOpenGL: Texture marble not found");
    }
}

TEST_F(TextureTableTest, WithoutUploaderIdsAreDistinctPlaceholders) {
    addTexture(red, "a");
    addTexture(red, "b");
    ASSERT_EQ(textureTable.size(), 2u);
    EXPECT_GE(textureTable[0].TexId, 0);
    EXPECT_GE(textureTable[1].TexId, 0);
    EXPECT_NE(textureTable[0].TexId, textureTable[1].TexId);
}

TEST_F(TextureTableTest, UploaderReceivesUploadsAndReleases) {
    FakeUploader gl;
    setTextureUploader(&gl);
    EXPECT_EQ(textureUploader(), &gl);
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
    const auto file = dir / "saved.bin";
    {
        TExtrStream s(file.string(), TExtrStreamMode::Create);
        saveTextureTable(s);
        s.Free();
    }
    EXPECT_EQ(readFile(file), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

    addTexture(red, "ab");
    addTexture(green, "c");
    {
        TExtrStream s(file.string(), TExtrStreamMode::Create);
        saveTextureTable(s);
        s.Free();
    }
    Bytes expected;
    put32(expected, 1);
    put32(expected, static_cast<uint32_t>(red.size()));
    expected.insert(expected.end(), red.begin(), red.end());
    expected.insert(expected.end(), {2, 0, 0, 0, 'a', 'b'});
    put32(expected, static_cast<uint32_t>(green.size()));
    expected.insert(expected.end(), green.begin(), green.end());
    expected.insert(expected.end(), {1, 0, 0, 0, 'c'});
    EXPECT_EQ(readFile(file), expected);
}

TEST_F(TextureTableTest, LoadTakesFilesFromTheGivenDirectory) {
    addTexture(blue, "old"); // replaced by the loaded table
    const std::string table = writeTable({{"C:\\Textures\\red.bmp", "wall"},
                                          {"/home/someone/pics/green.bmp", "floor"},
                                          {"D:blue.bmp", "sky"}},
                                         2);
    FakeSink sink;
    TExtrStream s(table, TExtrStreamMode::Read);
    loadTextureTable(s, dir.string() + "/", &sink);
    EXPECT_EQ(s.remaining(), 0);
    s.Free();
    const std::string d = dir.string() + "/";
    EXPECT_EQ(tableFiles(),
              (std::vector<std::string>{"wall=" + d + "red.bmp", "floor=" + d + "green.bmp",
                                        "sky=" + d + "blue.bmp"}));
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"Loading texture  red.bmp", "Loading texture  green.bmp",
                                        "Loading texture  blue.bmp"}));
    EXPECT_EQ(FindTexture("sky").Image->Height, 4);

    // a directory without its trailing separator still joins correctly
    TExtrStream again(table, TExtrStreamMode::Read);
    loadTextureTable(again, dir.string(), nullptr);
    again.Free();
    EXPECT_EQ(textureTable.size(), 3u);
    EXPECT_EQ(textureTable[0].FileName, d + "red.bmp");
}

TEST_F(TextureTableTest, LoadingAnEmptyTableAddsNothing) {
    addTexture(red, "wall");
    const std::string table = writeTable({}, -1);
    TExtrStream s(table, TExtrStreamMode::Read);
    loadTextureTable(s, dir.string() + "/", nullptr);
    s.Free();
    EXPECT_TRUE(textureTable.empty());
}

TEST_F(TextureTableTest, DamagedTableIsRefused) {
    // counts that the file cannot hold
    for (int32_t count : {-2, 1000000, 0x7FFFFFFF}) {
        const std::string table = writeTable({{"red.bmp", "wall"}}, count);
        TExtrStream s(table, TExtrStreamMode::Read);
        EXPECT_THROW(loadTextureTable(s, dir.string() + "/", nullptr), EExtrStrError) << count;
        EXPECT_TRUE(textureTable.empty());
    }
    // a name whose length runs past the end of the file
    Bytes b;
    put32(b, 0);
    put32(b, 7);
    b.insert(b.end(), {'r', 'e', 'd', '.', 'b', 'm', 'p'});
    put32(b, 0x10000000);
    b.insert(b.end(), {'w', 'a', 'l', 'l'});
    writeFile(dir / "long.bin", b);
    TExtrStream s((dir / "long.bin").string(), TExtrStreamMode::Read);
    EXPECT_THROW(loadTextureTable(s, dir.string() + "/", nullptr), EExtrStrError);
    EXPECT_TRUE(textureTable.empty());
}

TEST_F(TextureTableTest, UnreadableImageStopsTheLoadAndKeepsEarlierTextures) {
    const std::string table =
        writeTable({{"red.bmp", "wall"}, {"gone.bmp", "floor"}, {"blue.bmp", "sky"}}, 2);
    TExtrStream s(table, TExtrStreamMode::Read);
    try {
        loadTextureTable(s, dir.string() + "/", nullptr);
        FAIL() << "a missing image was accepted";
    } catch (const EPfdError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "1200-UnOpenGL: BMP " + dir.string() + "/gone.bmp Load I/O error: ", 0),
                  0u)
            << e.what();
    }
    EXPECT_EQ(tableFiles(), (std::vector<std::string>{"wall=" + dir.string() + "/red.bmp"}));
}

TEST(FileNamePart, AcceptsEverySeparator) {
    EXPECT_EQ(FileNamePart("C:\\a\\b\\wood.bmp"), "wood.bmp");
    EXPECT_EQ(FileNamePart("/usr/share/wood.jpg"), "wood.jpg");
    EXPECT_EQ(FileNamePart("D:wood.bmp"), "wood.bmp");
    EXPECT_EQ(FileNamePart("mixed\\dir/wood.bmp"), "wood.bmp");
    EXPECT_EQ(FileNamePart("wood.bmp"), "wood.bmp");
    EXPECT_EQ(FileNamePart("dir/"), "");
}
