// palvorin-export: writes a Palvorin document as DXF, VRML 2.0, 3DS, glTF 2.0, OBJ, STL, 3MF, STEP
// or a PNG picture, or saves it again, from the command line.
#include "model/UnSaveTarget.h"
#include "model/UnTExtrObj.h"
#include "model/UnWriteFailure.h"
#include "meshexport/UnExportUnit.h"
#include "meshexport/UnTRenderer_STEP.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnOffscreenView.h" // the picture sizes; the view itself only with PALVORIN_PICTURES
#include "tools/UnMakingReports.h"
#include "model/UnLathePitch.h"
#include "tools/UnOutlineDocument.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* Program = "palvorin-export";
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// What the tool writes: the title of the --verbose line, the extension that selects the format
// (also a name --format takes) and one more name --format takes, the exporter (none for the
// document itself), and whether the writer stages its files itself (see run).
struct Format {
    const char* title;
    const char* extension;
    const char* alias;
    void (*useRenderer)();
    bool stagesItself;
};

const Format Formats[] = {
    {"DXF", "dxf", nullptr, &useDXFRenderer, true},
    {"VRML 2.0", "wrl", "vrml", &useVRMLRenderer, true},
    {"3DS", "3ds", nullptr, &use3DSRenderer, true},
    {"glTF 2.0", "glb", "gltf", &useGLTFRenderer, true},
    {"OBJ", "obj", nullptr, &useOBJRenderer, true},
    {"STL", "stl", nullptr, &useSTLRenderer, true},
    {"3MF", "3mf", nullptr, &use3MFRenderer, true},
    {"STEP", "step", "stp", &useSTEPRenderer, true},
    {"PLV", "plv", nullptr, nullptr, true},
    {"PNG picture", "png", nullptr, nullptr, false},
};

bool isPicture(const Format* format) {
    return format != nullptr && std::strcmp(format->extension, "png") == 0;
}

std::string lowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

const Format* formatFromName(std::string_view name) {
    const std::string n = lowerCase(name);
    for (const Format& format : Formats)
        if (n == format.extension || (format.alias && n == format.alias)) return &format;
    return nullptr;
}

// A world file is .wrl, not .vrml; a .gltf file is JSON text, not the binary form written here.
const Format* formatFromExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    const std::string ext = lowerCase(std::string_view(path).substr(dot + 1));
    for (const Format& format : Formats)
        if (ext == format.extension) return &format;
    if (ext == "stp") return formatFromName(ext);
    return nullptr;
}

