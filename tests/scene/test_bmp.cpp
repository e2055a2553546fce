// Tests of the BMP reader: pixel layouts, padding, palettes, the header checks and damaged files.
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

using namespace scenetest;

namespace {

class BmpTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = makeScratchDir();
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& name, const Bytes& bytes) {
        auto path = dir / name;
        writeFile(path, bytes);
        return path.string();
    }

    // Message of the EBMPTEXError that readBmpHeader raises for the file.
    static std::string headerFailure(const std::string& file) {
        int32_t w = 0, h = 0;
        try {
            readBmpHeader(file, w, h);
        } catch (const EBMPTEXError& e) {
            return e.what();
        }
        ADD_FAILURE() << "no error for " << file;
        return "";
    }
};

std::vector<PaletteEntry> distinctPalette(int n) {
    std::vector<PaletteEntry> p;
    for (int i = 0; i < n; ++i)
        p.push_back({uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF)});
    return p;
}

void expectPixel(const TTextureImage& img, int x, int y, PaletteEntry c) {
    size_t at = (size_t(y) * img.Width + x) * 3;
    ASSERT_LT(at + 2, img.Pixels.size());
    EXPECT_EQ(img.Pixels[at], c.R) << "red of " << x << "," << y;
    EXPECT_EQ(img.Pixels[at + 1], c.G) << "green of " << x << "," << y;
    EXPECT_EQ(img.Pixels[at + 2], c.B) << "blue of " << x << "," << y;
}

} // namespace

TEST_F(BmpTest, TwentyFourBitRowsSkipPaddingAndKeepBottomRowFirst) {
    BmpLayout s;
    s.Width = 3;
    s.Height = 2;
    // stored bottom row first, pixels as blue, green, red
    s.Rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
    TTextureImage img = loadTextureImage(write("a.bmp", buildBmp(s)));
    EXPECT_EQ(img.Width, 3);
    EXPECT_EQ(img.Height, 2);
    Bytes expected{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16};
    EXPECT_EQ(img.Pixels, expected);
}

TEST_F(BmpTest, EightBitWidthSixGivesWidthEightWithPaddingColumns) {
    BmpLayout s;
    s.Width = 6;
    s.Height = 2;
    s.Bits = 8;
    s.Palette = distinctPalette(256);
    s.Rows = {{0, 1, 2, 3, 4, 5}, {250, 251, 252, 253, 254, 255}};
    s.PadByte = 77;
    const std::string file = write("p8.bmp", buildBmp(s));
    int32_t w = 0, h = 0;
    readBmpHeader(file, w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 2);
    TTextureImage img = loadTextureImage(file);
    ASSERT_EQ(img.Width, 8);
    ASSERT_EQ(img.Pixels.size(), 8u * 2 * 3);
    for (int x = 0; x < 6; ++x) {
        expectPixel(img, x, 0, s.Palette[x]);
        expectPixel(img, x, 1, s.Palette[250 + x]);
    }
    // the two extra columns come from the padding bytes of each row
    for (int y = 0; y < 2; ++y) {
        expectPixel(img, 6, y, s.Palette[77]);
        expectPixel(img, 7, y, s.Palette[77]);
    }
}

TEST_F(BmpTest, FourBitTakesHighNibbleFirst) {
    BmpLayout s;
    s.Width = 6;
    s.Height = 1;
    s.Bits = 4;
    s.Palette = distinctPalette(16);
    s.Rows = {{0x12, 0x34, 0x5F}};
    s.PadByte = 0x9A;
    TTextureImage img = loadTextureImage(write("p4.bmp", buildBmp(s)));
    ASSERT_EQ(img.Width, 8);
    ASSERT_EQ(img.Height, 1);
    const int indices[8] = {1, 2, 3, 4, 5, 15, 9, 10};
    for (int x = 0; x < 8; ++x)
        expectPixel(img, x, 0, s.Palette[indices[x]]);
}

TEST_F(BmpTest, PaletteLengthFollowsUsedColoursField) {
    BmpLayout s;
    s.Width = 4;
    s.Height = 1;
    s.Bits = 8;
    s.UsedColours = 3;
    s.Palette = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    s.Rows = {{2, 1, 0, 9}}; // index 9 lies beyond the palette
    TTextureImage img = loadTextureImage(write("u.bmp", buildBmp(s)));
    expectPixel(img, 0, 0, {0, 0, 200});
    expectPixel(img, 1, 0, {0, 200, 0});
    expectPixel(img, 2, 0, {200, 0, 0});
    expectPixel(img, 3, 0, {0, 0, 0});
}

TEST_F(BmpTest, LargestPictureIsAcceptedOneMoreIsTooBig) {
    TTextureImage img = loadTextureImage(write("big.bmp", solidBmp(1024, 1024, {10, 20, 30})));
    EXPECT_EQ(img.Width, 1024);
    EXPECT_EQ(img.Height, 1024);
    expectPixel(img, 1023, 1023, {10, 20, 30});
    expectPixel(img, 0, 0, {10, 20, 30});

    BmpLayout wide;
    wide.Width = 1025;
    wide.Height = 10;
    const std::string f1 = write("wide.bmp", buildBmp(wide));
    EXPECT_EQ(headerFailure(f1),
              "BMP " + f1 + " Load exception: The picture is too big:   1025 x    10");
    BmpLayout tall;
    tall.Width = 10;
    tall.Height = 1025;
    const std::string f2 = write("tall.bmp", buildBmp(tall));
    EXPECT_EQ(headerFailure(f2),
              "BMP " + f2 + " Load exception: The picture is too big:     10 x  1025");
}

