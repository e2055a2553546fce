// JPEG texture images: libjpeg decodes straight into the bottom-up RGB pixel buffer.
#include "scene/UnBmpTex.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr JDIMENSION MaxJpegSide = 1024;
// Encoders write about ten scans; a file repeating its scans thousands of times would take
// minutes to decode for nothing.
constexpr int MaxJpegScans = 100;

// libjpeg reports fatal errors through error_exit; ours jumps back to the decoder instead of
// exiting.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are counted silently, except a file that ends early: its picture would be half grey.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) jpegErrorExit(cinfo);
    cinfo->err->num_warnings++;
}

// Called by libjpeg as it reads the file: stops a file with too many scans.
void jpegProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= MaxJpegScans) return;
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "The picture has more than %d scans",
                  MaxJpegScans);
    std::longjmp(err->jump, 1);
}

// Decodes an open JPEG file into image. No object with a destructor lives in this frame, so the
// jump back from libjpeg skips nothing. On failure message holds the reason.
bool decodeJpeg(std::FILE* file, TTextureImage* image, char* message) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    std::memset(&progress, 0, sizeof progress);
    progress.progress_monitor = jpegProgress;
    err.message[0] = '\0';
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegErrorExit;
    err.pub.emit_message = jpegEmitMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > MaxJpegSide || cinfo.image_height > MaxJpegSide) {
        std::snprintf(message, JMSG_LENGTH_MAX, "The picture is too big: %6u x%6u",
                      static_cast<unsigned>(cinfo.image_width),
                      static_cast<unsigned>(cinfo.image_height));
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || cinfo.output_width != cinfo.image_width ||
        cinfo.output_height != cinfo.image_height) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Can't convert the picture to RGB");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const size_t width = cinfo.output_width, height = cinfo.output_height;
    try {
        image->Pixels.assign(width * height * 3, 0);
    } catch (const std::bad_alloc&) {
        std::snprintf(message, JMSG_LENGTH_MAX, "Out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image->Width = static_cast<int32_t>(width);
    image->Height = static_cast<int32_t>(height);
    // The first decoded line is the top of the picture; the buffer holds the bottom row first.
    while (cinfo.output_scanline < height) {
        JSAMPROW row = image->Pixels.data() + (height - 1 - cinfo.output_scanline) * width * 3;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            std::snprintf(message, JMSG_LENGTH_MAX, "Premature end of JPEG file");
            jpeg_destroy_decompress(&cinfo);
            return false;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

TTextureImage loadJpegImage(const std::string& fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) throw EBMPTEXError("JPEG " + fileName + " Load I/O error: cannot open the file");
    TTextureImage image;
    char message[JMSG_LENGTH_MAX];
    if (!decodeJpeg(file.get(), &image, message))
        throw EBMPTEXError("JPEG " + fileName + " Load exception: " + message);
    return image;
}
