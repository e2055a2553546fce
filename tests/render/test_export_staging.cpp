// Every export is all or nothing: a failed or unfinished export of any format leaves the earlier
// file byte for byte and nothing beside it; several files come in together or not at all; the
// plain cause of a failure; every format written to a pipe gives the bytes of a file.
#include "meshexport/UnTRenderer_Mesh.h"
#include "meshexport/UnTRenderer_STEP.h"
#include "model/UnWriteFailure.h"
#include "render/UnStagedFiles.h"
#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "render_test_util.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Format {
    const char* ext;
    void (*use)();
};
const Format Formats[] = {
    {"dxf", &useDXFRenderer},  {"wrl", &useVRMLRenderer},  {"3ds", &use3DSRenderer},
    {"glb", &useGLTFRenderer}, {"obj", &useOBJRenderer},   {"stl", &useSTLRenderer},
    {"3mf", &use3MFRenderer},  {"step", &useSTEPRenderer},
};

// quads unit quads of one object, each apart from the others, in a grid of 100 per row.
void looseQuads(TRenderer& r, int quads) {
    r.initObject("a");
    r.setColor(ColorF{1, 0.5f, 0, 1});
    for (int q = 0; q < quads; ++q)
        plainQuad(r, float(q % 100) * 2, float(q / 100) * 2);
    r.endObject(1, 1, false);
}

// The whole export of looseQuads into fileName by the current renderer.
void exportQuads(const std::string& fileName, int quads) {
    TRenderer& r = *currentRenderer();
    r.initRendering(fileName);
    looseQuads(r, quads);
    r.endRendering();
}

class ExportStaging : public ScratchTest {
  protected:
    void TearDown() override {
        setCurrentRenderer(nullptr);
        ScratchTest::TearDown();
    }
};

TEST_F(ExportStaging, FailedOrUnfinishedExportsOfEveryFormatKeepTheEarlierFileAndLeaveNothing) {
    for (const Format& f : Formats) {
        SCOPED_TRACE(f.ext);
        const std::string target = file(std::string("out.") + f.ext);
        std::ofstream(target) << "earlier";
        std::ofstream(file("out.mtl")) << "earlier library";
        const std::vector<std::string> before = fileNames(dir);
        // A file that may not grow: the export fails somewhere on its way.
        f.use();
        std::string error;
        {
            const FileSizeLimit limit(16 << 10);
            error = errorOf([&] { exportQuads(target, 3000); });
        }
        EXPECT_EQ(writeFailureCause(error), TWriteCause::TooLarge) << error;
        setCurrentRenderer(nullptr);
        // An export freed before its end.
        f.use();
        currentRenderer()->initRendering(target);
        looseQuads(*currentRenderer(), 10);
        setCurrentRenderer(nullptr);
        EXPECT_EQ(readText(target), "earlier");
        EXPECT_EQ(readText(file("out.mtl")), "earlier library");
        EXPECT_EQ(fileNames(dir), before);
        // The same export without a limit replaces the file.
        f.use();
        exportQuads(target, 3000);
        setCurrentRenderer(nullptr);
        EXPECT_GT(fs::file_size(target), 16u << 10);
        fs::remove(target);
    }
}

TEST_F(ExportStaging, StagedFilesComeInTogetherOrTheEarlierOnesStay) {
    std::ofstream(file("a.obj")) << "earlier a";
    std::ofstream(file("b.mtl")) << "earlier b";
    TStagedFiles staged;
    const std::string a = staged.add(file("a.obj")), b = staged.add(file("b.mtl")),
                      c = staged.add(file("c.bmp"));
    for (const std::string& path : {a, b, c})
        std::ofstream(path) << "new";
    // The main file, renamed last, cannot be replaced: the two renamed before go back.
    fs::remove(file("a.obj"));
    fs::create_directories(dir / "a.obj" / "in-the-way");
    const std::string error = errorOf([&] { staged.commit(); });
    EXPECT_EQ(error.rfind("Cannot replace file", 0), 0u) << error;
    EXPECT_EQ(writeFailureCause(error), TWriteCause::IsFolder) << error;
    EXPECT_EQ(readText(file("b.mtl")), "earlier b");
    EXPECT_EQ(fileNames(dir), (std::vector<std::string>{"a.obj", "b.mtl"}));

    fs::remove_all(dir / "a.obj");
    TStagedFiles again;
    for (const char* name : {"a.obj", "b.mtl", "c.bmp"})
        std::ofstream(again.add(file(name))) << "new " << name;
    again.commit();
    EXPECT_EQ(readText(file("a.obj")), "new a.obj");
    EXPECT_EQ(readText(file("b.mtl")), "new b.mtl");
    EXPECT_EQ(fileNames(dir), (std::vector<std::string>{"a.obj", "b.mtl", "c.bmp"}));
}

