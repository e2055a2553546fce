// Offscreen OpenGL test context: Qt application, compatibility context, framebuffer, pixels.
#include "gl_fixture.h"

#include <QGuiApplication>
#include <QSurfaceFormat>

#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

#include <GL/glu.h>

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
    QOpenGLFramebufferObjectFormat fboFormat;
    fboFormat.setAttachment(QOpenGLFramebufferObject::Depth);
    fbo = std::make_unique<QOpenGLFramebufferObject>(W, H, fboFormat);
    ASSERT_TRUE(fbo->isValid());
    ASSERT_TRUE(fbo->bind());
    scene.smoothShading = false;
    initScene(W, H);
}

void GlTest::TearDown() {
    if (context && surface) context->makeCurrent(surface.get());
    shutdownScene();
    fbo.reset();
    if (context) context->doneCurrent();
    context.reset();
    surface.reset();
}

QImage GlTest::grab() const {
    glFinish();
    return fbo->toImage(true).convertToFormat(QImage::Format_RGB32);
}

QColor GlTest::pixel(const QImage& img, int x, int yFromBottom) {
    return img.pixelColor(x, img.height() - 1 - yFromBottom);
}

void GlTest::project(const Vec3& p, int& x, int& y) {
    GLdouble model[16], proj[16];
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(p.X, p.Y, p.Z, model, proj, view, &wx, &wy, &wz);
    x = static_cast<int>(wx);
    y = static_cast<int>(wy);
}

std::ostream& operator<<(std::ostream& out, const ImageNote& note) {
    const std::string path = std::string(PALVORIN_BINARY_DIR) + "/" + note.name + ".png";
    note.img.save(QString::fromStdString(path));
    return out << "actual image saved as " << path;
}

void PrintTo(const QColor& c, std::ostream* out) {
    *out << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

bool near(const QColor& c, double r, double g, double b, double tol) {
    return std::abs(c.redF() - r) <= tol && std::abs(c.greenF() - g) <= tol &&
           std::abs(c.blueF() - b) <= tol;
}

bool isBackground(const QColor& c) {
    return near(c, 0.7, 0.8, 0.8, 0.02);
}

TestQuad square(float x0, float y0, float x1, float y1, float z) {
    return TestQuad{{{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}},
                    {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}};
}

void buildObject(int32_t& listId, const std::vector<TestQuad>& quads, const ColorF& colour,
                 bool selected, int32_t texId) {
    allocListId(listId);
    TRenderer* r = currentRenderer();
    r->initObject("obj");
    r->initList(faceListId(listId, 1));
    TTextureObj tex;
    tex.TexId = texId;
    r->setTexture(tex);
    r->setColor(colour);
    for (const TestQuad& q : quads)
        r->quads({q.v[0], q.v[1], q.v[2], q.v[3]}, texId >= 0, {q.t[0], q.t[1], q.t[2], q.t[3]});
    r->endList();
    r->endObject(listId, 1, selected);
}

void drawFrame() {
    beginFrame("");
    drawAllLists();
    finishFrame();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
