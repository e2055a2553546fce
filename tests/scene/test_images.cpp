// Tests of the image loaders: BMP pixel layouts, padding, palettes, header checks and damaged
// files; JPEG colours and row order, grey pictures, damaged files and scan limits.
#include "JpegEncode.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ImageTest = SceneTest;

std::vector<PaletteEntry> distinctPalette(int n) {
    std::vector<PaletteEntry> p;
    for (int i = 0; i < n; ++i)
        p.push_back({uint8_t(i), uint8_t(255 - i), uint8_t((i * 7) & 0xFF)});
    return p;
}

// The message readBmpHeader raises for the file.
std::string headerFailure(const std::string& file) {
    int32_t w = 0, h = 0;
    return thrownMessage<EBMPTEXError>([&] { readBmpHeader(file, w, h); });
}

// 16 x 8 picture: top half red | green, bottom half blue | yellow.
PaletteEntry blockColour(int x, int y) {
    if (y < 4) return x < 8 ? PaletteEntry{255, 0, 0} : PaletteEntry{0, 255, 0};
    return x < 8 ? PaletteEntry{0, 0, 255} : PaletteEntry{255, 255, 0};
}

Bytes blockPicture() {
    Bytes rgb;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            rgb.insert(rgb.end(), {blockColour(x, y).R, blockColour(x, y).G, blockColour(x, y).B});
    return rgb;
}

} // namespace

TEST_F(ImageTest, BmpTwentyFourBitRowsSkipPaddingAndKeepBottomRowFirstUpToTheLargest) {
    // stored bottom row first, pixels as blue, green, red
    BmpLayout s{.Width = 3, .Height = 2};
    s.Rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {10, 11, 12, 13, 14, 15, 16, 17, 18}};
    TTextureImage img = loadTextureImage(write("a.bmp", buildBmp(s)));
    EXPECT_EQ(img.Width, 3);
    EXPECT_EQ(img.Height, 2);
    EXPECT_EQ(img.Pixels, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}));

    // The largest picture is accepted.
    img = loadTextureImage(write("big.bmp", solidBmp(1024, 1024, {10, 20, 30})));
    EXPECT_EQ(std::tie(img.Width, img.Height), std::make_tuple(1024, 1024));
    Bytes want;
    for (int i = 0; i < 1024 * 1024; ++i)
        want.insert(want.end(), {10, 20, 30});
    EXPECT_EQ(img.Pixels, want);
}

TEST_F(ImageTest, BmpPalettePicturesIndexTheirPaletteAndWidenToFourPixels) {
    // clang-format off
    // width, height, bits, compression, header size, used colours, palette, rows, row padding;
    // then the palette index of each pixel, row by row, -1 for black
    const std::pair<BmpLayout, std::vector<std::vector<int>>> cases[] = {
        // 8 bits, width 6: the two extra columns come from the padding bytes of each row
        {{6, 2, 8, 0, 40, 0, distinctPalette(256),
          {{0, 1, 2, 3, 4, 5}, {250, 251, 252, 253, 254, 255}}, 77},
         {{0, 1, 2, 3, 4, 5, 77, 77}, {250, 251, 252, 253, 254, 255, 77, 77}}},
        // 4 bits: high nibble first
        {{6, 1, 4, 0, 40, 0, distinctPalette(16), {{0x12, 0x34, 0x5F}}, 0x9A},
         {{1, 2, 3, 4, 5, 15, 9, 10}}},
        // the palette length follows the used-colours field
        {{4, 1, 8, 0, 40, 3, distinctPalette(3), {{2, 1, 0, 9}}}, {{2, 1, 0, -1}}},
        // damaged counts: at most 256 entries, never more than the file holds
        {{4, 1, 8, 0, 40, 257, distinctPalette(4), {{0, 1, 2, 3}}}, {{0, 1, 2, 3}}},
        {{4, 1, 8, 0, 40, 1000000, distinctPalette(4), {{0, 1, 2, 3}}}, {{0, 1, 2, 3}}},
        {{4, 1, 8, 0, 40, 0xFFFFFFFF, distinctPalette(4), {{0, 1, 2, 3}}}, {{0, 1, 2, 3}}},
        {{4, 1, 8, 0, 40, 300, distinctPalette(300), {{0, 128, 254, 255}}}, {{0, 128, 254, 255}}},
        // 16 entries announced, 2 present, no pixel rows: missing entries and pixels are black
        {{4, 1, 4, 0, 40, 0, distinctPalette(2)}, {{-1, -1, -1, -1}}},
    };
    // clang-format on
    for (const auto& [s, want] : cases) {
        SCOPED_TRACE(testing::Message() << s.Bits << " bits, used " << s.UsedColours << ", "
                                        << s.Palette.size() << " stored");
        const std::string file = write("p.bmp", buildBmp(s));
        int32_t w = 0, h = 0;
        readBmpHeader(file, w, h);
        EXPECT_EQ(w, int32_t(want[0].size()));
        EXPECT_EQ(h, int32_t(want.size()));
        TTextureImage img = loadTextureImage(file);
        Bytes expected;
        for (const auto& row : want)
            for (int index : row) {
                const PaletteEntry p = index < 0 ? PaletteEntry{0, 0, 0} : s.Palette[index];
                expected.insert(expected.end(), {p.R, p.G, p.B});
            }
        EXPECT_EQ(img.Width, w);
        EXPECT_EQ(img.Pixels, expected);
    }
}