void printHelp() {
    std::fputs(
        "Usage: palvorin-export [OPTIONS] INPUT.PLV OUTPUT\n"
        "       palvorin-export --profile PROFILE.dxf (--path PATH.dxf | --lathe N [--rise MM]\n"
        "                       [--turns T]) OUTPUT\n"
        "       palvorin-export INPUT.PLV --profile PROFILE.dxf [--path PATH.dxf] OUTPUT\n"
        "       palvorin-export INPUT.PLV [--report R.json] [--cut-list C.csv] [--turning T.csv]\n"
        "                       [OUTPUT]\n"
        "       palvorin-export --profile PROFILE.dxf --frame WxH [--allowance MM]\n"
        "                       [--rebate X_MM] OUTPUT\n"
        "\n"
        "Writes every object of the Palvorin document INPUT.PLV to OUTPUT, through the same\n"
        "mesh builders as the program's Refresh, each object at its own position and rotation.\n"
        "\n"
        "The format follows OUTPUT's extension (any case) unless --format names it:\n"
        "  .dxf  dxf    ASCII DXF drawing, one 3DFACE entity per quad or triangle\n"
        "  .wrl  vrml   VRML 2.0 world, one IndexedFaceSet shape per colour/texture run\n"
        "  .3ds  3ds    3D Studio file, one mesh and one material per colour/texture run\n"
        "  .glb  gltf   glTF 2.0 binary, a node per object, textures embedded\n"
        "  .obj  obj    Wavefront OBJ, with its .mtl and the textures beside it\n"
        "  .stl  stl    binary STL, triangles only, no colour\n"
        "  .3mf  3mf    3MF package, a mesh object and a build item per object, colours and\n"
        "               textures kept\n"
        "  .step step   STEP AP214 (also .stp), an exact solid of planar faces per object,\n"
        "               named, its faces coloured; no textures\n"
        "  .plv  plv    the document itself, loaded and saved again\n"
        "  .png  png    a picture of the view after Fit all, drawn without a display\n"
        "\n"
        "Options:\n"
        "  -f, --format FORMAT  dxf, vrml (or wrl), 3ds, gltf (or glb), obj, stl, 3mf, step\n"
        "                       (or stp), plv or png; overrides the extension\n"
        "  -s, --size N|WxH     picture size in pixels, each side 16..8192 (default 512)\n"
        "  -u, --unit UNIT      what one unit of the document is: mm (the default), cm, m or in;\n"
        "                       STL, OBJ and STEP are written in millimetres, glTF in metres, and "
        "3MF\n"
        "                       declares UNIT itself; DXF, VRML and 3DS keep the numbers\n"
        "  --up y|z             the axis that points up in STL, OBJ and 3MF files; by default\n"
        "                       STL and 3MF are Z up (what lies flat lies on the build plate,\n"
        "                       and a 3MF build sits on z = 0), OBJ is Y up, as the document;\n"
        "                       glTF is always Y up\n"
        "  -v, --verbose        report loading progress and a one-line summary on stderr\n"
        "  --profile FILE.dxf   the profile from a DXF drawing (its largest closed outline)\n"
        "  --path FILE.dxf      the path from a DXF drawing (its longest chain, open or closed)\n"
        "  --lathe N            spin the profile about the vertical axis in N steps (3..100)\n"
        "  --rise MM, --turns T with --lathe, rise MM millimetres a turn for T turns (a thread)\n"
        "  --profile-layer L, --path-layer L\n"
        "                       read only the entities on layer L of the drawing\n"
        "  --object NAME        with INPUT, the object that takes the outlines (default: the\n"
        "                       first)\n"
        "  --report FILE.json   measurements of the document and of each object (size,\n"
        "                       volume and area of the exported mesh, profile area, path length)\n"
        "  --density KG_PER_M3  with --report, each solid's mass for this density\n"
        "  --cut-list FILE.csv  the swept objects' members, mitres, corner pieces and stock\n"
        "  --kerf MM            with --cut-list, the saw's kerf per piece, 0..20 (default 3)\n"
        "  --waste PERCENT      with --cut-list, waste added to the total, 0..100 (default 10)\n"
        "  --stock MM           with --cut-list, one stock length, from the longest member to\n"
        "                       100000 (default 2400)\n"
        "  --turning FILE.csv   the lathe objects' rings for segmented turning\n"
        "  --board MM           with --turning, the ring thickness, 1..200 (default 19)\n"
        "  --segments N         with --turning, segments per ring, 3..100 (default: the lathe's\n"
        "                       steps)\n"
        "  --allowance MM       the rings' turning allowance, 0..50 (default 3); with --frame,\n"
        "                       the room round the picture in all (default 2)\n"
        "  --frame WxH          the first object's path becomes the frame for a picture of W by\n"
        "                       H mm: closed, mitred, the profile outward, the rebate round the\n"
        "                       picture plus the allowance\n"
        "  --rebate X_MM        with --frame, the x across the profile (mm) of the wall the\n"
        "                       picture rests on (default: the profile's second-smallest x)\n"
        "  -h, --help           show this help and exit\n"
        "\n"
        "Texture images are looked for in the document's own directory, then at the path the\n"
        "document stored; images that are missing or unreadable are listed in a warning and their\n"
        "faces keep their colour.\n"
        "OUTPUT is written to a temporary file in its directory and renamed only when the whole\n"
        "export succeeded, so a failed export leaves no file behind (and an existing OUTPUT\n"
        "untouched); an OBJ export does the same for its .mtl and texture copies. A symbolic\n"
        "link is followed and an existing OUTPUT keeps its permissions; a device or pipe given as\n"
        "OUTPUT is written directly (STL, 3DS and glTF keep what must wait for the end in an\n"
        "unnamed scratch file in $TMPDIR meanwhile). A failed export says why, and that the\n"
        "earlier file is unchanged. A document without any complete object is an error: nothing\n"
        "is written.\n"
        "Numbers in text formats always use '.' as the decimal separator.\n"
        "A picture that takes longer than 10 seconds is abandoned (thumbnailers must not hang).\n"
        "Without INPUT, --profile with --path or --lathe builds a one-object document. Each\n"
        "outline holds at most 100 vertices: curves are approximated and the largest deviation\n"
        "in millimetres is reported on stderr, with notes on what the drawing held besides.\n"
        "An object whose profile is not closed is exported as the view shows it, without caps;\n"
        "STL, 3MF and STEP exports name in a warning each object that is not watertight, whatever\n"
        "the cause (an open profile, a path ending on its start without being closed, faces that\n"
        "do not meet); a STEP export also names each object whose faces do not make a valid solid\n"
        "(a profile that crosses itself, a path that folds back) and writes it as a shell.\n"
        "\n"
        "Exit status: 0 on success, 1 when the document cannot be read or the export fails,\n"
        "2 for a bad command line.\n",
        stdout);
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Program,
                 message.c_str(), Program);
    return ExitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", Program, message.c_str());
    return ExitFailure;
}

