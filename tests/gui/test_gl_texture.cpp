// Texture upload tests: a small RGB image on a textured quad, refused images and deletion.
#include "gl_fixture.h"

#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"
#include "scene/UnTextureUpload.h"

#include <cstdio>
#include <fstream>

namespace {

// 2 x 2 image, bottom row first: red, green / blue, yellow.
TTextureImage fourColours() {
    TTextureImage img;
    img.Width = 2;
    img.Height = 2;
    img.Pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
    return img;
}

void put32(std::ofstream& f, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        f.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::ofstream& f, uint16_t v) {
    f.put(static_cast<char>(v & 0xFF));
    f.put(static_cast<char>(v >> 8));
}

// The same image as a 24-bit BMP file (rows padded to 8 bytes).
std::string writeBmp(const std::string& name) {
    const std::string path = std::string(PALVORIN_BINARY_DIR) + "/" + name;
    std::ofstream f(path, std::ios::binary);
    f.put('B');
    f.put('M');
    put32(f, 14 + 40 + 16);
    put32(f, 0);
    put32(f, 14 + 40);
    put32(f, 40);
    put32(f, 2);
    put32(f, 2);
    put16(f, 1);
    put16(f, 24);
    for (int i = 0; i < 6; ++i)
        put32(f, 0);
    const TTextureImage img = fourColours();
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x) {
            const uint8_t* p = &img.Pixels[(row * 2 + x) * 3];
            f.put(static_cast<char>(p[2]));
            f.put(static_cast<char>(p[1]));
            f.put(static_cast<char>(p[0]));
        }
        f.put(0);
        f.put(0);
    }
    return path;
}

template <class F> std::string messageOf(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

} // namespace

class TextureTest : public GlTest {
  protected:
    QColor at(const QImage& img, float x, float y) const {
        int px = 0, py = 0;
        project({x, y, 0}, px, py);
        return pixel(img, px, py);
    }
    void expectFourColours(int32_t texId, const char* name) {
        int32_t id = 0;
        buildObject(id, {square(-20, -20, 20, 20)}, {1, 1, 1, 1}, false, texId);
        drawFrame();
        const QImage img = grab();
        const ImageNote where{img, name};
        EXPECT_TRUE(near(at(img, -10, -10), 1, 0, 0, 0.12)) << "bottom left " << where;
        EXPECT_TRUE(near(at(img, 10, -10), 0, 1, 0, 0.12)) << "bottom right " << where;
        EXPECT_TRUE(near(at(img, -10, 10), 0, 0, 1, 0.12)) << "top left " << where;
        EXPECT_TRUE(near(at(img, 10, 10), 1, 1, 0, 0.12)) << "top right " << where;
    }
};

TEST_F(TextureTest, UploadedImageShowsItsColoursOnATexturedQuad) {
    const int32_t tex = textureUploader()->upload(fourColours());
    EXPECT_GT(tex, 0);
    EXPECT_TRUE(glIsTexture(tex));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE); // the texture matrix, reset, stays selected
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    GLint level1 = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(level1, 1); // mipmaps built
    expectFourColours(tex, "gl_texture_upload");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, ImageWhoseBufferIsTooShortIsRefused) {
    TTextureImage bad = fourColours();
    bad.Pixels.resize(9);
    EXPECT_EQ(messageOf([&] { textureUploader()->upload(bad); }),
              "100901: OpenGL: Error in building texture");
    TTextureImage empty;
    EXPECT_EQ(messageOf([&] { textureUploader()->upload(empty); }),
              "100901: OpenGL: Error in building texture");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, AddedTextureIsDrawnAndDeletedFromTableAndCard) {
    const std::string path = writeBmp("gl_test_2x2.bmp");
    addTexture(path, "tiles");
    ASSERT_EQ(textureTable.size(), 1u);
    const TTextureObj tex = FindTexture("tiles");
    EXPECT_TRUE(glIsTexture(tex.TexId));
    expectFourColours(tex.TexId, "gl_texture_added");

    deleteTexture(tex);
    EXPECT_TRUE(textureTable.empty());
    EXPECT_FALSE(glIsTexture(tex.TexId));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    std::remove(path.c_str());
}

TEST_F(TextureTest, ShutdownDeletesTheTexturesAndRemovesTheUploader) {
    const int32_t a = textureUploader()->upload(fourColours());
    const std::string path = writeBmp("gl_test_shutdown.bmp");
    addTexture(path, "tiles");
    const int32_t b = FindTexture("tiles").TexId;
    EXPECT_NE(a, b);
    shutdownScene();
    EXPECT_FALSE(glIsTexture(b));
    EXPECT_TRUE(textureTable.empty());
    EXPECT_EQ(textureUploader(), nullptr);
    initScene(W, H);
    EXPECT_NE(textureUploader(), nullptr);
    std::remove(path.c_str());
}
