// Offscreen OpenGL test context: the Qt application, a compatibility context and a framebuffer.
#include "gl_fixture.h"

#include <QGuiApplication>
#include <QSurfaceFormat>

void GlTest::SetUp() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(format);
    surface->create();
    context = std::make_unique<QOpenGLContext>();
    context->setFormat(format);
    ASSERT_TRUE(context->create()) << "no OpenGL context (run under xvfb-run -a)";
    ASSERT_TRUE(context->makeCurrent(surface.get()));
    fbo = std::make_unique<QOpenGLFramebufferObject>(W, H, QOpenGLFramebufferObject::Depth);
    ASSERT_TRUE(fbo->isValid() && fbo->bind());
    scene.smoothShading = false;
    initScene(W, H);
    const GLfloat none[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