struct Options {
    std::string input;
    std::string output;
    const Format* format = nullptr;
    int width = 0, height = 0; // of a picture; 0 until --size
    const TExportUnit* unit = &ExportUnits[0];
    TUpChoice up = TUpChoice::Format;
    bool verbose = false;
    bool help = false;
    TOutlineOptions outlines;
    TMakingOptions making;
};

constexpr int DefaultPictureSize = 512;
const std::string SizeRange =
    std::to_string(MinPictureSize) + ".." + std::to_string(MaxPictureSize);

// "N" (a square) or "WxH", decimal, each side within MinPictureSize..MaxPictureSize.
bool parseSize(const std::string& text, int& width, int& height) {
    auto number = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 5) return false;
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        return value >= MinPictureSize && value <= MaxPictureSize;
    };
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) {
        if (!number(text, width)) return false;
        height = width;
        return true;
    }
    return number(text.substr(0, x), width) && number(text.substr(x + 1), height);
}

// A decimal number with "." whatever the locale, nothing else.
bool parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && std::isfinite(value);
}

// A missing option value: the message for the command line.
struct MissingValue {
    std::string option;
};

// The value of the option argv[i] when it is longName or shortName: "--name=value", or "--name
// value" / "-x value" (i then moves on to the value); nullopt for any other argument. Throws
// MissingValue when the value is not there.
std::optional<std::string> optionValue(const std::string& longName, const std::string& shortName,
                                       int argc, char** argv, int& i) {
    const std::string arg = argv[i];
    if (arg.rfind(longName + "=", 0) == 0) {
        if (arg.size() == longName.size() + 1) throw MissingValue{longName};
        return arg.substr(longName.size() + 1);
    }
    if (arg != longName && arg != shortName) return std::nullopt;
    if (i + 1 >= argc) throw MissingValue{arg};
    return std::string(argv[++i]);
}

// Takes the value of the outline option argv[i] (as optionValue) into its field; false when argv[i]
// is no outline option.
bool takeOutlineOption(TOutlineOptions& o, int argc, char** argv, int& i) {
    const std::pair<const char*, std::string*> fields[] = {
        {"--profile", &o.Profile},
        {"--path", &o.Path},
        {"--profile-layer", &o.ProfileLayer},
        {"--path-layer", &o.PathLayer},
        {"--object", &o.Object},
    };
    for (const auto& [name, field] : fields)
        if (std::optional<std::string> value = optionValue(name, name, argc, argv, i)) {
            *field = std::move(*value);
            return true;
        }
    return false;
}