TEST_F(BmpTest, HeaderChecksGiveTheirTexts) {
    for (uint16_t bits : {1, 16, 32}) {
        BmpLayout s;
        s.Width = 2;
        s.Height = 2;
        s.Bits = bits;
        const std::string f = write("bits" + std::to_string(bits) + ".bmp", buildBmp(s));
        std::string count = std::to_string(bits);
        EXPECT_EQ(headerFailure(f), "BMP " + f + " Load exception: Bad pixel size: " +
                                        std::string(6 - count.size(), ' ') + count);
    }
    BmpLayout rle;
    rle.Width = 2;
    rle.Height = 2;
    rle.Bits = 8;
    rle.Compression = 1;
    const std::string f1 = write("rle.bmp", buildBmp(rle));
    EXPECT_EQ(headerFailure(f1), "BMP " + f1 + " Load exception: Can't handle compressed images");

    BmpLayout core;
    core.Width = 2;
    core.Height = 2;
    core.HeaderSize = 12;
    const std::string f2 = write("core.bmp", buildBmp(core));
    EXPECT_EQ(headerFailure(f2), "BMP " + f2 + " Load exception: Bad CORE header");

    const std::string f3 = (dir / "missing.bmp").string();
    EXPECT_EQ(headerFailure(f3).rfind("BMP " + f3 + " Load I/O error: ", 0), 0u);
}

TEST_F(BmpTest, TextFileFailsWithTheBmpMessageThroughAddTexture) {
    const std::string txt = "This is a plain text file, neither a bitmap nor a JPEG picture.\n";
    const std::string f = write("notes.txt", Bytes(txt.begin(), txt.end()));
    try {
        addTexture(f, "notes");
        FAIL() << "a text file was accepted";
    } catch (const EPfdError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "1200-UnOpenGL: BMP " + f + " Load exception: Bad Bitmap file");
    }
    // a file too short for the headers is no bitmap either
    const std::string tiny = write("tiny.txt", Bytes{'h', 'i'});
    EXPECT_EQ(headerFailure(tiny), "BMP " + tiny + " Load exception: Bad Bitmap file");
    EXPECT_THROW(loadTextureImage(tiny), EPfdError);
}

TEST_F(BmpTest, TruncatedPixelDataLeavesZeros) {
    Bytes full = solidBmp(4, 4, {1, 2, 3});
    // keep the first row (12 bytes) and two pixels of the second
    full.resize(54 + 12 + 6);
    TTextureImage img = loadTextureImage(write("cut.bmp", full));
    ASSERT_EQ(img.Pixels.size(), 4u * 4 * 3);
    for (int x = 0; x < 4; ++x)
        expectPixel(img, x, 0, {1, 2, 3});
    expectPixel(img, 0, 1, {1, 2, 3});
    expectPixel(img, 1, 1, {1, 2, 3});
    expectPixel(img, 2, 1, {0, 0, 0});
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            expectPixel(img, x, y, {0, 0, 0});

    // pixel data offset beyond the end of the file: nothing to read, all zero
    Bytes far = solidBmp(2, 2, {9, 9, 9});
    far[10] = 0xFF;
    far[11] = 0xFF;
    far[12] = 0xFF;
    far[13] = 0x7F;
    TTextureImage none = loadTextureImage(write("far.bmp", far));
    EXPECT_EQ(none.Pixels, Bytes(2 * 2 * 3, 0));
}

TEST_F(BmpTest, DamagedPaletteCountsDoNotCrash) {
    for (uint32_t used : {257u, 1000000u, 0xFFFFFFFFu}) {
        BmpLayout s;
        s.Width = 4;
        s.Height = 1;
        s.Bits = 8;
        s.UsedColours = used;
        s.Palette = distinctPalette(4);
        s.Rows = {{0, 1, 2, 3}};
        TTextureImage img = loadTextureImage(write("pal.bmp", buildBmp(s)));
        EXPECT_EQ(img.Width, 4);
        EXPECT_EQ(img.Pixels.size(), 4u * 3);
    }
    // more than 256 entries stored: the first 256 are the palette
    BmpLayout many;
    many.Width = 4;
    many.Height = 1;
    many.Bits = 8;
    many.UsedColours = 300;
    many.Palette = distinctPalette(300);
    many.Rows = {{0, 128, 254, 255}};
    TTextureImage big = loadTextureImage(write("many.bmp", buildBmp(many)));
    expectPixel(big, 0, 0, many.Palette[0]);
    expectPixel(big, 1, 0, many.Palette[128]);
    expectPixel(big, 3, 0, many.Palette[255]);

    // a palette cut short by the end of the file: the missing entries are black
    BmpLayout s;
    s.Width = 4;
    s.Height = 1;
    s.Bits = 4;
    s.Palette = distinctPalette(2);
    Bytes b = buildBmp(s); // 16 entries announced, 2 present, no pixel rows
    TTextureImage img = loadTextureImage(write("short.bmp", b));
    EXPECT_EQ(img.Pixels.size(), 4u * 3);
}

TEST_F(BmpTest, NonPositiveSizesAreRejected) {
    struct Case {
        int32_t w, h;
        const char* text;
    } cases[] = {{4, -4, "     4 x    -4"}, {0, 4, "     0 x     4"}, {-8, 2, "    -8 x     2"}};
    for (const Case& c : cases) {
        BmpLayout s;
        s.Width = c.w;
        s.Height = c.h;
        const std::string f = write("neg.bmp", buildBmp(s));
        EXPECT_EQ(headerFailure(f),
                  "BMP " + f + " Load exception: The picture size is not valid: " + c.text);
        EXPECT_THROW(loadTextureImage(f), EPfdError);
    }
}