TEST_F(ImageTest, BmpHeaderChecksGiveTheirTexts) {
    const std::pair<BmpLayout, std::string> cases[] = {
        // width, height, bits, compression, header size
        {{1025, 10}, "The picture is too big:   1025 x    10"},
        {{10, 1025}, "The picture is too big:     10 x  1025"},
        {{2, 2, 1}, "Bad pixel size:      1"},
        {{2, 2, 16}, "Bad pixel size:     16"},
        {{2, 2, 32}, "Bad pixel size:     32"},
        {{2, 2, 8, 1}, "Can't handle compressed images"},
        {{2, 2, 24, 0, 12}, "Bad CORE header"},
        {{4, -4}, "The picture size is not valid:      4 x    -4"},
        {{0, 4}, "The picture size is not valid:      0 x     4"},
        {{-8, 2}, "The picture size is not valid:     -8 x     2"},
    };
    for (const auto& [layout, text] : cases) {
        SCOPED_TRACE(text);
        const std::string f = write("h.bmp", buildBmp(layout));
        const std::string want = "BMP " + f + " Load exception: " + text;
        EXPECT_EQ(headerFailure(f), want);
        EXPECT_EQ(thrownMessage<EPfdError>([&] { loadTextureImage(f); }), want);
    }
    const std::string missing = (dir / "missing.bmp").string();
    EXPECT_EQ(headerFailure(missing).rfind("BMP " + missing + " Load I/O error: ", 0), 0u);
}

TEST_F(ImageTest, BmpTruncatedPixelDataLeavesZeros) {
    Bytes full = solidBmp(4, 4, {1, 2, 3});
    // keep the first row (12 bytes) and two pixels of the second
    full.resize(54 + 12 + 6);
    Bytes expected(4 * 4 * 3, 0);
    for (size_t i = 0; i < 18; ++i)
        expected[i] = uint8_t(i % 3 + 1);
    EXPECT_EQ(loadTextureImage(write("cut.bmp", full)).Pixels, expected);

    // pixel data offset beyond the end of the file: nothing to read, all zero
    Bytes far = solidBmp(2, 2, {9, 9, 9});
    far[10] = far[11] = far[12] = 0xFF;
    far[13] = 0x7F;
    EXPECT_EQ(loadTextureImage(write("far.bmp", far)).Pixels, Bytes(2 * 2 * 3, 0));
}

