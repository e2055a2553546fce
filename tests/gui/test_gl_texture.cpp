// Texture upload tests: a small RGB image on a textured quad, refused images and deletion.
#include "gl_fixture.h"
#include "tools/export_fixtures.h"

#include "scene/UnBmpTex.h"
#include "scene/UnTextureUpload.h"

using fixtures::fourColours;

class TextureTest : public GlTest {
  protected:
    const std::filesystem::path bmp = std::string(PALVORIN_BINARY_DIR) + "/gl_test_2x2.bmp";

    void TearDown() override {
        std::filesystem::remove(bmp);
        GlTest::TearDown();
    }
    void expectFourColours(int32_t texId) {
        int32_t id = 0;
        buildObject(id, {square(-20, -20, 20, 20)}, {1, 1, 1, 1}, false, texId);
        drawFrame();
        const QImage img = grab();
        EXPECT_TRUE(near(at(img, -10, -10), 1, 0, 0, 0.12)) << "bottom left";
        EXPECT_TRUE(near(at(img, 10, -10), 0, 1, 0, 0.12)) << "bottom right";
        EXPECT_TRUE(near(at(img, -10, 10), 0, 0, 1, 0.12)) << "top left";
        EXPECT_TRUE(near(at(img, 10, 10), 1, 1, 0, 0.12)) << "top right";
    }
};

TEST_F(TextureTest, UploadedImageShowsItsColoursOnATexturedQuad) {
    const int32_t tex = textureUploader()->upload(fourColours());
    EXPECT_TRUE(tex > 0 && glIsTexture(tex));
    GLint mode = 0, filter = 0, level1 = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE); // the texture matrix, reset, stays selected
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(level1, 1); // mipmaps built
    expectFourColours(tex);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, ImageWhoseBufferIsTooShortIsRefused) {
    TTextureImage shortBuffer = fourColours();
    shortBuffer.Pixels.resize(9);
    for (const TTextureImage& bad : {shortBuffer, TTextureImage{}})
        EXPECT_EQ(messageOf([&] { textureUploader()->upload(bad); }),
                  "100901: OpenGL: Error in building texture");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, AddedTextureIsDrawnThenDeletedFromTableAndCardAlsoAtShutdown) {
    fixtures::writeFourColoursBmp(bmp);
    addTexture(bmp.string(), "tiles");
    ASSERT_EQ(textureTable.size(), 1u);
    const TTextureObj tex = FindTexture("tiles");
    EXPECT_TRUE(glIsTexture(tex.TexId));
    expectFourColours(tex.TexId);
    deleteTexture(tex);
    EXPECT_TRUE(textureTable.empty());
    EXPECT_FALSE(glIsTexture(tex.TexId));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    addTexture(bmp.string(), "tiles");
    const int32_t added = FindTexture("tiles").TexId;
    EXPECT_NE(textureUploader()->upload(fourColours()), added);
    shutdownScene();
    EXPECT_FALSE(glIsTexture(added));
    EXPECT_TRUE(textureTable.empty());
}
