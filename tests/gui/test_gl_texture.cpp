// Texture upload tests: a small RGB image on a textured quad, refused images and deletion.
#include "gl_fixture.h"
#include "tools/export_fixtures.h"

#include "scene/UnBmpTex.h"
#include "scene/UnTextureUpload.h"

using fixtures::fourColours;
using TextureTest = GlTest;

TEST_F(TextureTest, AddedImageShowsItsColoursUprightThenGoesFromTableAndCardAlsoAtShutdown) {
    const std::filesystem::path bmp = std::string(PALVORIN_BINARY_DIR) + "/gl_test_2x2.bmp";
    fixtures::writeFourColoursBmp(bmp);
    addTexture(bmp.string(), "tiles");
    ASSERT_EQ(textureTable.size(), 1u);
    const TTextureObj tex = FindTexture("tiles");
    EXPECT_TRUE(tex.TexId > 0 && glIsTexture(tex.TexId));
    GLint mode = 0, filter = 0, level1 = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE); // the texture matrix, reset, stays selected
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    EXPECT_EQ(level1, 1); // mipmaps built

    int32_t id = 0;
    buildObject(id, {square(-20, -20, 20, 20)}, {1, 1, 1, 1}, false, tex.TexId);
    drawFrame();
    const QImage img = grab();
    EXPECT_TRUE(near(at(img, -10, -10), 1, 0, 0, 0.12)) << "bottom left";
    EXPECT_TRUE(near(at(img, 10, -10), 0, 1, 0, 0.12)) << "bottom right";
    EXPECT_TRUE(near(at(img, -10, 10), 0, 0, 1, 0.12)) << "top left";
    EXPECT_TRUE(near(at(img, 10, 10), 1, 1, 0, 0.12)) << "top right";

    deleteTexture(tex);
    EXPECT_TRUE(textureTable.empty());
    EXPECT_FALSE(glIsTexture(tex.TexId));
    addTexture(bmp.string(), "tiles");
    std::filesystem::remove(bmp);
    const int32_t added = FindTexture("tiles").TexId;
    EXPECT_NE(textureUploader()->upload(fourColours()), added);
    shutdownScene();
    EXPECT_FALSE(glIsTexture(added));
    EXPECT_TRUE(textureTable.empty());
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
