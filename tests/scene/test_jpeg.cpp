// Tests of the JPEG loader: colours and row order, grey pictures, damaged files.
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

using namespace scenetest;

namespace {

// Encodes a top-down picture (rows of width * components bytes) at quality 100 without chroma
// subsampling.
Bytes encodeJpeg(int width, int height, int components, const Bytes& topDown) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &mem, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<uint8_t*>(topDown.data()) + size_t(cinfo.next_scanline) * width * components;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(mem, mem + size);
    std::free(mem);
    return out;
}

struct Rgb {
    int R, G, B;
};

// 16 x 8 picture: top half red | green, bottom half blue | yellow.
Rgb blockColour(int x, int y) {
    if (y < 4) return x < 8 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
    return x < 8 ? Rgb{0, 0, 255} : Rgb{255, 255, 0};
}

Bytes blockPicture() {
    Bytes rgb;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgb c = blockColour(x, y);
            rgb.insert(rgb.end(), {uint8_t(c.R), uint8_t(c.G), uint8_t(c.B)});
        }
    return rgb;
}

class JpegTest : public ::testing::Test {
  protected:
    std::filesystem::path dir = makeScratchDir();
    void TearDown() override {
        std::filesystem::remove_all(dir);
        textureTable.clear();
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        auto path = dir / name;
        writeFile(path, bytes);
        return path.string();
    }
};

} // namespace

TEST_F(JpegTest, DecodesColoursWithTheBottomRowFirst) {
    const std::string f = write("blocks.jpg", encodeJpeg(16, 8, 3, blockPicture()));
    TTextureImage img = loadTextureImage(f);
    ASSERT_EQ(img.Width, 16);
    ASSERT_EQ(img.Height, 8);
    ASSERT_EQ(img.Pixels.size(), 16u * 8 * 3);
    const int tolerance = 24; // the colour edges ring slightly even at quality 100
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 16; ++x) {
            Rgb want = blockColour(x, 7 - row); // buffer row 0 is the bottom of the picture
            const uint8_t* p = &img.Pixels[(size_t(row) * 16 + x) * 3];
            EXPECT_NEAR(p[0], want.R, tolerance) << x << "," << row;
            EXPECT_NEAR(p[1], want.G, tolerance) << x << "," << row;
            EXPECT_NEAR(p[2], want.B, tolerance) << x << "," << row;
        }
}

TEST_F(JpegTest, GreyPictureBecomesRgb) {
    Bytes grey;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            grey.push_back(y < 4 ? 40 : 200);
    TTextureImage img = loadJpegImage(write("grey.jpg", encodeJpeg(8, 8, 1, grey)));
    ASSERT_EQ(img.Pixels.size(), 8u * 8 * 3);
    for (int row = 0; row < 8; ++row) {
        const uint8_t* p = &img.Pixels[size_t(row) * 8 * 3];
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        EXPECT_NEAR(p[0], row < 4 ? 200 : 40, 12) << row;
    }
}

TEST_F(JpegTest, AddTextureTakesJpegFiles) {
    const std::string f = write("blocks.jpg", encodeJpeg(16, 8, 3, blockPicture()));
    addTexture(f, "blocks");
    TTextureObj t = FindTexture("blocks");
    EXPECT_EQ(t.FileName, f);
    ASSERT_TRUE(t.Image);
    EXPECT_EQ(t.Image->Width, 16);
    EXPECT_EQ(t.Image->Height, 8);
    EXPECT_GE(t.TexId, 0);
}

TEST_F(JpegTest, DamagedJpegFailsWithTheBmpMessage) {
    Bytes good = encodeJpeg(16, 8, 3, blockPicture());
    // cut inside the compressed data: an early end is an error, not a half grey picture
    Bytes cut(good.begin(), good.end() - 12);
    try {
        loadJpegImage(write("cut.jpg", cut));
        ADD_FAILURE() << "truncated JPEG accepted";
    } catch (const EBMPTEXError& e) {
        EXPECT_NE(std::string(e.what()).find("Premature end of JPEG file"), std::string::npos)
            << e.what();
    }
    Bytes garbage{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x02, 0x13, 0x37, 0x42, 0x00};
    for (const Bytes& bad : {cut, garbage, Bytes{}}) {
        const std::string f = write("bad.jpg", bad);
        EXPECT_THROW(loadJpegImage(f), EBMPTEXError);
        try {
            loadTextureImage(f);
            ADD_FAILURE() << "damaged JPEG accepted";
        } catch (const EPfdError& e) {
            EXPECT_EQ(std::string(e.what()), "BMP " + f + " Load exception: Bad Bitmap file");
        }
    }
    EXPECT_THROW(loadJpegImage((dir / "missing.jpg").string()), EBMPTEXError);
}

TEST_F(JpegTest, OversizedJpegIsRejected) {
    Bytes row(1025 * 8, 128);
    const std::string f = write("wide.jpg", encodeJpeg(1025, 8, 1, row));
    try {
        loadJpegImage(f);
        FAIL() << "a 1025 pixel wide picture was accepted";
    } catch (const EBMPTEXError& e) {
        EXPECT_NE(std::string(e.what()).find("The picture is too big:   1025 x     8"),
                  std::string::npos)
            << e.what();
    }
}