TEST_F(ImageTest, JpegAddTextureDecodesColoursWithTheBottomRowFirst) {
    const std::string f = write("blocks.jpg", encodeJpeg(16, 8, 3, blockPicture()));
    addTexture(f, "blocks");
    const auto image = FindTexture("blocks").Image;
    ASSERT_TRUE(image);
    const TTextureImage& img = *image;
    ASSERT_EQ(img.Width, 16);
    ASSERT_EQ(img.Height, 8);
    ASSERT_EQ(img.Pixels.size(), 16u * 8 * 3);
    // The colour edges ring slightly even at quality 100. Buffer row 0 is the picture's bottom.
    const int tolerance = 24;
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 16; ++x) {
            const PaletteEntry want = blockColour(x, 7 - row);
            const uint8_t* p = &img.Pixels[(size_t(row) * 16 + x) * 3];
            EXPECT_NEAR(p[0], want.R, tolerance) << x << "," << row;
            EXPECT_NEAR(p[1], want.G, tolerance) << x << "," << row;
            EXPECT_NEAR(p[2], want.B, tolerance) << x << "," << row;
        }
}

TEST_F(ImageTest, JpegGreyPictureBecomesRgb) {
    Bytes grey(8 * 8, 200);
    std::fill(grey.begin(), grey.begin() + 32, 40); // top half dark
    TTextureImage img = loadJpegImage(write("grey.jpg", encodeJpeg(8, 8, 1, grey)));
    ASSERT_EQ(img.Pixels.size(), 8u * 8 * 3);
    for (int row = 0; row < 8; ++row) {
        const uint8_t* p = &img.Pixels[size_t(row) * 8 * 3];
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_NEAR(p[0], row < 4 ? 200 : 40, 12) << row;
    }
}

TEST_F(ImageTest, DamagedOrOversizedJpegIsRefused) {
    Bytes good = encodeJpeg(16, 8, 3, blockPicture());
    // cut inside the compressed data: an early end is an error, not a half grey picture
    Bytes cut(good.begin(), good.end() - 12);
    const std::string cutFile = write("cut.jpg", cut);
    const std::string early = thrownMessage<EBMPTEXError>([&] { loadJpegImage(cutFile); });
    EXPECT_NE(early.find("Premature end of JPEG file"), std::string::npos) << early;
    // Neither a bitmap nor a JPEG picture: the texture's message is the BMP reader's.
    Bytes garbage{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x13, 0x37, 0x42, 0x00};
    for (const Bytes& bad : {cut, garbage, Bytes{}}) {
        const std::string f = write("bad.jpg", bad);
        EXPECT_THROW(loadJpegImage(f), EBMPTEXError);
        EXPECT_EQ(thrownMessage<EPfdError>([&] { addTexture(f, "bad"); }),
                  "1200-UnOpenGL: BMP " + f + " Load exception: Bad Bitmap file");
    }
    EXPECT_THROW(loadJpegImage((dir / "missing.jpg").string()), EBMPTEXError);

    const std::string wide = write("wide.jpg", encodeJpeg(1025, 8, 1, Bytes(1025 * 8, 128)));
    const std::string m = thrownMessage<EBMPTEXError>([&] { loadJpegImage(wide); });
    EXPECT_NE(m.find("The picture is too big:   1025 x     8"), std::string::npos) << m;
}

TEST_F(ImageTest, JpegProgressiveScansDecodeButEndlesslyRepeatedOnesAreRefused) {
    const Bytes progressive = encodeJpeg(16, 8, 3, blockPicture(), true);
    const TTextureImage img = loadJpegImage(write("p.jpg", progressive));
    EXPECT_EQ(img.Width, 16);
    // Repeat the first scan (its header and data, up to the next marker) 150 times.
    const Bytes sos{0xFF, 0xDA};
    auto scan = std::search(progressive.begin(), progressive.end(), sos.begin(), sos.end());
    ASSERT_NE(scan, progressive.end());
    auto next = scan + 2;
    while (!(next[0] == 0xFF && next[1] != 0x00 && (next[1] < 0xD0 || next[1] > 0xD7)))
        ++next;
    Bytes repeated(progressive.begin(), next);
    for (int k = 0; k < 150; ++k)
        repeated.insert(repeated.end(), scan, next);
    repeated.insert(repeated.end(), next, progressive.end());
    const std::string f = write("repeated.jpg", repeated);
    EXPECT_EQ(thrownMessage<EBMPTEXError>([&] { loadJpegImage(f); }),
              "JPEG " + f + " Load exception: The picture has more than 100 scans");
}
