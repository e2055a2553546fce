// Fuzz target: the BMP loader (headers, palette, rows of every depth).
#include "fuzz_files.h"
#include "scene/UnBmpTex.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzzfiles::writeScratch("input.bmp", data, size);
    try {
        TTextureImage image;
        loadBmpPixels(file, image);
        // A loaded picture is whole: every row of every pixel is in the buffer.
        if (image.Width <= 0 || image.Height <= 0 || image.Width > 1024 || image.Height > 1024 ||
            image.Pixels.size() != size_t(image.Width) * size_t(image.Height) * 3)
            std::abort();
    } catch (const std::exception&) {
        // A refused file is the expected outcome of most inputs.
    }
    return 0;
}
