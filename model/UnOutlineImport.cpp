// Outlines in and out of DXF files, and the objects the command line builds from them.
#include "model/UnOutlineImport.h"

#include "model/UnSaveTarget.h"
#include "model/UnTExtrObj.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

namespace {

// Larger files are refused before they are read into memory.
constexpr long long MaxDxfBytes = 128LL << 20;

std::string readWholeFile(const std::string& fileName) {
    struct stat st {};
    if (stat(fileName.c_str(), &st) != 0)
        throw EOutlineError("cannot read " + fileName + ": " + std::strerror(errno));
    if (S_ISDIR(st.st_mode)) throw EOutlineError(fileName + " is a folder, not a DXF drawing");
    if (S_ISREG(st.st_mode) && st.st_size > MaxDxfBytes)
        throw EOutlineError(fileName + " is too large for a drawing of outlines (" +
                            std::to_string(st.st_size >> 20) + " MB)");
    errno = 0;
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EOutlineError("cannot read " + fileName + ": " +
                            (errno ? std::strerror(errno) : "cannot open the file"));
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) throw EOutlineError("cannot read " + fileName + ": read error");
    return bytes;
}

} // namespace

TStoredOutline importOutline(const std::string& fileName, TOutlineKind kind,
                             const std::string& layer, int32_t currentScale) {
    TDxfOutlines drawing = readDxfOutlines(readWholeFile(fileName), fileName, layer);
    const TOutlineChain chain = chooseOutline(drawing, kind, fileName, layer);
    TStoredOutline outline = storeOutline(chain, kind, currentScale, fileName);
    if (drawing.UnitName != "millimetres")
        drawing.Notes.insert(drawing.Notes.begin(), "drawing units: " + drawing.UnitName);
    outline.Notes.insert(outline.Notes.begin(), drawing.Notes.begin(), drawing.Notes.end());
    return outline;
}

std::vector<std::string> outlineLayers(const std::string& fileName) {
    return readDxfOutlines(readWholeFile(fileName), fileName, {}).Layers;
}

void exportOutline(const std::string& fileName, const OutlineVertex* vertices, int32_t count,
                   int32_t scale, TOutlineKind kind, bool closed) {
    if (count < 2) throw EOutlineError("the outline has no edge to export");
    const double ySign = kind == TOutlineKind::Path ? -1 : 1;
    std::vector<TChainPoint> points;
    for (int32_t i = 0; i < count; ++i)
        points.push_back(
            {vertices[i].X * (scale / 100.0), ySign * vertices[i].Y * (scale / 100.0)});
    if (count > 2 && vertices[0].X == vertices[count - 1].X &&
        vertices[0].Y == vertices[count - 1].Y) {
        points.pop_back();
        closed = true;
    }
    const std::string text = outlineDxfText(points, closed);
    try {
        TSaveTarget target(fileName);
        std::FILE* f = std::fopen(target.WritePath().c_str(), "wb");
        if (!f) throw EOutlineError("cannot write " + fileName + ": " + std::strerror(errno));
        const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        const int err = errno;
        if (std::fclose(f) != 0 || !written)
            throw EOutlineError("cannot write " + fileName + ": " + std::strerror(err ? err : EIO));
        target.Commit();
    } catch (const ESaveTargetError& e) {
        throw EOutlineError(e.what());
    }
}

void setObjectOutline(TExtrObj& object, TOutlineKind kind, const TStoredOutline& outline) {
    auto& to = kind == TOutlineKind::Profile ? object.Profile : object.Path;
    to.fill(OutlineVertex{});
    std::copy_n(outline.Vertices.begin(), outline.Count, to.begin());
    if (kind == TOutlineKind::Profile) {
        object.ProfileCount = outline.Count;
        object.SetProfileScale(outline.Scale);
    } else {
        object.PathCount = outline.Count;
        object.PathHeight = outline.Heights;
        object.SetPathScale(outline.Scale);
        object.SetPathClosed(outline.Closed);
    }
}

std::string outlineSummary(const TStoredOutline& outline, TOutlineKind kind) {
    std::string text = std::string(kind == TOutlineKind::Profile ? "profile" : "path") + ": " +
                       std::to_string(outline.Count) + " vertices" +
                       (outline.Closed ? " (closed)" : "") + ", largest deviation " +
                       millimetres(outline.Deviation) + " mm";
    if (outline.Deviation > outline.FitDeviation)
        text += " (" + millimetres(outline.FitDeviation) + " mm before rounding to the step of " +
                millimetres(outline.Scale / 100.0) + " mm)";
    return text + ", scale " + std::to_string(outline.Scale) + " %";
}
