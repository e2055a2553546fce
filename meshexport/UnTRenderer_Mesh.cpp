// The mesh export pipeline: collecting faces into runs per object (zero-area faces left out, flat
// normals, merged corners), then each object prepared (welded, its runs filled, the format's own
// preparation) and written by its format on threads the pipeline owns while the next is built;
// the staged files make each export all-or-nothing.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------
// Geometry

namespace {

// A triangle whose doubled area is at most this fraction of its longest edge squared is taken as
// having no area: corners that coincide, corners on one line, or a sliver below float precision.
constexpr double ZeroAreaRatio = 1e-6;
// Normals are snapped to this grid before normalising, so that faces of one plane whose corners
// differ by rounding still share their corners.
constexpr double NormalGrid = 32768;

} // namespace

namespace {

// b - a in double precision.
struct Difference {
    double d[3];
};
inline Difference minus(const Vec3& b, const Vec3& a) {
    return Difference{{double(b.X) - a.X, double(b.Y) - a.Y, double(b.Z) - a.Z}};
}
inline double square(const double* d) {
    return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
}

// The normal u x v of a triangle whose sides from its first corner are u and v, and whose third
// side is w; false when it has no area.
inline bool sideNormal(const Difference& u, const Difference& v, const Difference& w, double n[3]) {
    n[0] = u.d[1] * v.d[2] - u.d[2] * v.d[1];
    n[1] = u.d[2] * v.d[0] - u.d[0] * v.d[2];
    n[2] = u.d[0] * v.d[1] - u.d[1] * v.d[0];
    const double longest = std::max({square(u.d), square(v.d), square(w.d)});
    return square(n) > ZeroAreaRatio * ZeroAreaRatio * longest * longest;
}

} // namespace

bool faceNormal(const Vec3& a, const Vec3& b, const Vec3& c, double n[3]) {
    return sideNormal(minus(b, a), minus(c, a), minus(c, b), n);
}

namespace {

// x rounded to the nearest integer, ties to even, as std::nearbyint gives it in the default
// rounding mode, without a library call; for |x| below 2^51.
constexpr double RoundingShift = 6755399441055744.0; // 1.5 * 2^52: its units are whole numbers
double roundToInteger(double x) {
    return (x + RoundingShift) - RoundingShift;
}

// The unit normals of count faces whose normals' coordinates are x, y and z, snapped to the
// grid.
void unitNormals(const double* x, const double* y, const double* z, size_t count, float (*out)[3]) {
    for (size_t i = 0; i < count; ++i) {
        // One division each instead of three: the snap absorbs the scale's last-bit rounding.
        const double scale = NormalGrid / std::sqrt(x[i] * x[i] + y[i] * y[i] + z[i] * z[i]);
        const double q[3] = {roundToInteger(x[i] * scale), roundToInteger(y[i] * scale),
                             roundToInteger(z[i] * scale)};
        const double unit = 1 / std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
        for (int k = 0; k < 3; ++k)
            out[i][k] = float(q[k] * unit) + 0.0f; // no negative zero
    }
}

TMeshCorner corner(const Vec3& p, const Vec3& t, bool textured) {
    // Adding zero turns a negative zero into zero, so that equal corners compare equal bitwise.
    return TMeshCorner{{p.X + 0.0f, p.Y + 0.0f, p.Z + 0.0f},
                       {textured ? t.X + 0.0f : 0.0f, textured ? t.Y + 0.0f : 0.0f}};
}

bool sameColor(const ColorF& a, const ColorF& b) {
    return std::memcmp(&a, &b, sizeof(ColorF)) == 0;
}

} // namespace

