// Export benchmark: a large in-memory document through the traversal into each exporter, against
// raw writes of as many bytes (3MF against deflating its model XML).
#include "bench/BenchClock.h"
#include "model/UnTExtrObj.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <ctime>

#include <zlib.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Settings {
    int extrusions = 10;
    int lathes = 10;
    int precision = 20;
    int vertices = 99; // per outline, the last one repeating the first
    std::string dir;
    int repeat = 1;
    bool keep = false;
    std::string only; // one run by name, for profiling
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// ---- memory -----------------------------------------------------------------------------------

// Resets the kernel's peak-RSS mark so each run reports its own peak; false when not supported.
bool resetPeakMemory() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

// Peak resident set in MiB: VmHWM, or ru_maxrss (whole process) when /proc is unavailable.
double peakMemoryMiB() {
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kib = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
        std::fclose(f);
        if (kib >= 0) return kib / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// ---- document -----------------------------------------------------------------------------------

void writeBmp(const std::string& path, int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t imageSize = static_cast<uint32_t>(rowBytes * height);
    std::vector<uint8_t> file(54 + imageSize, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        file[at] = v & 0xFF;
        file[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &file[54 + static_cast<size_t>(y) * rowBytes + x * 3];
            const bool check = ((x / 4) + (y / 4)) % 2 == 0;
            p[0] = check ? b : 255;
            p[1] = check ? g : 255;
            p[2] = check ? r : 255;
        }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

OutlineVertex vertexAt(double x, double y, int32_t group) {
    OutlineVertex v;
    v.X = static_cast<int32_t>(std::lround(x));
    v.Y = static_cast<int32_t>(std::lround(y));
    v.Groups[0] = group;
    return v;
}

// Four edge groups: two textured, two plain colours.
TGroupListRef benchGroups() {
    auto groups = std::make_shared<TGroupPropertyList>();
    const char* textures[] = {"bench_a", "", "bench_b", ""};
    const TColor colors[] = {0x2080F0, 0x30C030, 0xF0F0F0, 0x1010B0};
    for (int g = 0; g < 4; ++g) {
        auto group = std::make_shared<TGroupPropertyObj>();
        group->Id = g + 1;
        group->Color = colors[g];
        group->Texture = textures[g];
        group->RepeatU = 2 + g;
        group->RepeatV = 1;
        groups->Add(group);
    }
    return groups;
}

// A gear: n - 1 distinct vertices on two radii, then the first again so the outline is closed.
void fillGearProfile(TExtrObj& object, int n) {
    const int distinct = n - 1;
    for (int i = 0; i < distinct; ++i) {
        const double a = 2 * M_PI * i / distinct;
        const double r = (i / 2) % 2 == 0 ? 40 : 30;
        object.Profile[i] = vertexAt(r * std::cos(a), r * std::sin(a), 1 + (4 * i) / distinct);
    }
    object.Profile[distinct] = object.Profile[0];
    object.ProfileCount = n;
}

std::unique_ptr<TExtrObj> makeExtrusion(int k, const Settings& s) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("gear" + std::to_string(k + 1));
    fillGearProfile(*object, s.vertices);
    object->Groups = benchGroups();
    // A closed, slightly wavy ring path.
    const int distinct = s.vertices - 1;
    for (int i = 0; i < distinct; ++i) {
        const double a = 2 * M_PI * i / distinct;
        const double r = 300 + 15 * std::sin(5 * a);
        object->Path[i] = vertexAt(r * std::cos(a), r * std::sin(a), 0);
    }
    object->Path[distinct] = object->Path[0];
    object->PathCount = s.vertices;
    object->SetPathClosed(true);
    object->SetPrecision(s.precision);
    object->SetCornersColor(0x808080);
    object->SetCornersTexture("bench_b");
    object->SetPosition(Vec3{static_cast<float>(k * 700), 0, 0});
    object->SetRotation(Vec3{static_cast<float>(k * 7), static_cast<float>(k * 11), 0});
    return object;
}

std::unique_ptr<TExtrObj> makeLathe(int k, const Settings& s) {
    auto object = std::make_unique<TExtrObj>();
    object->SetName("vase" + std::to_string(k + 1));
    const int n = s.vertices;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / (n - 1);
        const double x = 40 + 25 * std::sin(3 * M_PI * t);
        object->Profile[i] = vertexAt(x, 200 * t, 1 + (4 * i) / n);
    }
    object->ProfileCount = n;
    object->Groups = benchGroups();
    object->SetProfileScale(100);
    object->MakeLathe(100);
    object->SetPosition(Vec3{static_cast<float>(k * 250), 0, 900});
    object->SetRotation(Vec3{0, 0, static_cast<float>(k * 5)});
    return object;
}

void buildDocument(TExtrObjList& doc, const Settings& s) {
    writeBmp(s.dir + "/bench_a.bmp", 16, 16, 200, 60, 20);
    writeBmp(s.dir + "/bench_b.bmp", 16, 16, 20, 60, 200);
    clearTextureTable();
    addTexture(s.dir + "/bench_a.bmp", "bench_a");
    addTexture(s.dir + "/bench_b.bmp", "bench_b");
    for (int k = 0; k < s.extrusions; ++k)
        doc.Add(makeExtrusion(k, s));
    for (int k = 0; k < s.lathes; ++k)
        doc.Add(makeLathe(k, s));
}

// ---- runs ---------------------------------------------------------------------------------------

class CountingRenderer : public TRenderer {
  public:
    long long Quads = 0;
    long long Triangles = 0;
    void quads(const TQuadVerts&, bool, const TQuadVerts&) override { ++Quads; }
    void triangle(const TTriVerts&, bool, const TTriVerts&) override { ++Triangles; }
};

long long fileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// Wall-clock and CPU time of one piece of work; the machine may be shared, so both are shown.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

Timing timed(const std::function<void()>& work) {
    const double cpu0 = cpuSeconds();
    const auto start = Clock::now();
    work();
    return Timing{secondsSince(start), cpuSeconds() - cpu0};
}

// Keeps the fastest of several runs (least disturbed by other processes).
void keepBest(Timing& best, const Timing& t, bool first) {
    if (first || t.wall < best.wall) best.wall = t.wall;
    if (first || t.cpu < best.cpu) best.cpu = t.cpu;
}

// Writes bytes with one plain fwrite loop: what the disk and C library give at best.
Timing rawWrite(const std::string& path, long long bytes) {
    std::vector<char> block(1 << 16, 'x');
    const Timing t = timed([&] {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) throw std::runtime_error("cannot write " + path);
        for (long long left = bytes; left > 0;) {
            const size_t n = static_cast<size_t>(std::min<long long>(left, block.size()));
            if (std::fwrite(block.data(), 1, n, f) != n) throw std::runtime_error("write failed");
            left -= static_cast<long long>(n);
        }
        std::fclose(f);
    });
    std::remove(path.c_str());
    return t;
}