// Returns an exit code when the command line is not usable, nullopt otherwise.
std::optional<int> parseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
        } else if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else if (std::optional<std::string> value =
                       optionValue("--format", "-f", argc, argv, i)) {
            options.format = formatFromName(*value);
            if (!options.format)
                return usageError("unknown format '" + *value +
                                  "' (use dxf, vrml, 3ds, gltf, obj, stl, 3mf, plv or png)");
        } else if (std::optional<std::string> value = optionValue("--size", "-s", argc, argv, i)) {
            if (!parseSize(*value, options.width, options.height))
                return usageError("invalid size '" + *value + "': use N or WxH, each side " +
                                  SizeRange);
        } else if (takeOutlineOption(options.outlines, argc, argv, i)) {
        } else if (takeMakingOption(options.making, [&](const std::string& name) {
                       return optionValue(name, name, argc, argv, i);
                   })) {
        } else if (std::optional<std::string> value =
                       optionValue("--lathe", "--lathe", argc, argv, i)) {
            char* end = nullptr;
            const long n = std::strtol(value->c_str(), &end, 10);
            if (value->empty() || *end != '\0' || n < 3 || n > 100)
                return usageError("--lathe takes a number of steps from 3 to 100, not '" + *value +
                                  "'");
            options.outlines.Lathe = int(n);
        } else if (std::optional<std::string> value =
                       optionValue("--rise", "--rise", argc, argv, i)) {
            if (!parseNumber(*value, options.outlines.Rise))
                return usageError("--rise takes a number of millimetres, not '" + *value + "'");
            options.outlines.Pitch = true;
        } else if (std::optional<std::string> value =
                       optionValue("--turns", "--turns", argc, argv, i)) {
            if (!parseNumber(*value, options.outlines.Turns))
                return usageError("--turns takes a number, not '" + *value + "'");
            options.outlines.Pitch = true;
        } else if (std::optional<std::string> value = optionValue("--unit", "-u", argc, argv, i)) {
            options.unit = findExportUnit(*value);
            if (!options.unit)
                return usageError("unknown unit '" + *value + "' (use " + exportUnitNames() + ")");
        } else if (std::optional<std::string> value = optionValue("--up", "--up", argc, argv, i)) {
            if (value->empty() || !findUpChoice(*value, options.up))
                return usageError("--up takes y or z, not '" + *value + "'");
        } else {
            return usageError("unknown option '" + arg + "'");
        }
    }
    if (options.help) return std::nullopt;
    const TOutlineOptions& o = options.outlines;
    const TMakingOptions& m = options.making;
    if (!o.Path.empty() && o.Lathe > 0) return usageError("--path and --lathe exclude each other");
    if (m.Frame && (!o.Path.empty() || o.Lathe > 0))
        return usageError("--frame makes the path: it excludes --path and --lathe");
    if (m.Rebate && !m.Frame) return usageError("--rebate goes with --frame");
    if (o.Pitch && o.Lathe == 0) return usageError("--rise and --turns go with --lathe");
    if (o.Pitch)
        if (const std::string error = lathePitchError(o.Lathe, o.Rise, o.Turns); !error.empty())
            return usageError(error);
    if (o.Any() && positional.size() == 1) {
        // A new document: its one object needs both outlines.
        if (o.Profile.empty()) return usageError("a new document needs --profile");
        if (o.Path.empty() == (o.Lathe == 0) && !m.Frame)
            return usageError("a new document needs --path, --lathe or --frame");
        positional.insert(positional.begin(), std::string());
    }
    // Reports alone need no OUTPUT.
    if (m.AnyReport() && positional.size() == 1) positional.push_back(std::string());
    if (!o.Object.empty() && !o.Any()) return usageError("--object goes with --profile or --path");
    if ((!o.ProfileLayer.empty() && o.Profile.empty()) || (!o.PathLayer.empty() && o.Path.empty()))
        return usageError("a layer option needs the drawing it applies to");
    if (!o.Object.empty() && positional.size() == 2 && positional[0].empty())
        return usageError("--object needs an INPUT document");
    if (positional.size() != 2)
        return usageError(positional.size() < 2 ? "INPUT and OUTPUT are required"
                                                : "too many arguments");
    options.input = positional[0];
    options.output = positional[1];
    if (options.output.empty()) return std::nullopt;
    if (!options.format) {
        options.format = formatFromExtension(options.output);
        if (!options.format)
            return usageError("cannot tell the format from '" + options.output +
                              "': use a .dxf, .wrl, .3ds, .glb, .obj, .stl, .3mf, .plv or .png "
                              "name, or --format");
    }
    if (options.width != 0 && !isPicture(options.format))
        return usageError("--size applies to PNG pictures only");
    if (options.width == 0) options.width = options.height = DefaultPictureSize;
    return std::nullopt;
}