void adviseLargePages(const void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t Large = uintptr_t(2) << 20;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + Large - 1) & ~(Large - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(Large - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void fileError(const char* what, const std::string& name, int err) {
    throw std::runtime_error(std::string(what) + " \"" + name +
                             "\": " + (err != 0 ? std::strerror(err) : "input/output error"));
}

TMaterialKey materialKey(const TMeshRun& run) {
    return TMaterialKey(std::string(reinterpret_cast<const char*>(&run.Color), sizeof(ColorF)),
                        run.textured() ? run.Texture.FileName : std::string());
}

Vec3 placeDirection(const Matrix4& m, const float d[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i)
        r[i] = m.m[i] * d[0] + m.m[4 + i] * d[1] + m.m[8 + i] * d[2];
    const double length = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    if (!(length > 0)) return Vec3{0, 0, 0};
    return Vec3{float(r[0] / length) + 0.0f, float(r[1] / length) + 0.0f,
                float(r[2] / length) + 0.0f};
}

// ---------------------------------------------------------------------------------------------
// TMeshRenderer

Matrix4 scaledPlacement(const Matrix4& placement, double factor) {
    Matrix4 m = placement;
    for (int i = 0; i < 16; ++i)
        if (i % 4 != 3) m.m[i] *= factor;
    return m;
}

// Faces before any state call take the default appearance.
TMeshRenderer::TMeshRenderer(std::unique_ptr<TMeshFormat> format)
    : format_(std::move(format)), upAxis_(format_->upAxis), faceColor_(DefaultFaceColor) {}

void TMeshRenderer::fail(const char* stepName, std::exception_ptr cause) {
    stopWorkers();
    format_->abandon();
    staged_.discard();
    std::string what = "unknown error";
    try {
        std::rethrow_exception(cause);
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    rendererError(10, std::string("Error in ") + format_->name + ":" + stepName + " " + what);
}

void TMeshRenderer::initRendering(const std::string& fileName) {
    // As with the other exporters, a file that cannot be created is reported by the file layer.
    try {
        format_->begin(fileName, staged_);
    } catch (...) {
        format_->abandon();
        staged_.discard();
        throw;
    }
}

void TMeshRenderer::endRendering() {
    step("endObject", [&] {
        // The last objects' turn: the one being welded is written once the one before it is.
        waitForWorkers();
        if (std::exchange(hasWriting_, false)) writing_ = TMeshObject{};
        if (std::exchange(hasWelding_, false)) {
            if (!welding_.Closed) openObjects_.push_back(welding_.Name);
            std::swap(writing_, welding_);
            format_->writeObject(writing_);
        }
    });
    step("endRendering", [&] {
        format_->finish(staged_);
        staged_.commit();
    });
}

void TMeshRenderer::clearRuns() {
    std::vector<TMeshRun>& runs = collecting_.Runs;
    collecting_.Facets.clear();
    collecting_.Faces.clear();
    collecting_.PositionIds.clear();
    collecting_.Positions = 0;
    collecting_.Points.clear();
    collectedBits_.clear();
    gridIds_.clear();
    gridSerial_ = 0;
    pendingCount_ = 0;
    // The spare runs lie the first last, so that lendRunRoom gives the room of this object's first
    // run to the first run of the next one: objects alike have runs alike.
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        run->Vertices.clear();
        run->PositionIds.clear();
        run->Indices.clear();
        run->Triangles = 0;
        run->Texture = TTextureObj{};
        spare_.push_back(std::move(*run));
    }
    runs.clear();
    currentRun_ = -1;
}

void TMeshRenderer::initObject(const std::string& name) {
    clearRuns();
    collecting_.Name = name;
    lastVertex = -1;
    // Nothing of the previous object's appearance carries over.
    faceColor_ = DefaultFaceColor;
    faceTexture_ = TTextureObj{};
    textureName.clear();
}

void TMeshRenderer::setTexture(TTextureObj texture) {
    if (texture.TexId == -1) texture = TTextureObj{};
    faceTexture_ = std::move(texture);
    // Only a flag here: the base class's flush passes it on as the textured argument.
    textureName = faceTexture_.TexId != -1 ? "texture " + faceTexture_.FileName : std::string();
    currentRun_ = -1;
}

void TMeshRenderer::setColor(ColorF color) {
    faceColor_ = color;
    currentRun_ = -1;
}

TMeshRun& TMeshRenderer::currentRun() {
    std::vector<TMeshRun>& runs = collecting_.Runs;
    if (currentRun_ < 0) {
        const bool textured = faceTexture_.TexId != -1;
        for (size_t i = 0; i < runs.size() && currentRun_ < 0; ++i)
            if (sameColor(runs[i].Color, faceColor_) && runs[i].textured() == textured &&
                (!textured || runs[i].Texture.FileName == faceTexture_.FileName))
                currentRun_ = int32_t(i);
        if (currentRun_ < 0) {
            if (spare_.empty()) spare_.emplace_back();
            runs.push_back(std::move(spare_.back()));
            spare_.pop_back();
            runs.back().Color = faceColor_;
            runs.back().Texture = faceTexture_;
            currentRun_ = int32_t(runs.size() - 1);
        }
    }
    return runs[size_t(currentRun_)];
}

namespace {

// Which triangles of a face (a quad's are (0 1 2) and (0 2 3)) have an area, and the face's
// flat normal: that of the first one with an area, as the screen draws it, not yet of unit
// length. Returns how many there are, from the first one with an area on (first).
int acceptedTriangles(const Vec3* p, int n, double normal[3], int& first) {
    double second[3];
    // A quad's two triangles share the diagonal from corner 0 to 2.
    const Difference diagonal = minus(p[2], p[0]);
    const bool hasFirst = sideNormal(minus(p[1], p[0]), diagonal, minus(p[2], p[1]), normal);
    const bool hasSecond =
        n == 4 && sideNormal(diagonal, minus(p[3], p[0]), minus(p[3], p[2]), second);
    if (!hasFirst && hasSecond) std::copy_n(second, 3, normal);
    first = hasFirst ? 0 : 1;
    return int(hasFirst) + int(hasSecond);
}

} // namespace

template <class Number>
void TMeshRenderer::addFace(const TMeshCorner* corners, int n, Number number) {
    if (currentRun_ < 0) currentRun();
    std::vector<TMeshFacet>& facets = collecting_.Facets;
    std::vector<TMeshFace>& faces = collecting_.Faces;
    // Grown here as the vectors would, so that the new room can take large pages.
    if (facets.size() + 2 > facets.capacity()) {
        const size_t room = std::max<size_t>(2 * facets.capacity(), 1024);
        reserveLarge(facets, room);
        reserveLarge(collecting_.PositionIds, room);
    }
    if (faces.size() + 1 > faces.capacity())
        reserveLarge(faces, std::max<size_t>(2 * faces.capacity(), 1024));
    // The face's corners are numbered in the order its triangles first use them, whether they
    // have an area or not.
    uint32_t ids[4];
    for (int c = 0; c < n; ++c)
        ids[c] = number(uint8_t(c));
    Vec3 p[4];
    for (int c = 0; c < n; ++c)
        p[c] = Vec3{corners[c].Position[0], corners[c].Position[1], corners[c].Position[2]};
    double normal[3];
    int first = 0;
    const int accepted = acceptedTriangles(p, n, normal, first);
    if (accepted > 0) {
        if (faces.size() >= TMeshFacet::MaxFaces)
            throw std::runtime_error("the object has too many faces");
        const uint32_t index = uint32_t(faces.size());
        // Built whole here and appended (appending an empty one to fill would clear it first).
        TMeshFace face;
        for (int c = 0; c < 4; ++c)
            for (int a = 0; a < 2; ++a)
                face.TexCoords[c][a] = c < n ? corners[c].TexCoord[a] : 0.0f;
        face.Normal[0] = face.Normal[1] = face.Normal[2] = 0; // given with settleFaces
        face.Run = uint32_t(currentRun_);
        faces.push_back(face);
        pending_[pendingCount_] = index;
        pendingX_[pendingCount_] = normal[0];
        pendingY_[pendingCount_] = normal[1];
        pendingZ_[pendingCount_] = normal[2];
        for (int t = first; t < first + accepted; ++t) {
            const TMeshFacet facet = TMeshFacet::of(index, t == 1);
            std::array<uint32_t, 3> outIds;
            for (int k = 0; k < 3; ++k)
                outIds[size_t(k)] = ids[facet.corner(k)];
            facets.push_back(facet);
            collecting_.PositionIds.push_back(outIds);
        }
        collecting_.Runs[size_t(currentRun_)].Triangles += size_t(accepted);
        if (++pendingCount_ == SettleBlock) settleFaces();
    }
}

void TMeshRenderer::fillRuns(TMeshObject& object) {
    // A corner can equal only corners at its position: each position keeps the list of the
    // corners stored at it, which a face's own corners mostly head.
    reserveLarge(storedAt_, object.Positions);
    storedAt_.assign(object.Positions, 0);
    stored_.clear();
    const auto& positionIds = object.PositionIds;
    const std::vector<TMeshFacet>& triangles = object.Facets;
    const std::vector<TMeshFace>& faces = object.Faces;
    // Room for every corner of a run once, so that its tables never move while they fill (room
    // never written takes no memory).
    for (TMeshRun& run : object.Runs) {
        run.Indices.clear();
        reserveLarge(run.Vertices, 3 * run.Triangles);
        reserveLarge(run.PositionIds, 3 * run.Triangles);
        reserveLarge(run.Indices, 3 * run.Triangles);
    }
    reserveLarge(stored_, 3 * triangles.size());
    uint32_t last[3] = {0, 0, 0}; // the indices of the triangle before
    for (size_t i = 0; i < triangles.size(); ++i) {
        const TMeshFacet& t = triangles[i];
        const TMeshFace& face = faces[t.face()];
        TMeshRun& run = object.Runs[face.Run];
        float normal[3];
        t.normal(face, normal);
        // The triangles of one face turned the same way share its normal: a corner of the
        // triangle before at the same position with the same texture coordinate is the same
        // vertex.
        const bool sameFace = i > 0 && triangles[i - 1].face() == t.face() &&
                              triangles[i - 1].flipped() == t.flipped();
        uint32_t indices[3];
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t position = positionIds[i][k];
            const float* texCoord = face.TexCoords[t.corner(int(k))];
            uint32_t index = UINT32_MAX;
            if (sameFace)
                for (size_t b = 0; b < 3 && index == UINT32_MAX; ++b)
                    if (positionIds[i - 1][b] == position &&
                        std::memcmp(face.TexCoords[triangles[i - 1].corner(int(b))], texCoord,
                                    sizeof face.TexCoords[0]) == 0)
                        index = last[b];
            if (index == UINT32_MAX) {
                // The corners at one position share it: the rest tells them apart.
                TMeshVertex v;
                std::memcpy(v.Normal, normal, sizeof v.Normal);
                std::memcpy(v.TexCoord, texCoord, sizeof v.TexCoord);
                uint32_t& first = storedAt_[position];
                for (uint32_t s = first; s != 0 && index == UINT32_MAX; s = stored_[s - 1].next) {
                    const StoredCorner& c = stored_[s - 1];
                    if (c.run == face.Run &&
                        std::memcmp(&run.Vertices[c.index], &v, sizeof(TMeshVertex)) == 0)
                        index = c.index;
                }
                if (index == UINT32_MAX) {
                    index = uint32_t(run.Vertices.size());
                    run.Vertices.push_back(v);
                    run.PositionIds.push_back(position);
                    stored_.push_back(StoredCorner{face.Run, index, first});
                    first = uint32_t(stored_.size());
                }
            }
            indices[k] = index;
            run.Indices.push_back(index);
        }
        std::memcpy(last, indices, sizeof last);
    }
}

void TMeshRenderer::collectFace(const Vec3* p, const Vec3* t, int n, bool textured) {
    textured = textured && faceTexture_.TexId != -1;
    TMeshCorner corners[4];
    for (int k = 0; k < n; ++k)
        corners[k] = corner(p[k], t[k], textured);
    addFace(corners, n, [&](uint8_t c) {
        std::array<float, 3> bits;
        std::memcpy(bits.data(), corners[c].Position, sizeof bits);
        return collectedBits_.add(bits);
    });
}

void TMeshRenderer::settleFaces() {
    float normals[SettleBlock][3];
    unitNormals(pendingX_.data(), pendingY_.data(), pendingZ_.data(), pendingCount_, normals);
    std::vector<TMeshFace>& faces = collecting_.Faces;
    for (size_t f = 0; f < pendingCount_; ++f)
        std::memcpy(faces[pending_[f]].Normal, normals[f], sizeof normals[f]);
    pendingCount_ = 0;
}

void TMeshRenderer::quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) {
    step("quads", [&] { collectFace(vertices.data(), texCoords.data(), 4, textured); });
}