// The model XML of a 3MF package (its entry 3D/3dmodel.model, inflated); empty when not found.
std::string modelXml(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    std::string zip;
    char block[1 << 16];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
        zip.append(block, n);
    std::fclose(f);
    auto u16 = [&](size_t at) {
        return uint32_t(uint8_t(zip[at])) | uint32_t(uint8_t(zip[at + 1])) << 8;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    // The package is of the classic form: every local header gives its sizes.
    for (size_t at = 0; at + 30 <= zip.size() && u32(at) == 0x04034b50;) {
        const size_t name = at + 30, start = name + u16(at + 26) + u16(at + 28);
        const uint32_t compressed = u32(at + 18), size = u32(at + 22);
        if (start + compressed > zip.size()) break;
        if (zip.compare(name, u16(at + 26), "3D/3dmodel.model") == 0 && u16(at + 8) == 8) {
            std::string xml(size, '\0');
            z_stream z{};
            inflateInit2(&z, -15);
            z.next_in = reinterpret_cast<Bytef*>(zip.data() + start);
            z.avail_in = compressed;
            z.next_out = reinterpret_cast<Bytef*>(xml.data());
            z.avail_out = size;
            const int done = inflate(&z, Z_FINISH);
            inflateEnd(&z);
            return done == Z_STREAM_END ? xml : std::string();
        }
        at = start + compressed;
    }
    return {};
}

// Deflates text with zlib at level 1 into memory: the floor of a ZIP format that holds it.
Timing deflateLevel1(const std::string& text) {
    std::vector<Bytef> out(deflateBound(nullptr, uLong(text.size())) + 64);
    return timed([&] {
        z_stream z{};
        deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z.avail_in = uInt(text.size());
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
        deflateEnd(&z);
    });
}

struct Result {
    const char* name;
    Timing time;
    long long bytes = 0;
    double peakMiB = 0;
    Timing raw; // a plain write of as many bytes, or for 3MF the deflate of its model XML
};

void printHeader() {
    std::printf("%-6s %8s %8s %11s %12s %8s %8s %8s %8s %7s %7s\n", "run", "wall s", "cpu s",
                "faces/s", "bytes", "MB/s", "peak MiB", "raw wall", "raw cpu", "ratio", "cpu r.");
}

void printResult(const Result& r, long long faces) {
    const double mbps = r.bytes > 0 ? r.bytes / 1e6 / r.time.wall : 0;
    std::printf("%-6s %8.3f %8.3f %11.0f %12lld %8.1f %8.1f", r.name, r.time.wall, r.time.cpu,
                faces / r.time.wall, r.bytes, mbps, r.peakMiB);
    if (r.bytes > 0)
        std::printf(" %8.3f %8.3f %7.2f %7.2f\n", r.raw.wall, r.raw.cpu, r.time.wall / r.raw.wall,
                    r.time.cpu / r.raw.cpu);
    else
        std::printf(" %8s %8s %7s %7s\n", "-", "-", "-", "-");
    std::fflush(stdout);
}

// Exports the document with the renderer select() installs; the bytes count the file and, when
// the format writes one beside it, its companion (the OBJ material library).
Result runExport(TExtrObjList& doc, const Settings& s, const char* name, const char* ext,
                 const std::function<void()>& select, const char* companion = nullptr) {
    const std::string path = s.dir + "/bench." + ext;
    const std::string besides = companion ? s.dir + "/bench." + companion : std::string();
    Result r{name, {}, 0, 0, {}};
    for (int run = 0; run < s.repeat; ++run) {
        resetPeakMemory();
        const Timing t = timed([&] {
            select();
            redrawDocument(doc, 0, path);
            setCurrentRenderer(nullptr); // closes the file
        });
        keepBest(r.time, t, run == 0);
        r.peakMiB = std::max(r.peakMiB, peakMemoryMiB());
        r.bytes = fileSize(path) + (companion ? fileSize(besides) : 0);
        const std::string xml = std::strcmp(ext, "3mf") == 0 ? modelXml(path) : std::string();
        if (!s.keep) {
            std::remove(path.c_str());
            if (companion) std::remove(besides.c_str());
        }
        if (std::strcmp(ext, "3mf") == 0) {
            if (xml.empty()) throw std::runtime_error("the 3MF package holds no model to deflate");
            keepBest(r.raw, deflateLevel1(xml), run == 0);
        } else {
            keepBest(r.raw, rawWrite(s.dir + "/bench.raw", r.bytes), run == 0);
        }
    }
    return r;
}

Result runCount(TExtrObjList& doc, const Settings& s, long long& quads, long long& triangles) {
    Result r{"count", {}, 0, 0, {}};
    for (int run = 0; run < s.repeat; ++run) {
        auto counter = std::make_unique<CountingRenderer>();
        CountingRenderer* counting = counter.get();
        resetPeakMemory();
        const Timing t = timed([&] {
            setCurrentRenderer(std::move(counter));
            redrawDocument(doc, 0, "");
        });
        quads = counting->Quads;
        triangles = counting->Triangles;
        setCurrentRenderer(nullptr);
        keepBest(r.time, t, run == 0);
        r.peakMiB = std::max(r.peakMiB, peakMemoryMiB());
    }
    return r;
}

bool parseSettings(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto number = [&](int& target, int lo, int hi) {
            if (i + 1 >= argc) return false;
            target = std::atoi(argv[++i]);
            return target >= lo && target <= hi;
        };
        if (a == "--objects") {
            if (!number(s.extrusions, 0, 1000)) return false;
            s.lathes = s.extrusions;
        } else if (a == "--precision") {
            if (!number(s.precision, 1, 100)) return false;
        } else if (a == "--vertices") {
            if (!number(s.vertices, 4, MaxOutlineVertices - 1)) return false;
        } else if (a == "--dir" && i + 1 < argc) {
            s.dir = argv[++i];
        } else if (a == "--repeat") {
            if (!number(s.repeat, 1, 100)) return false;
        } else if (a == "--only" && i + 1 < argc) {
            s.only = argv[++i];
        } else if (a == "--keep") {
            s.keep = true;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!parseSettings(argc, argv, s)) {
        std::fprintf(stderr,
                     "usage: palvorin-bench [--objects N] [--precision P] [--vertices V] "
                     "[--repeat R] [--dir DIR] [--keep] [--only RUN]\n"
                     "  N extrusions and N lathe objects (10), P slices per segment (20),\n"
                     "  V vertices per outline (99), best of R runs (1); files go to DIR (a new\n"
                     "  temporary one by default) and are removed unless --keep; RUN is one of\n"
                     "  DXF, VRML, 3DS, glTF, OBJ, STL, 3MF, STEP (a sweep of its own).\n");
        return 2;
    }
    bool ownDir = false;
    if (s.dir.empty()) {
        char pattern[] = "/tmp/palvorin-bench.XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        s.dir = pattern;
        ownDir = true;
    }
    try {
        TExtrObjList doc;
        buildDocument(doc, s);
        std::printf("document: %d extrusions (%d-vertex gear along a %d-vertex closed path, "
                    "precision %d), %d lathe objects (%d profile vertices, 99 steps)\n",
                    s.extrusions, s.vertices, s.vertices, s.precision, s.lathes, s.vertices);
        std::printf("files in %s\n", s.dir.c_str());

        // The traversal into a renderer that only counts: the cost of the builders alone.
        long long quads = 0, triangles = 0;
        const Result count = runCount(doc, s, quads, triangles);
        const long long faces = quads + triangles;
        std::printf("faces: %lld quads + %lld triangles = %lld; best of %d run(s)\n\n", quads,
                    triangles, faces, s.repeat);

        printHeader();
        printResult(count, faces);
        struct Run {
            const char *name, *ext;
            void (*select)();
            const char* companion;
        };
        const Run runs[] = {
            {"DXF", "dxf", useDXFRenderer, nullptr}, {"VRML", "wrl", useVRMLRenderer, nullptr},
            {"3DS", "3ds", use3DSRenderer, nullptr}, {"glTF", "glb", useGLTFRenderer, nullptr},
            {"OBJ", "obj", useOBJRenderer, "mtl"},   {"STL", "stl", useSTLRenderer, nullptr},
            {"3MF", "3mf", use3MFRenderer, nullptr}};
        for (const Run& run : runs)
            if (s.only.empty() || s.only == run.name)
                printResult(runExport(doc, s, run.name, run.ext, run.select, run.companion), faces);
        if (s.only.empty() || s.only == "STEP") {
            // Exact solids take one object at a time: a sweep of a 100-vertex profile along a
            // 100-vertex path, one slice per corner.
            TExtrObjList sweep;
            Settings one = s;
            one.vertices = 100;
            one.precision = 1;
            sweep.Add(makeExtrusion(0, one));
            long long sweepQuads = 0, sweepTriangles = 0;
            runCount(sweep, s, sweepQuads, sweepTriangles);
            const long long sweepFaces = sweepQuads + sweepTriangles;
            std::printf("\nSTEP: one 100 x 100-vertex sweep, %lld faces\n", sweepFaces);
            printResult(runExport(sweep, s, "STEP", "step", useSTEPRenderer), sweepFaces);
        }
        std::printf("\nfaces/s and MB/s use wall time; raw = one fwrite loop writing the same "
                    "bytes (for 3MF: deflating its model XML with zlib at level 1 in memory, the\n"
                    "floor of a ZIP format);\nratio = export wall time / raw wall time, cpu r. = "
                    "the same in CPU time;\npeak MiB = resident peak during the run (VmHWM).\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "palvorin-bench: %s\n", e.what());
        return 1;
    }
    if (!s.keep) {
        std::remove((s.dir + "/bench_a.bmp").c_str());
        std::remove((s.dir + "/bench_b.bmp").c_str());
        if (ownDir) rmdir(s.dir.c_str());
    }
    return 0;
}