TEST(WriteFailure, TheSystemsReasonBecomesAPlainCause) {
    const std::pair<std::string, TWriteCause> cases[] = {
        {"10: Renderer: Error in DXF:quads " + std::string(std::strerror(ENOSPC)),
         TWriteCause::NoSpace},
        {"Cannot create file \"/ro/x.stl\": " + std::string(std::strerror(EROFS)),
         TWriteCause::ReadOnly},
        {"Cannot create file \"/x.stl\": " + std::string(std::strerror(EACCES)),
         TWriteCause::NotAllowed},
        {"Cannot create file \"sub\": " + std::string(std::strerror(EISDIR)),
         TWriteCause::IsFolder},
        {"Cannot create file \"/none/x\": " + std::string(std::strerror(ENOENT)),
         TWriteCause::NoFolder},
        {"Error in OBJ:endObject Cannot read texture \"w.jpg\": " +
             std::string(std::strerror(ENOENT)),
         TWriteCause::ImageUnreadable},
        {"Error in STL:endRendering " + std::string(std::strerror(EFBIG)), TWriteCause::TooLarge},
        {"the number nan cannot be written: it is not finite", TWriteCause::Unknown},
    };
    for (const auto& [technical, cause] : cases)
        EXPECT_EQ(writeFailureCause(technical), cause) << technical;
    const std::string full = std::strerror(ENOSPC);
    EXPECT_EQ(exportFailureText("a.stl", full, TTargetBefore::File),
              "could not export to 'a.stl': no space left on the device; the earlier file is "
              "unchanged (" +
                  full + ")");
    EXPECT_EQ(exportFailureText("a.stl", full, TTargetBefore::Nothing),
              "could not export to 'a.stl': no space left on the device; nothing was written (" +
                  full + ")");
    EXPECT_EQ(exportFailureText("/dev/full", full, TTargetBefore::Device),
              "could not export to '/dev/full': no space left on the device (" + full + ")");
}

// What the current renderer writes into a pipe, read at its other end.
std::string throughPipe(int quads) {
    int ends[2];
    if (pipe(ends) != 0) return "no pipe";
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;)
            received.append(buffer, size_t(n));
    });
    const std::string error =
        errorOf([&] { exportQuads("/dev/fd/" + std::to_string(ends[1]), quads); });
    setCurrentRenderer(nullptr);
    close(ends[1]);
    reader.join();
    close(ends[0]);
    return error == "no error" ? received : error;
}

TEST_F(ExportStaging, EveryFormatButOBJWritesToAPipeWhatItWritesToAFile) {
    for (const Format& f : Formats) {
        if (std::strcmp(f.ext, "obj") == 0) continue; // its companions need a folder
        SCOPED_TRACE(f.ext);
        f.use();
        const std::string piped = throughPipe(3000);
        f.use();
        exportQuads(file("out"), 3000);
        setCurrentRenderer(nullptr);
        const std::string written = readText(file("out"));
        EXPECT_GT(written.size(), 16u << 10);
        EXPECT_TRUE(withoutStepFileName(piped) == withoutStepFileName(written))
            << piped.substr(0, 200);
    }
    // glTF's binary data past what it keeps in memory takes a scratch file on the way.
    auto smallGLTF = [] {
        auto gltf = std::make_unique<TGLTFFormat>();
        gltf->binaryInMemory = 1024;
        setCurrentRenderer(std::make_unique<TMeshRenderer>(std::move(gltf)));
    };
    smallGLTF();
    const std::string piped = throughPipe(3000);
    smallGLTF();
    exportQuads(file("out"), 3000);
    EXPECT_TRUE(piped == readText(file("out")));
}

} // namespace