void TMeshRenderer::triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) {
    step("triangle", [&] { collectFace(vertices.data(), texCoords.data(), 3, textured); });
}

__attribute__((flatten)) void TMeshRenderer::gridQuads(const TPointGrid& grid,
                                                       const TQuadIndices* corners,
                                                       const TQuadVerts* texCoords, int32_t count,
                                                       bool textured) {
    const size_t size = grid.Points.size();
    if (grid.Serial != gridSerial_) {
        // More points than position numbers can hold: these quads are taken as loose ones.
        if (!keepGridNumbers || size >= UINT32_MAX - 1 - gridIds_.size()) {
            TRenderer::gridQuads(grid, corners, texCoords, count, textured);
            return;
        }
        gridSerial_ = grid.Serial;
        gridBase_ = uint32_t(gridIds_.size());
        gridIds_.resize(gridIds_.size() + size, UINT32_MAX);
        // The look-up table's slots for the shared points are fetched while the quads are taken.
        for (size_t i = 0; i < size; ++i)
            if (grid.Shared[i]) {
                std::array<float, 3> bits;
                std::memcpy(bits.data(), &grid.Points[i], sizeof bits);
                collectedBits_.prefetch(bits);
            }
    }
    step("quads", [&] {
        const Vec3* p = grid.Points.data();
        const bool withTexture = textured && faceTexture_.TexId != -1;
        for (int32_t i = 0; i < count; ++i) {
            const TQuadIndices& c = corners[i];
            TMeshCorner quad[4];
            for (size_t k = 0; k < 4; ++k)
                quad[k] = corner(p[c[k]], texCoords[i][k], withTexture);
            // A grid point is numbered where its first corner is met: its own points apart from
            // all others, the shared ones by their bits.
            addFace(quad, 4, [&](uint8_t k) {
                const size_t point = size_t(c[k]);
                uint32_t& id = gridIds_[gridBase_ + point];
                if (id == UINT32_MAX) {
                    std::array<float, 3> bits;
                    std::memcpy(bits.data(), quad[k].Position, sizeof bits);
                    id = grid.Shared[point] ? collectedBits_.add(bits)
                                            : collectedBits_.addUnlisted(bits);
                }
                return id;
            });
        }
    });
}

