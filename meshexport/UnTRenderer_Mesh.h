// The indexed-mesh exporters (glTF 2.0 binary, Wavefront OBJ + MTL, binary STL, 3MF): the pipeline
// (TMeshRenderer) that collects, welds and hands each object to its format (TMeshFormat) on
// threads it owns, the object record they share, and the weld.
// See docs/architecture.md (The mesh export pipeline).
#pragma once

#include "render/UnStagedFiles.h"
#include "meshexport/UnExportUnit.h"
#include "render/UnTRenderer_Exporters.h"

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <exception>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

// One corner of an exported triangle beside its position (which its run gives by number): the unit
// normal of its face and the texture coordinate as the builders give it (s, t; 0, 0 when
// untextured).
struct TMeshVertex {
    float Normal[3];
    float TexCoord[2];
};
static_assert(sizeof(TMeshVertex) == 20);

// A corner of a triangle: its position and texture coordinate (as in TMeshVertex).
struct TMeshCorner {
    float Position[3];
    float TexCoord[2];
};

// One accepted triangle of an object, in the order the builders gave it, with the unit normal of
// its face, the index of its run (colour and texture) and the number of the face (quad or
// triangle call) it came from.
struct TMeshTriangle {
    TMeshCorner Corners[3];
    float Normal[3];
    uint32_t Run;
    uint32_t Face;
};

// Makes the object's triangles one closed surface wherever the builders meant one: corners that
// the builders computed twice with different rounding become one position, triangles left without
// area go, two faces that cover each other back to back (the folded inner half of a round corner)
// go, edges that end on another edge's inner corner are split there, and every closed piece is
// wound outwards. No corner moves by more than tolerance (of the order of the coordinates'
// rounding); the order of the triangles is kept otherwise. When positionIds is given, it receives
// the number of each corner's position, below the count returned: corners share a number exactly
// when their positions are bitwise equal.
struct TWeldRoom;
uint32_t weldTriangles(std::vector<TMeshTriangle>& triangles,
                       std::vector<std::array<uint32_t, 3>>* positionIds = nullptr,
                       TWeldRoom* room = nullptr);

// One face of an object as the mesh exports keep it, a quad or a triangle (its fourth corner
// unused): its corners' texture coordinates as in TMeshTriangle, its flat normal, of unit length
// once settled (a few faces after it came, all by the object's end), and its run.
struct TMeshFace {
    float TexCoords[4][2];
    float Normal[3];
    uint32_t Run;
};

// One triangle of an object as the mesh exports keep it: its face, which of the face's
// triangles it is ((0 1 2) or a quad's (0 2 3)), and whether it is turned round (its corners 1
// and 2 swapped, its normal the face's negated). Its corners' positions are given by their
// numbers, beside it.
class TMeshFacet {
  public:
    // Faces an object can have.
    static constexpr uint32_t MaxFaces = uint32_t(1) << 30;

    static TMeshFacet of(uint32_t face, bool second) {
        TMeshFacet t;
        t.bits_ = face << 2 | uint32_t(second) << 1;
        return t;
    }
    uint32_t face() const { return bits_ >> 2; }
    bool flipped() const { return (bits_ & 1) != 0; }
    void flip() { bits_ ^= 1; }
    // The face's corner that is the triangle's corner k.
    int corner(int k) const {
        static constexpr uint8_t Corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
        return Corners[(bits_ >> 1) & 1][flipped() && k > 0 ? 3 - k : k];
    }
    // The triangle's normal: its face's, negated when it is turned round.
    void normal(const TMeshFace& face, float out[3]) const {
        for (int a = 0; a < 3; ++a)
            out[a] = flipped() ? 0.0f - face.Normal[a] : face.Normal[a];
    }

  private:
    uint32_t bits_ = 0; // face << 2 | second << 1 | flipped
};

// weldTriangles for facets of faces whose corners are numbered already (ids), with positions the
// positions by number (a grid's own points may share bits with others and are told apart by
// their numbers): the numbers stand if they make a closed surface; else the weld runs, and
// faces (one per triangle then), numbers and positions come out as it leaves them. Returns the
// count of positions.
uint32_t weldFacets(std::vector<TMeshFacet>& facets, std::vector<TMeshFace>& faces,
                    std::vector<std::array<uint32_t, 3>>& ids,
                    std::vector<std::array<float, 3>>& positions, TWeldRoom* room = nullptr);

