// Offscreen pictures: EGL surfaceless context, framebuffer object, the view's redraw and Fit all.
#include "scene/UnOffscreenView.h"

#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

struct TOffscreenView::Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int32_t width = 0, height = 0;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    void release();
};

namespace {

// Only one offscreen view at a time: the scene state is the program's one instance.
bool viewExists = false;

[[noreturn]] void fail(const std::string& text) {
    throw EOffscreenError("no offscreen OpenGL context: " + text);
}

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

template <class F> void load(F& function, const char* name) {
    function = reinterpret_cast<F>(eglGetProcAddress(name));
    if (function == nullptr) fail(std::string("the driver lacks ") + name);
}

// The box of everything drawn, gathered as the objects are placed (as the screen does).
class TPictureRedrawHooks : public TRedrawHooks {
  public:
    TSceneExtent extent;
    void placeObjectList(int32_t listId, const Vec3& position, const Vec3& rotation) override {
        ::placeObjectList(listId, position, rotation);
        if (const TRenderer* r = currentRenderer())
            ExtendWorldBox(extent, r->boundsMin, r->boundsMax,
                           CalcTraslRotObjMatrix(position, rotation));
    }
};

} // namespace

void TOffscreenView::Context::release() {
    if (display == EGL_NO_DISPLAY) return;
    if (context != EGL_NO_CONTEXT) {
        if (framebuffer != 0) deleteFramebuffers(1, &framebuffer);
        if (colour != 0) deleteRenderbuffers(1, &colour);
        if (depth != 0) deleteRenderbuffers(1, &depth);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, context);
    }
    eglTerminate(display);
    display = EGL_NO_DISPLAY;
}

TOffscreenView::TOffscreenView(int32_t width, int32_t height) : gl(new Context) {
    if (viewExists) {
        delete gl;
        throw EOffscreenError("an offscreen view exists already");
    }
    try {
        if (width < MinPictureSize || width > MaxPictureSize || height < MinPictureSize ||
            height > MaxPictureSize)
            fail("a picture is " + std::to_string(MinPictureSize) + ".." +
                 std::to_string(MaxPictureSize) + " pixels each way");
        gl->width = width;
        gl->height = height;
        // Mesa's surfaceless platform needs neither an X server nor a render node's window.
        const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
            fail("EGL has no surfaceless platform (install libegl-mesa0)");
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay == nullptr) fail("EGL lacks eglGetPlatformDisplayEXT");
        gl->display =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (gl->display == EGL_NO_DISPLAY) fail("the surfaceless display cannot be opened");
        if (!eglInitialize(gl->display, nullptr, nullptr)) {
            gl->display = EGL_NO_DISPLAY;
            fail("EGL cannot be initialised");
        }
        if (!hasExtension(eglQueryString(gl->display, EGL_EXTENSIONS),
                          "EGL_KHR_surfaceless_context"))
            fail("EGL cannot make a context current without a surface");
        if (!eglBindAPI(EGL_OPENGL_API)) fail("EGL offers no desktop OpenGL");
        // The framebuffer object brings its own colour and depth buffers: any desktop OpenGL
        // configuration serves.
        const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                           EGL_NONE};
        EGLConfig config = nullptr;
        EGLint configs = 0;
        if (!eglChooseConfig(gl->display, configAttributes, &config, 1, &configs) || configs < 1)
            fail("no desktop OpenGL configuration");
        // No version asked: a compatibility context (display lists, fixed pipeline).
        gl->context = eglCreateContext(gl->display, config, EGL_NO_CONTEXT, nullptr);
        if (gl->context == EGL_NO_CONTEXT) fail("the context cannot be created");
        if (!eglMakeCurrent(gl->display, EGL_NO_SURFACE, EGL_NO_SURFACE, gl->context))
            fail("the context cannot be made current");

        load(gl->genFramebuffers, "glGenFramebuffers");
        load(gl->bindFramebuffer, "glBindFramebuffer");
        load(gl->deleteFramebuffers, "glDeleteFramebuffers");
        load(gl->genRenderbuffers, "glGenRenderbuffers");
        load(gl->bindRenderbuffer, "glBindRenderbuffer");
        load(gl->renderbufferStorage, "glRenderbufferStorage");
        load(gl->deleteRenderbuffers, "glDeleteRenderbuffers");
        load(gl->framebufferRenderbuffer, "glFramebufferRenderbuffer");
        load(gl->checkFramebufferStatus, "glCheckFramebufferStatus");
        GLint largest = 0;
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
        if (width > largest || height > largest)
            fail("the driver draws at most " + std::to_string(largest) + " pixels each way");

        gl->genRenderbuffers(1, &gl->colour);
        gl->bindRenderbuffer(GL_RENDERBUFFER, gl->colour);
        gl->renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        gl->genRenderbuffers(1, &gl->depth);
        gl->bindRenderbuffer(GL_RENDERBUFFER, gl->depth);
        gl->renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        gl->genFramebuffers(1, &gl->framebuffer);
        gl->bindFramebuffer(GL_FRAMEBUFFER, gl->framebuffer);
        gl->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                    gl->colour);
        gl->framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                    gl->depth);
        if (gl->checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
            glGetError() != GL_NO_ERROR)
            fail("no " + std::to_string(width) + " x " + std::to_string(height) +
                 " framebuffer (out of memory?)");
        glDrawBuffer(GL_COLOR_ATTACHMENT0);
        glReadBuffer(GL_COLOR_ATTACHMENT0);

        startViewScene(width, height);
    } catch (...) {
        shutdownScene();
        gl->release();
        delete gl;
        throw;
    }
    viewExists = true;
}

TOffscreenView::~TOffscreenView() {
    shutdownScene();
    gl->release();
    delete gl;
    viewExists = false;
}

TPicture TOffscreenView::render(TExtrObjList& doc) {
    // Build the meshes with no picture drawn, look down on what was built from the front, framing
    // all of it, then draw the lists as a repaint does.
    TPictureRedrawHooks hooks;
    redrawDocument(doc, -1, std::string(), &hooks);
    setSceneExtent(hooks.extent);
    fitCameraFromAbove();
    beginFrame(std::string());
    drawAllLists();
    finishFrame();

    TPicture picture;
    picture.Width = gl->width;
    picture.Height = gl->height;
    const size_t row = static_cast<size_t>(gl->width) * 3;
    picture.Pixels.resize(row * static_cast<size_t>(gl->height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gl->width, gl->height, GL_RGB, GL_UNSIGNED_BYTE, picture.Pixels.data());
    if (const GLenum code = glGetError(); code != GL_NO_ERROR)
        raiseGLError(code, "Reading the picture error ");
    // OpenGL reads the bottom row first.
    for (int32_t top = 0, bottom = gl->height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(picture.Pixels.begin() + static_cast<ptrdiff_t>(top * row),
                         picture.Pixels.begin() + static_cast<ptrdiff_t>((top + 1) * row),
                         picture.Pixels.begin() + static_cast<ptrdiff_t>(bottom * row));
    return picture;
}

void writePicturePng(const TPicture& picture, const std::string& fileName) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(picture.Width);
    png.height = static_cast<png_uint_32>(picture.Height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, fileName.c_str(), 0, picture.Pixels.data(),
                                 picture.Width * 3, nullptr)) {
        const std::string message = png.message;
        png_image_free(&png);
        throw std::runtime_error("cannot write PNG file \"" + fileName + "\": " + message);
    }
}