void TMeshRenderer::texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    bufferTexturedVertex(vertex, texCoord, normal);
}

void TMeshRenderer::weld(TMeshObject& object) {
    object.Positions =
        weldFacets(object.Facets, object.Faces, object.PositionIds, object.Points, &weldRoom_);
    std::vector<uint32_t> across;
    bool eachWayOnce = false, open = true;
    object.Closed =
        pairSides(object.PositionIds, object.Positions, across, &eachWayOnce, &weldRoom_, &open) &&
        eachWayOnce && !open;
}

void TMeshRenderer::prepare(TMeshObject& object, bool welded) {
    // All of it here, where the data are fresh from the weld: the writer only writes.
    if (!welded) {
        const TGiveBack roomBack{[this] {
            weldRoomBusy_.store(false);
            weldRoomBusy_.notify_all();
        }};
        weld(object);
    }
    if (format_->usesRuns()) fillRuns(object);
    if (!object.Prepared) object.Prepared = format_->newState();
    if (!object.Prepared) return;
    // The parts of a large object side by side, each on a helper thread but the first; a small
    // one's in turn, where a thread would cost more than it saves.
    constexpr uint32_t SideBySide = 4096; // positions
    const int parts = format_->prepareParts();
    const bool sideBySide = parts > 1 && object.Positions >= SideBySide;
    std::vector<std::thread> helpers(sideBySide ? size_t(parts - 1) : 0);
    std::vector<std::exception_ptr> errors(helpers.size());
    const auto joinHelpers = [&helpers] {
        for (std::thread& helper : helpers)
            if (helper.joinable()) helper.join();
    };
    const TGiveBack joined{joinHelpers};
    for (size_t h = 0; h < helpers.size(); ++h)
        start(helpers[h], errors[h],
              [this, &object, h] { format_->prepare(object, *object.Prepared, int(h) + 1); });
    for (int part = 0; part < (sideBySide ? 1 : parts); ++part)
        format_->prepare(object, *object.Prepared, part);
    joinHelpers();
    for (std::exception_ptr& error : errors)
        if (error) std::rethrow_exception(error);
}