// The weld's pairing of triangle sides: false when a triangle (given by its corners' position
// numbers, all below positionCount) repeats a corner or an edge is shared by more than two of
// them; else across holds, per triangle side, the other triangle with that edge, or UINT32_MAX
// when none, eachWayOnce (when given) whether the two triangles of every shared edge run it
// opposite ways, and anyOpen (when given) whether some side has no other triangle.
bool pairSides(const std::vector<std::array<uint32_t, 3>>& ids, uint32_t positionCount,
               std::vector<uint32_t>& across, bool* eachWayOnce = nullptr,
               TWeldRoom* room = nullptr, bool* anyOpen = nullptr);

// Asks the system to back the whole 2 MiB pages of a buffer not yet written with large pages,
// which take a fraction of the faults to fill and to give back; a hint, ignored where unsupported.
void adviseLargePages(const void* data, size_t bytes);

// v.reserve(count), new room taken as large pages where it is large: the advice comes before
// the values move there.
template <class V> void reserveLarge(V& v, size_t count) {
    if (count <= v.capacity()) return;
    V fresh;
    fresh.reserve(count);
    adviseLargePages(fresh.data(), fresh.capacity() * sizeof(typename V::value_type));
    fresh.insert(fresh.end(), std::make_move_iterator(v.begin()), std::make_move_iterator(v.end()));
    v.swap(fresh);
}

// Values stored once each: add gives the index of a bitwise-equal value, appending it when new.
// Meshes arrive as strips, so the last few values are compared first, then the value met last
// with the same low bits of the hash; the large table keeps a part of each value's hash beside its
// index so that a probe seldom reads a stored value in vain.
template <class T> class TUniqueValues {
  public:
    uint32_t add(const T& value) {
        for (const Recent& r : recent_)
            if (r.index != 0 && std::memcmp(&r.value, &value, sizeof(T)) == 0) return r.index - 1;
        const uint64_t h = hash(value);
        Recent& near = near_[size_t(h) & (NearCount - 1)];
        uint32_t index = near.index - 1;
        if (near.index == 0 || std::memcmp(&near.value, &value, sizeof(T)) != 0) {
            index = find(value, h);
            near = Recent{value, index + 1};
        }
        recent_[next_] = Recent{value, index + 1};
        next_ = (next_ + 1) % RecentCount;
        return index;
    }
    // Fetches the large table's slot for value into the cache ahead of its add.
    void prefetch(const T& value) const {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[size_t(hash(value) >> 32) & (slots_.size() - 1)]);
    }
    // Appends value as a new one that add never finds.
    uint32_t addUnlisted(const T& value) {
        values_.push_back(value);
        return uint32_t(values_.size() - 1);
    }
    const std::vector<T>& values() const { return values_; }
    // Hands the values over to out (taking its room) and starts afresh.
    void moveValuesTo(std::vector<T>& out) {
        out.swap(values_);
        clear();
    }
    size_t size() const { return values_.size(); }
    // Makes room for count values, of which only those added (not unlisted) take table room.
    void reserveValues(size_t count) { reserveLarge(values_, count); }
    // Makes room for count values without growing.
    void reserve(size_t count) {
        reserveLarge(values_, count);
        while (2 * (count + 1) > slots_.size())
            grow();
    }
    // Forgets every value but keeps the room for as many.
    void clear() {
        values_.clear();
        std::fill(slots_.begin(), slots_.end(), 0);
        for (Recent& r : recent_)
            r.index = 0;
        for (Recent& r : near_)
            r.index = 0;
    }

  private:
    static_assert(sizeof(T) % 4 == 0 && std::is_trivially_copyable_v<T>);
    static constexpr size_t RecentCount = 4;
    // A value met again mostly comes back within a few dozen new ones (the next strip): a small
    // table of the values met last, by their hash, finds it without reading the large one.
    static constexpr size_t NearCount = 4096;
    struct Recent {
        T value;
        uint32_t index; // + 1; 0 = empty
    };

    static uint64_t hash(const T& value) {
        uint32_t words[sizeof(T) / 4];
        std::memcpy(words, &value, sizeof(T));
        uint64_t h = 0x9E3779B97F4A7C15ull;
        for (uint32_t w : words)
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        return h ^ (h >> 29);
    }
    // A slot holds 32 bits of the hash, which also choose its place, and the value's index + 1
    // (0 = free); growing thus never reads the values.
    uint32_t find(const T& value, uint64_t h) {
        if (2 * (values_.size() + 1) > slots_.size()) grow();
        const uint64_t tag = h & 0xFFFFFFFF00000000ull;
        const size_t mask = slots_.size() - 1;
        for (size_t at = size_t(tag >> 32) & mask;; at = (at + 1) & mask) {
            const uint64_t slot = slots_[at];
            if (slot == 0) {
                values_.push_back(value);
                slots_[at] = tag | values_.size();
                return uint32_t(values_.size() - 1);
            }
            const uint32_t index = uint32_t(slot) - 1;
            if ((slot & 0xFFFFFFFF00000000ull) == tag &&
                std::memcmp(&values_[index], &value, sizeof(T)) == 0)
                return index;
        }
    }
    void grow() {
        const size_t size = slots_.empty() ? 64 : 2 * slots_.size();
        std::vector<uint64_t> old;
        reserveLarge(old, size);
        old.resize(size, 0);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (uint64_t slot : old) {
            if (slot == 0) continue;
            size_t at = size_t(slot >> 32) & mask;
            while (slots_[at] != 0)
                at = (at + 1) & mask;
            slots_[at] = slot;
        }
    }

    std::vector<T> values_;
    std::vector<uint64_t> slots_;
    Recent recent_[RecentCount]{};
    size_t next_ = 0;
    std::vector<Recent> near_ = std::vector<Recent>(NearCount); // index 0: empty
};

