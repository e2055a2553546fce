// Tests of the JPEG loader: colours and row order, grey pictures, damaged files.
#include "JpegEncode.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

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

using JpegTest = SceneTest;

} // namespace

TEST_F(JpegTest, AddTextureDecodesColoursWithTheBottomRowFirst) {
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

TEST_F(JpegTest, GreyPictureBecomesRgb) {
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

TEST_F(JpegTest, DamagedOrOversizedJpegIsRefused) {
    Bytes good = encodeJpeg(16, 8, 3, blockPicture());
    // cut inside the compressed data: an early end is an error, not a half grey picture
    Bytes cut(good.begin(), good.end() - 12);
    const std::string cutFile = write("cut.jpg", cut);
    const std::string early = thrownMessage<EBMPTEXError>([&] { loadJpegImage(cutFile); });
    EXPECT_NE(early.find("Premature end of JPEG file"), std::string::npos) << early;
    Bytes garbage{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x13, 0x37, 0x42, 0x00};
    for (const Bytes& bad : {cut, garbage, Bytes{}}) {
        const std::string f = write("bad.jpg", bad);
        EXPECT_THROW(loadJpegImage(f), EBMPTEXError);
        EXPECT_EQ(thrownMessage<EPfdError>([&] { loadTextureImage(f); }),
                  "BMP " + f + " Load exception: Bad Bitmap file");
    }
    EXPECT_THROW(loadJpegImage((dir / "missing.jpg").string()), EBMPTEXError);

    const std::string wide = write("wide.jpg", encodeJpeg(1025, 8, 1, Bytes(1025 * 8, 128)));
    const std::string m = thrownMessage<EBMPTEXError>([&] { loadJpegImage(wide); });
    EXPECT_NE(m.find("The picture is too big:   1025 x     8"), std::string::npos) << m;
}

TEST_F(JpegTest, ProgressiveScansDecodeButEndlesslyRepeatedOnesAreRefused) {
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
