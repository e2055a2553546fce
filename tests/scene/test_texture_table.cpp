// Tests of the texture table: lookup, deletion, the uploader, and its block in the object file.
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

namespace fs = std::filesystem;

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

class TextureTableTest : public SceneTest {
  protected:
    std::string d, red, green, blue; // d: the directory with its separator

    void SetUp() override {
        SceneTest::SetUp();
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
        ByteWriter w;
        w.i32(high);
        for (const std::string& text : strings)
            w.str(text);
        return w.b;
    }
    std::string writeTable(const std::vector<std::string>& strings, int32_t high) {
        return write("table.bin", tableBytes(strings, high));
    }

    // Loads a stored table, which it reads to its end, and returns the images not loaded.
    std::vector<std::string> loadTable(const std::string& file, const std::string& directory) {
        TExtrStream s(file, TExtrStreamMode::Read);
        std::vector<std::string> problems = loadTextureTable(s, directory, nullptr);
        EXPECT_EQ(s.remaining(), 0);
        return problems;
    }

    Bytes savedTable() {
        const auto file = dir / "saved.bin";
        TExtrStream s(file.string(), TExtrStreamMode::Create);
        saveTextureTable(s);
        s.Free();
        return readBytes(file);
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
    EXPECT_EQ(thrownMessage<EPfdError>([] { FindTexture("Wall"); }),
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
    EXPECT_EQ(thrownMessage<EOGLError>([&] { addTexture(red, "wall"); }),
              "1285: OpenGL: Error in building texture");
    EXPECT_TRUE(textureTable.empty());

    // a failed load never reaches the uploader
    gl.failUpload = false;
    gl.calls.clear();
    EXPECT_THROW(addTexture((dir / "none.bmp").string(), "none"), EPfdError);
    EXPECT_TRUE(gl.calls.empty());
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

TEST_F(TextureTableTest, LoadFindsImagesBesideTheDocumentOrWhereTheyWereAndKeepsTheOthers) {
    addTexture(blue, "old"); // replaced by the loaded table
    const fs::path elsewhere = dir / "elsewhere";
    fs::create_directory(elsewhere);
    writeBytes(elsewhere / "blue.bmp", solidBmp(2, 4, {0, 0, 255}));
    fs::remove(blue);
    write("bad.bmp", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    ASSERT_EQ(mkfifo((dir / "pipe.bmp").c_str(), 0600), 0); // would block a reader for ever
    const std::string gone = "C:\\Old\\gone.bmp", gone2 = "D:gone.bmp";
    const std::string away = (elsewhere / "blue.bmp").string();
    const std::string table = writeTable({"red.bmp", "wall", gone, "floor", "bad.bmp", "sky", away,
                                          "sea", "pipe.bmp", "roof", gone2, "door"},
                                         5);
    FakeUploader gl;
    setTextureUploader(&gl);
    // The directory may come without its separator.
    const std::vector<std::string> problems = loadTable(table, dir.string());

    // Beside the document first, then at the stored path; a missing entry keeps what was stored.
    // A stored path's folder ends at its last "\", "/" or ":".
    EXPECT_EQ(tableFiles(), (std::vector<std::string>{"wall=" + d + "red.bmp", "floor=" + gone,
                                                      "sky=" + d + "bad.bmp", "sea=" + away,
                                                      "roof=" + d + "pipe.bmp", "door=" + gone2}));
    std::vector<int32_t> ids;
    for (const TTextureObj& t : textureTable)
        ids.push_back(t.Image ? t.TexId : -t.TexId * 100);
    EXPECT_EQ(ids, (std::vector<int32_t>{41, 100, 100, 42, 100, 100}));
    EXPECT_EQ(problems,
              (std::vector<std::string>{d + "gone.bmp: not found",
                                        d + "bad.bmp: Load exception: Bad Bitmap file",
                                        d + "pipe.bmp: Load I/O error: not a regular file"}));
    const std::string message = textureProblemsMessage(problems);
    EXPECT_EQ(message.substr(0, message.find('\n')),
              "These texture images were not found or could not be read; the faces that use them "
              "show their colour:");
    EXPECT_EQ(message.substr(message.find('\n'), 2), "\n\n");
    EXPECT_NE(message.find("\n" + d + "gone.bmp: not found\n"), std::string::npos);
    EXPECT_EQ(textureProblemsMessage({}), "");
    EXPECT_NE(textureProblemsMessage(std::vector<std::string>(25, "x")).find("\n... and 5 more"),
              std::string::npos);

    // Nothing is lost: saving writes every entry back, the missing ones as they were stored.
    setTextureUploader(nullptr);
    EXPECT_EQ(savedTable(), tableBytes({d + "red.bmp", "wall", gone, "floor", d + "bad.bmp", "sky",
                                        away, "sea", d + "pipe.bmp", "roof", gone2, "door"},
                                       5));
    // An empty table empties the texture table.
    loadTable(writeTable({}, -1), d);
    EXPECT_TRUE(textureTable.empty());
}

TEST_F(TextureTableTest, OneImageFileIsDecodedOnceAndTheTablesMemoryIsBounded) {
    FakeUploader gl;
    setTextureUploader(&gl);
    const fs::path link = dir / "link.bmp";
    fs::create_symlink(red, link);
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    for (int i = 0; i < 400; ++i)
        addTexture(i % 2 ? red : link.string(), "t" + std::to_string(i));
#pragma GCC diagnostic pop
    ASSERT_EQ(textureTable.size(), 400u);
    for (const TTextureObj& t : textureTable) {
        EXPECT_EQ(t.Image, textureTable[0].Image);
        EXPECT_EQ(t.TexId, 41);
    }
    EXPECT_EQ(textureTable[0].FileName, link.string()); // each entry keeps the path it was given
    // The shared texture is released with the last entry that uses it.
    deleteTexture(FindTexture("t0"));
    addTexture(green, "g");
    clearTextureTable();
    EXPECT_EQ(gl.calls,
              (std::vector<std::string>{"upload 2x2", "upload 4x2", "release 41", "release 42"}));

    // A 512 x 512 picture takes 768 KB: the second one passes a 1 MB bound.
    const size_t before = setTextureMemoryLimit(size_t(1) << 20);
    const std::string big1 = write("big1.bmp", solidBmp(512, 512, {1, 2, 3}));
    const std::string big2 = write("big2.bmp", solidBmp(512, 512, {4, 5, 6}));
    addTexture(big1, "a");
    addTexture(big1, "b"); // shared: no more memory
    EXPECT_EQ(thrownMessage<EPfdError>([&] { addTexture(big2, "c"); }),
              "1200-UnOpenGL: Texture " + big2 +
                  " not loaded: the textures need more than 1 MB of memory");
    EXPECT_EQ(textureTable.size(), 2u);
    setTextureMemoryLimit(before);
}

TEST(FileNamePart, AcceptsEverySeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\a\\b\\wood.bmp", "wood.bmp"}, {"/usr/share/wood.jpg", "wood.jpg"},
        {"D:wood.bmp", "wood.bmp"},         {"mixed\\dir/wood.bmp", "wood.bmp"},
        {"wood.bmp", "wood.bmp"},           {"dir/", ""}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(FileNamePart(path), name) << path;
}