// Calls back when it goes out of scope: what a function borrowed goes back however it returns.
template <class Back> struct TGiveBack {
    Back back;
    ~TGiveBack() { back(); }
};
template <class Back> TGiveBack(Back) -> TGiveBack<Back>;

// The weld's tables, kept from one object to the next so that each object's weld finds its
// memory ready instead of asking the system afresh.
struct TWeldRoom {
    struct Point {
        double X, Y, Z;
    };
    struct SideEnd {
        uint32_t other, side;
    };
    TUniqueValues<std::array<float, 3>> corners;
    std::vector<Point> positions;
    std::vector<uint32_t> across, first, fill, root;
    std::vector<uint8_t> paired;
    std::vector<SideEnd> ends;
    std::vector<double> volume;
};

// The faces of one object that share colour and texture, identical corners stored once.
struct TMeshRun {
    ColorF Color;
    TTextureObj Texture; // TexId -1: untextured
    std::vector<TMeshVertex> Vertices;
    std::vector<uint32_t> PositionIds; // per vertex, its position's number in the object
    std::vector<uint32_t> Indices;     // three per triangle, into Vertices
    // Its triangles as collected, which the weld seldom changes: the room its tables take.
    size_t Triangles = 0;

    bool textured() const { return Texture.TexId != -1; }
};

// What a format keeps of one object between preparing and writing it (TMeshFormat::prepare).
struct TMeshFormatState {
    virtual ~TMeshFormatState() = default;
};

// One object as the formats write it: its name and placement, its faces and their triangles
// (welded) with their corners' position numbers and the positions by number, and unless the
// format reads only the triangles, its runs with their corners stored once.
struct TMeshObject {
    std::string Name;
    Matrix4 Matrix;
    std::vector<TMeshRun> Runs; // in order of first use
    std::vector<TMeshFace> Faces;
    std::vector<TMeshFacet> Facets; // the triangles of the faces, in order
    // Per facet: its corners' position numbers, as collected and then as welded.
    std::vector<std::array<uint32_t, 3>> PositionIds;
    uint32_t Positions = 0; // the position numbers are below it
    // The positions by number, bitwise those of the corners: as collected (a grid's own points
    // told apart by their numbers), then as welded.
    std::vector<std::array<float, 3>> Points;
    // Whether the welded surface is closed: every side shared by two triangles running it
    // opposite ways.
    bool Closed = true;
    // What the format worked out for writing the object (TMeshFormat::prepare): its own, carried
    // with the object and never read by the pipeline; null for a format that prepares nothing.
    std::unique_ptr<TMeshFormatState> Prepared;
};