// Progress lines of the loader, shown only with --verbose.
class StderrMessages : public TMessageSink {
  public:
    explicit StderrMessages(bool show) : Show(show) {}
    void SetMessageString(const std::string& text) override {
        if (Show) std::fprintf(stderr, "%s: %s\n", Program, text.c_str());
    }

  private:
    bool Show;
};

// Frees the exporter (which closes its file) on every path out of an export.
struct RendererReset {
    ~RendererReset() { setCurrentRenderer(nullptr); }
};

// Returns the objects whose exported surface is not watertight.
std::vector<std::string> writeDocument(TExtrObjList& doc, const Format& format,
                                       const std::string& fileName) {
    if (!format.useRenderer) {
        doc.SaveToFile(fileName);
        return {};
    }
    RendererReset reset;
    format.useRenderer();
    redrawDocument(doc, 0, fileName);
    return notWatertightObjects(doc);
}

// A picture (a thumbnailer's call) never hangs: after PictureTimeLimit seconds the process ends
// with a message, removing the file it was writing.
constexpr unsigned PictureTimeLimit = 10;
char stagedFile[4096] = "";

void rememberStagedFile(const std::string& path) {
    if (path.size() < sizeof stagedFile) std::memcpy(stagedFile, path.c_str(), path.size() + 1);
}

extern "C" void abandonPicture(int) {
    static const char message[] =
        "palvorin-export: error: the picture took longer than 10 seconds; abandoned\n";
    if (stagedFile[0] != '\0') unlink(stagedFile);
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(ExitFailure);
}

