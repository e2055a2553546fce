// Pictures without a display: an OpenGL context of Mesa's surfaceless EGL platform drawing the
// view's scene into an offscreen framebuffer.
#pragma once

#include "model/UnTExtrObj.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The sizes a picture may take, in pixels, each way.
constexpr int32_t MinPictureSize = 16;
constexpr int32_t MaxPictureSize = 8192;

// RGB pixels, top row first.
struct TPicture {
    int32_t Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
};

class EOffscreenError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The view's scene on a context of its own: while it lives, its context is current, the scene is
// initialised on a width x height framebuffer and loaded textures go to it. One at a time.
class TOffscreenView {
  public:
    // Throws EOffscreenError when no context or framebuffer of that size can be made.
    TOffscreenView(int32_t width, int32_t height);
    ~TOffscreenView();
    TOffscreenView(const TOffscreenView&) = delete;
    TOffscreenView& operator=(const TOffscreenView&) = delete;

    // Draws doc as the main window does after Fit all (solid renderer, lights, textures, the
    // view's background), without the selection mark and the axes marker.
    TPicture render(TExtrObjList& doc);

  private:
    struct Context;
    Context* gl;
};

// Writes the picture as an 8-bit RGB PNG file; throws std::runtime_error on failure.
void writePicturePng(const TPicture& picture, const std::string& fileName);