// What tells materials apart: the colour's bytes and the image file (empty when untextured).
using TMaterialKey = std::pair<std::string, std::string>;
TMaterialKey materialKey(const TMeshRun& run);

// Throws std::runtime_error "<what> "<name>": <the system's reason for err>".
[[noreturn]] void fileError(const char* what, const std::string& name, int err);

// The image file of texture as a glTF or 3MF file embeds it: a JPEG as it is, anything else as a
// PNG of its pixels. Returns the MIME type.
const char* embeddedImage(const TTextureObj& texture, std::vector<char>& bytes);
// The right-hand normal (b - a) x (c - a), unnormalised; false when the triangle has no area
// (non-finite corners included).
bool faceNormal(const Vec3& a, const Vec3& b, const Vec3& c, double n[3]);

// Placed copies of a point and of a direction (the direction's placement has no scale), in double
// precision; the point's inline, as every corner of an export goes through it.
inline Vec3 placePoint(const Matrix4& m, const float p[3]) {
    const double* e = m.m;
    const double x = p[0], y = p[1], z = p[2];
    return Vec3{float(x * e[0] + y * e[4] + z * e[8] + e[12]),
                float(x * e[1] + y * e[5] + z * e[9] + e[13]),
                float(x * e[2] + y * e[6] + z * e[10] + e[14])};
}
Vec3 placeDirection(const Matrix4& m, const float d[3]);
// A placement followed by a scaling by factor (the export unit's conversion).
Matrix4 scaledPlacement(const Matrix4& placement, double factor);

// A file format of the mesh exports: the hooks the pipeline (TMeshRenderer) calls, each on the
// thread the pipeline chooses; a format never starts, joins or stops a thread itself.
// See docs/architecture.md (The mesh export pipeline).
class TMeshFormat {
  public:
    // name: as the renderer's errors give it; up: the file's up axis (exportUpAxis for the
    // formats that follow the user's choice).
    explicit TMeshFormat(const char* name, TUpAxis up = TUpAxis::Y) : name(name), upAxis(up) {}
    virtual ~TMeshFormat() = default;

    const char* const name;
    const TUpAxis upAxis; // of the file: each object's placement comes turned into its frame
    const TExportUnit unit = exportUnit(); // what one world unit is in this export

    // Whether writeObject reads the runs' tables (else only the triangles).
    virtual bool usesRuns() const { return true; }
    // Whether prepare has so much to do that the weld goes to the collecting thread, at the end
    // of each object but the first (when the weld's thread has nothing else to do), instead of
    // the weld's; the files' bytes are the same either way.
    virtual bool weldsWhereCollected() const { return false; }
    // Into how many independent parts prepare falls: the pipeline may run them side by side.
    virtual int prepareParts() const { return 1; }

    // Opens the format's files (each through staged) for the export to fileName. Collecting
    // thread.
    virtual void begin(const std::string& fileName, TStagedFiles& staged) = 0;
    // A fresh record for prepare to fill (null: the format prepares nothing); one serves object
    // after object.
    virtual std::unique_ptr<TMeshFormatState> newState() const { return nullptr; }
    // Works out part (below prepareParts) of what writing object takes, into state: on the
    // weld's thread (or a helper beside it) once the runs are filled, while the writer writes
    // the object before. Reads object and the tables of prepare's own only.
    virtual void prepare(const TMeshObject& /*object*/, TMeshFormatState& /*state*/, int /*part*/) {
    }
    // Writes a finished object (with its Prepared record): on the writer's thread, in document
    // order; touches the format's output only.
    virtual void writeObject(const TMeshObject& object) = 0;
    // Completes and closes the files, handing staged any it kept apart; staged renames them
    // afterwards. Collecting thread, every worker stopped.
    virtual void finish(TStagedFiles& staged) = 0;
    // Releases the open files after a failure without writing more; never throws. Every worker
    // stopped.
    virtual void abandon() noexcept = 0;
};