int run(const Options& options) {
    if (isPicture(options.format)) {
        std::signal(SIGALRM, abandonPicture);
        alarm(PictureTimeLimit);
    }
    struct stat st {};
    if (!options.input.empty() && stat(options.input.c_str(), &st) != 0)
        return failure("cannot open '" + options.input + "': " + std::strerror(errno));
    if (!options.input.empty() && S_ISDIR(st.st_mode))
        return failure("'" + options.input + "' is a directory");
    if (stat(options.output.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return failure(exportFailureText(options.output,
                                         "Cannot create file \"" + options.output +
                                             "\": " + std::strerror(EISDIR),
                                         TTargetBefore::Device));

        // The picture's scene comes first: the document's textures are loaded into its context.
#ifdef PALVORIN_PICTURES
    std::optional<TOffscreenView> view;
    if (isPicture(options.format)) {
        try {
            view.emplace(options.width, options.height);
        } catch (const std::exception& e) {
            return failure(e.what());
        }
    }
#else
    if (isPicture(options.format))
        return failure("this build of palvorin-export makes no pictures");
#endif

    TExtrObjList doc;
    StderrMessages messages(options.verbose);
    try {
        const std::string missing =
            options.input.empty()
                ? std::string()
                : textureProblemsMessage(doc.LoadFromFile(options.input, &messages));
        if (!missing.empty()) std::fprintf(stderr, "%s: warning: %s\n", Program, missing.c_str());
    } catch (const std::exception& e) {
        return failure("cannot read '" + options.input + "': " + e.what());
    }
    if (options.outlines.Any()) {
        std::vector<std::string> report;
        try {
            applyOutlineOptions(doc, options.input.empty(), options.outlines, report);
        } catch (const std::exception& e) {
            return failure(e.what());
        }
        for (const std::string& line : report)
            std::fprintf(stderr, "%s: %s\n", Program, line.c_str());
    }
    if (options.making.Frame) {
        try {
            applyFrame(doc, options.making);
        } catch (const std::exception& e) {
            return failure(e.what());
        }
    }
    // The reports are worked out first, so that a setting out of range writes nothing, and
    // written last, once the export succeeded.
    TReportFiles reports;
    if (options.making.AnyReport()) {
        std::vector<std::string> warnings;
        try {
            reports = makingReports(doc, options.making, warnings);
        } catch (const std::exception& e) {
            return failure(e.what());
        }
        for (const std::string& line : warnings)
            std::fprintf(stderr, "%s: warning: %s\n", Program, line.c_str());
    }
    auto writeReports = [&] {
        try {
            writeReportFiles(reports);
        } catch (const std::exception& e) {
            return failure(e.what());
        }
        return 0;
    };
    if (options.output.empty()) return writeReports();

    int drawable = 0;
    for (int i = 0; i < doc.Count(); ++i)
        if (objectDrawable(doc.Items(i))) ++drawable;
    if (drawable == 0)
        return failure("nothing to export: '" + options.input + "' holds no complete object");

    // A regular file is written beside the output and renamed over it once complete; a device
    // or a pipe is written directly, so its errors are reported. Only the picture needs this here:
    // the other writers do it themselves (OBJ for its material library and texture copies too),
    // so they get OUTPUT itself.
    std::optional<TSaveTarget> out;
    std::vector<std::string> open;
    setExportUnit(*options.unit);
    setExportUpChoice(options.up);
    const TTargetBefore before = targetBefore(options.output);
    try {
        if (!options.format->stagesItself) out.emplace(options.output);
        if (out && !out->Direct()) rememberStagedFile(out->WritePath());
#ifdef PALVORIN_PICTURES
        if (view)
            writePicturePng(view->render(doc), out->WritePath());
        else
#endif
            open = writeDocument(doc, *options.format, out ? out->WritePath() : options.output);
    } catch (const std::exception& e) {
        return failure(exportFailureText(options.output, e.what(), before));
    }
    // Objects that are not watertight are named below instead.
    if (options.format->useRenderer == &useSTEPRenderer)
        for (const TStepShellObject& shell : stepShellObjects())
            if (std::find(open.begin(), open.end(), shell.Name) == open.end())
                std::fprintf(stderr, "%s: warning: object \"%s\" is written as a shell: %s\n",
                             Program, shell.Name.c_str(), shell.Reason.c_str());
    const std::string written = out ? out->WritePath() : options.output;
    // Only a regular file tells its size: a device or a pipe written directly reports 0.
    const bool found = stat(written.c_str(), &st) == 0;
    const long long bytes = found ? static_cast<long long>(st.st_size) : -1;
    if (!found || (S_ISREG(st.st_mode) && bytes == 0))
        return failure("export to '" + options.output + "' produced no data");
    try {
        if (out) out->Commit();
    } catch (const std::exception& e) {
        return failure(exportFailureText(options.output, e.what(), before));
    }

    if (exportNeedsSolids(options.format->useRenderer))
        for (const std::string& name : open)
            std::fprintf(stderr,
                         "%s: warning: object \"%s\" is not watertight: it is not one closed "
                         "surface, so it does not describe a solid\n",
                         Program, name.c_str());
    if (options.verbose)
        std::fprintf(stderr, "%s: wrote %s (%s, %d of %d objects, %lld bytes)\n", Program,
                     options.output.c_str(), options.format->title, drawable, doc.Count(), bytes);
    return writeReports();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        if (auto code = parseArguments(argc, argv, options)) return *code;
    } catch (const MissingValue& missing) {
        return usageError("option '" + missing.option + "' needs a value");
    } catch (const std::invalid_argument& bad) {
        return usageError(bad.what());
    }
    if (options.help) {
        printHelp();
        return 0;
    }
    try {
        return run(options);
    } catch (const std::exception& e) {
        return failure(e.what());
    }
}