void TMeshRenderer::waitForWorkers() {
    if (welder_.joinable()) welder_.join();
    if (writer_.joinable()) writer_.join();
    if (writerError_) std::rethrow_exception(std::exchange(writerError_, nullptr));
    if (welderError_) std::rethrow_exception(std::exchange(welderError_, nullptr));
}

void TMeshRenderer::stopWorkers() noexcept {
    if (welder_.joinable()) welder_.join();
    if (writer_.joinable()) writer_.join();
    welderError_ = writerError_ = nullptr;
}

void TMeshRenderer::endObject(int32_t, int32_t, bool) {
    step("endObject", [&] {
        collectedBits_.moveValuesTo(collecting_.Points);
        settleFaces();
        // Where the format asks for it, the object is welded here while the thread after is busy
        // with the one before; the first object, with that thread idle, is welded there. The
        // weld's room serves one weld at a time.
        const bool weldHere = format_->weldsWhereCollected() && hasWelding_;
        if (weldHere) {
            weldRoomBusy_.wait(true);
            weld(collecting_);
        }
        waitForWorkers();
        // The object before is written while this one is welded and the next one built; the
        // written one's room serves the next.
        collecting_.Matrix = toExportFrame(objectMatrix, upAxis_);
        TMeshObject written;
        if (std::exchange(hasWriting_, false)) written = std::move(writing_);
        if (std::exchange(hasWelding_, false)) {
            if (!welding_.Closed) openObjects_.push_back(welding_.Name);
            writing_ = std::move(welding_);
            hasWriting_ = true;
        }
        welding_ = std::move(collecting_);
        hasWelding_ = true;
        collecting_ = std::move(written);
        if (format_->usesRuns()) {
            // The writer reads the runs and the positions: the triangles' room of the object welded
            // last serves the next one, and the runs' room of the object written last those of the
            // one welded now. Two objects' worth of each is in use, not three.
            collecting_.Facets.swap(writing_.Facets);
            collecting_.Faces.swap(writing_.Faces);
            collecting_.PositionIds.swap(writing_.PositionIds);
        }
        clearRuns();
        if (format_->usesRuns()) lendRunRoom(welding_.Runs);
        // Room for as many triangles as the largest object so far has at once, instead of
        // growing step by step while the next one is collected.
        largestObject_ = std::max(largestObject_, welding_.Facets.size());
        largestFaces_ = std::max(largestFaces_, welding_.Faces.size());
        reserveLarge(collecting_.Facets, largestObject_);
        reserveLarge(collecting_.PositionIds, largestObject_);
        reserveLarge(collecting_.Faces, largestFaces_);
        // A closed surface has about half as many corners as triangles; most are grid points of
        // their own grid, which the look-up table never holds.
        collectedBits_.reserveValues(largestObject_ / 2 + 16);
        if (!weldHere) weldRoomBusy_.store(true);
        start(welder_, welderError_, [this, weldHere] { prepare(welding_, weldHere); });
        if (hasWriting_) start(writer_, writerError_, [this] { format_->writeObject(writing_); });
    });
}

void TMeshRenderer::lendRunRoom(std::vector<TMeshRun>& runs) {
    // Spare runs lie the first last, as their object had them.
    for (size_t i = 0; i < runs.size() && i < spare_.size(); ++i) {
        TMeshRun& room = spare_[spare_.size() - 1 - i];
        runs[i].Vertices.swap(room.Vertices);
        runs[i].PositionIds.swap(room.PositionIds);
        runs[i].Indices.swap(room.Indices);
    }
}

TMeshRenderer::~TMeshRenderer() {
    stopWorkers();
}

// ---------------------------------------------------------------------------------------------
// Selection

namespace {

void useMeshFormat(std::unique_ptr<TMeshFormat> format) {
    setCurrentRenderer(std::make_unique<TMeshRenderer>(std::move(format)));
}

} // namespace

void useGLTFRenderer() {
    useMeshFormat(std::make_unique<TGLTFFormat>());
}
void useOBJRenderer() {
    useMeshFormat(newOBJFormat());
}
void useSTLRenderer() {
    useMeshFormat(newSTLFormat());
}
void use3MFRenderer() {
    useMeshFormat(new3MFFormat());
}