// The formats other than glTF (whose options its class shows).
std::unique_ptr<TMeshFormat> newOBJFormat();
std::unique_ptr<TMeshFormat> newSTLFormat();
std::unique_ptr<TMeshFormat> new3MFFormat();

// The mesh export pipeline, the renderer every mesh format is written through: runs of faces per
// object, zero-area faces left out, flat normals as the screen shows them, each object welded and
// written on threads it owns while the next is built, every protected step reported as
// "<code>: Renderer: Error in <format>:<step> <cause>". It owns its format and calls its hooks.
class TMeshRenderer : public TRenderer {
  public:
    explicit TMeshRenderer(std::unique_ptr<TMeshFormat> format);
    // Stops the workers before the format goes.
    ~TMeshRenderer() override;

    // Whether each object is welded, and then written, on threads of their own while the next
    // ones are built; the files' bytes are the same either way.
    bool weldInBackground = true;
    // Whether the grid points' numbers go to the weld (else grid quads are taken as loose ones);
    // the files' bytes are the same either way.
    bool keepGridNumbers = true;

    TMeshFormat& format() { return *format_; }

    void initObject(const std::string& name) override;
    void setTexture(TTextureObj texture) override;
    void setColor(ColorF color) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    // Keeps the grid points' numbers with the corners, so that the weld need not find them again.
    void gridQuads(const TPointGrid& grid, const TQuadIndices* corners, const TQuadVerts* texCoords,
                   int32_t count, bool textured) override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;
    // The objects of this export whose welded surface is not closed, in document order, once
    // endRendering has run.
    const std::vector<std::string>& openObjects() const { return openObjects_; }

  private:
    // Runs one protected step: any failure discards the export's files and becomes the renderer
    // error with the step's literal.
    template <class Body> void step(const char* stepName, Body&& body) {
        try {
            body();
        } catch (...) {
            fail(stepName, std::current_exception());
        }
    }
    // Runs work on thread (or at once when not in the background, or when no thread is to be
    // had), keeping what it throws in error.
    template <class Work> void start(std::thread& thread, std::exception_ptr& error, Work work) {
        auto guarded = [&error, work] {
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
        };
        if (weldInBackground) {
            try {
                thread = std::thread(guarded);
                return;
            } catch (const std::system_error&) {
                // No thread to be had (a process limit): the work is done here instead.
            }
        }
        guarded();
    }
    // Waits for the objects still being welded or written, dropping what failed there.
    void stopWorkers() noexcept;
    [[noreturn]] void fail(const char* stepName, std::exception_ptr cause);
    void clearRuns();
    // Welds the object (unless welded already, by the collecting thread), fills its runs' tables
    // and has the format work out what it needs besides (its parts side by side where the object
    // is large): all that writing it needs.
    void prepare(TMeshObject& object, bool welded);
    // Welds the object: its triangles wound outwards, its positions numbered (weldFacets).
    void weld(TMeshObject& object);
    // Gives the faces added last their unit normals, all together.
    void settleFaces();
    // Stores each run's corners once, from the welded triangles and their positions' numbers.
    void fillRuns(TMeshObject& object);
    // Waits for the objects being welded and written; rethrows what failed there.
    void waitForWorkers();
    // Adds a face of n corners (p, 3 or 4) with their texture coordinates (t), its corners
    // numbered by their bits.
    void collectFace(const Vec3* p, const Vec3* t, int n, bool textured);
    // Adds a face of n corners (a quad: the triangles 0 1 2 and 0 2 3) to the object's triangles
    // in the run of the current colour and texture: those of its triangles that have an area,
    // with its flat normal (that of the first of them, as the screen draws it) to come with
    // settleFaces; number(c) gives the position number of corner c, asked once per corner.
    template <class Number> void addFace(const TMeshCorner* corners, int n, Number number);
    TMeshRun& currentRun();
    // Gives runs the room of the spare runs, the first run that of the first.
    void lendRunRoom(std::vector<TMeshRun>& runs);

