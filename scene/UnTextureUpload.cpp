// Texture upload: loaded RGB images become mipmapped OpenGL textures, and are deleted again.
#include "scene/UnTextureUpload.h"

#include "scene/UnOpenGL.h"
#include "scene/UnOpenGL_GL.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>

namespace {

// Raises code with text unless it is zero; the generated texture is released first.
void failIf(GLenum code, const char* text, GLuint texture) {
    if (code == GL_NO_ERROR) return;
    scene.lastGLError = code;
    glDeleteTextures(1, &texture);
    glGetError();
    raiseGLError(code, text);
}

} // namespace

int32_t TGLTextureUploader::upload(const TTextureImage& image) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    failIf(glGetError(), "Error binding texture ", texture);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // An image whose buffer does not hold width x height RGB triplets never reaches GLU.
    const bool sane = image.Width > 0 && image.Height > 0 &&
                      image.Pixels.size() >=
                          static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height) * 3;
    if (!sane) failIf(GLU_INVALID_VALUE, "Error in building texture", texture);
    const void* pixels = image.Pixels.data();

    // Trial on the proxy: the implementation tells whether the texture fits.
    gluBuild2DMipmaps(GL_PROXY_TEXTURE_2D, 3, image.Width, image.Height, GL_RGB, GL_UNSIGNED_BYTE,
                      pixels);
    failIf(glGetError(), "Error verifying memory allocation for texture ", texture);
    GLint proxyWidth = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    if (proxyWidth == 0)
        failIf(GLU_OUT_OF_MEMORY, "Insufficient OpenGL memory to load BMP texture", texture);

    // The texture matrix stays selected afterwards.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();

    const GLint r = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image.Width, image.Height, GL_RGB,
                                      GL_UNSIGNED_BYTE, pixels);
    failIf(static_cast<GLenum>(r), "Error in building texture", texture);
    return static_cast<int32_t>(texture);
}

void TGLTextureUploader::release(int32_t texId) {
    if (texId <= 0) return; // no texture object behind it
    const GLuint texture = static_cast<GLuint>(texId);
    glDeleteTextures(1, &texture);
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR) return;
    scene.lastGLError = code;
    raiseGLError(code, "Error deleting texture ");
}

TTextureUploader* glTextureUploader() {
    static TGLTextureUploader uploader;
    return &uploader;
}
