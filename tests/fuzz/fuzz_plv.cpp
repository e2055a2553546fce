// Fuzz target: a .PLV document loaded, exported in every format, and saved again. What loads must
// save, and the saved file must read back and save to the same bytes.
#include "JpegEncode.h"
#include "fuzz_files.h"
#include "model/UnTExtrObj.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <cstring>
#include <exception>
#include <utility>
#include <fstream>
#include <iterator>

namespace {

// A 2 x 2 24-bit picture.
const uint8_t SmallBmp[] = {'B', 'M', 70, 0,  0,  0,  0, 0, 0,  0,  54, 0,   0,   0,   40, 0, 0,  0,
                            2,   0,   0,  0,  2,  0,  0, 0, 1,  0,  24, 0,   0,   0,   0,  0, 16, 0,
                            0,   0,   0,  0,  0,  0,  0, 0, 0,  0,  0,  0,   0,   0,   0,  0, 0,  0,
                            10,  20,  30, 40, 50, 60, 0, 0, 70, 80, 90, 100, 110, 120, 0,  0};

// Small stand-ins for the images the example documents name, beside the document.
bool writeTextures() {
    for (const char* name : {"wood.bmp", "marble.bmp", "checker.bmp", "t.bmp"})
        fuzzfiles::writeScratch(name, SmallBmp, sizeof SmallBmp);
    std::vector<uint8_t> grey(8 * 8);
    for (size_t i = 0; i < grey.size(); ++i)
        grey[i] = uint8_t(i * 4);
    const std::vector<uint8_t> jpeg = encodeJpeg(8, 8, 1, grey);
    fuzzfiles::writeScratch("walnut.jpg", jpeg.data(), jpeg.size());
    return true;
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

[[noreturn]] void fail(const char* what, const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", what, e.what());
    std::abort();
}

void exportAll(TExtrObjList& doc) {
    // The mesh formats stage their files beside the output, so theirs is a scratch file.
    const std::string scratch = fuzzfiles::scratchDir() + "/export";
    const std::pair<void (*)(), std::string> formats[] = {
        {&useDXFRenderer, "/dev/null"},      {&useVRMLRenderer, "/dev/null"},
        {&use3DSRenderer, "/dev/null"},      {&useGLTFRenderer, scratch + ".glb"},
        {&useOBJRenderer, scratch + ".obj"}, {&useSTLRenderer, scratch + ".stl"}};
    for (const auto& [use, output] : formats) {
        try {
            use();
            redrawDocument(doc, 0, output);
        } catch (const std::exception&) {
            // Faces naming a texture the table lacks, numbers beyond a float: refused exports.
        }
        setCurrentRenderer(nullptr);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = writeTextures();
    (void)ready;
    const std::string document = fuzzfiles::writeScratch("doc.PLV", data, size);
    clearTextureTable();
    clearListRegistry();
    TExtrObjList doc;
    try {
        doc.LoadFromFile(document, nullptr);
    } catch (const std::exception&) {
        return 0; // refused as damaged
    }
    exportAll(doc);
    if (doc.Count() == 0) return 0; // an empty document writes no file

    const std::string again = fuzzfiles::scratchDir() + "/again.PLV";
    const std::string twice = fuzzfiles::scratchDir() + "/twice.PLV";
    try {
        doc.SaveToFile(again);
    } catch (const std::exception& e) {
        fail("a loaded document was not saved", e);
    }
    TExtrObjList reread;
    try {
        reread.LoadFromFile(again, nullptr);
        reread.SaveToFile(twice);
    } catch (const std::exception& e) {
        fail("a saved document did not read back", e);
    }
    if (bytesOf(again) != bytesOf(twice)) {
        std::fprintf(stderr, "a saved document changed when saved again\n");
        std::abort();
    }
    return 0;
}