    TStagedFiles staged_;
    // Declared after staged_: its open files go before the staged names are discarded.
    std::unique_ptr<TMeshFormat> format_;
    const TUpAxis upAxis_;
    ColorF faceColor_;
    TTextureObj faceTexture_; // TexId -1: untextured
    int32_t currentRun_ = -1; // index into collecting_.Runs; -1 after a colour or texture change
    uint64_t gridSerial_ = 0; // the grid whose points are numbered from gridBase_ on
    uint32_t gridBase_ = 0;
    TUniqueValues<std::array<float, 3>> collectedBits_; // the object's positions so far
    std::vector<uint32_t> gridIds_; // per grid point of the object: its position's number
    // The faces added since settleFaces last ran, and their normals not yet of unit length.
    static constexpr size_t SettleBlock = 256;
    std::array<uint32_t, SettleBlock> pending_;
    std::array<double, SettleBlock> pendingX_, pendingY_, pendingZ_;
    size_t pendingCount_ = 0;
    // Emptied runs of earlier objects: their room serves the next ones.
    std::vector<TMeshRun> spare_;
    // The object being collected, the one before it being welded, and the one before that being
    // written: each on its own thread, the files in document order.
    TMeshObject collecting_, welding_, writing_;
    bool hasWelding_ = false, hasWriting_ = false;
    std::thread welder_, writer_;
    std::exception_ptr welderError_, writerError_;
    TWeldRoom weldRoom_; // the weld's, on whichever thread it runs
    // Whether a weld on the thread after the collecting one may still be using weldRoom_.
    std::atomic<bool> weldRoomBusy_{false};
    size_t largestObject_ = 0; // most triangles an object of this export had
    size_t largestFaces_ = 0;  // and most faces
    // fillRuns's room, kept from object to object.
    std::vector<uint32_t> storedAt_;
    struct StoredCorner {
        uint32_t run, index;
        uint32_t next; // the corner stored before it at its position + 1 (0: none)
    };
    std::vector<StoredCorner> stored_;
    std::vector<std::string> openObjects_;
};

// glTF 2.0 binary (.glb): a node per object carrying its placement, a mesh per object with one
// primitive per run, a material per colour and texture, textures embedded as PNG or JPEG.
class TGLTFFormat : public TMeshFormat {
  public:
    TGLTFFormat() : TMeshFormat("glTF") {}
    ~TGLTFFormat() override;

    // Most bytes of binary data kept in memory before they go to the file (or a scratch file):
    // enough for the JSON to follow straight on in most files, little enough that a large export
    // soon stops copying its data through fresh memory.
    size_t binaryInMemory = size_t(8) << 20;
    // Where the binary chunk of such a file starts: a multiple of this (a file system block).
    static constexpr size_t PrefixAlignment = 4096;
    // Room left for the header and the JSON before binary data that goes straight to the file
    // (a multiple of PrefixAlignment): a JSON that fits is padded to fill it and written there,
    // so that the file need not be moved (most file systems write all of a file to the disk
    // before they make room at its start). It starts no earlier when the data takes a scratch
    // file, so that the bytes are the same.
    size_t headRoom = size_t(256) << 10;

    void begin(const std::string& fileName, TStagedFiles& staged) override;
    void writeObject(const TMeshObject& object) override;
    void finish(TStagedFiles& staged) override;
    void abandon() noexcept override;

  private:
    uint32_t materialFor(const TMeshRun& run);
    uint32_t textureFor(const TTextureObj& texture);
    // Appends bytes to the binary chunk (kept in a scratch file) and returns their offset.
    uint64_t appendBinary(const void* data, size_t size);
    void alignBinary();
    uint32_t addBufferView(uint64_t offset, uint64_t length, uint32_t stride, uint32_t target);

    TExportFile outFile;
    std::vector<char> binary_;     // the binary chunk until the end, or
    std::FILE* scratch_ = nullptr; // its file once it is too big for memory, or
    bool direct_ = false;          // the export file itself, the framing put before it at the end
    uint64_t binaryLength_ = 0;
    uint32_t meshCount_ = 0, accessorCount_ = 0, viewCount_ = 0, imageCount_ = 0;
    // The JSON arrays' items, comma-separated.
    std::string nodes_, meshes_, accessors_, views_, materials_, textures_, images_;
    std::map<TMaterialKey, uint32_t> materialIndex_;
    std::map<std::string, uint32_t> textureIndex_; // by image file
};
