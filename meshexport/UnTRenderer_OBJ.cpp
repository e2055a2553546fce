// The Wavefront OBJ exporter: the .obj with placed positions, texture coordinates and normals per
// object, its .mtl beside it, and the texture images copied there when they are not.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include "model/UnAnsiText.h"
#include "model/UnSaveTarget.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <memory>

#include <sys/stat.h>

namespace {

using Triple = std::array<float, 3>;
using Pair = std::array<float, 2>;

// Longest line written: a keyword and three numbers, or a face of three corner references.
constexpr size_t MaxLine = 8 + 3 * (MaxFixed6Length + 1) + 2;
// Longest corner reference of a face, " v/vt/vn", and how many bytes of one are copied at once.
constexpr size_t MaxCorner = 3 * (MaxDecimalLength + 1);
constexpr size_t CopyWidth = 32;
static_assert(1 + 3 * std::max(MaxCorner, CopyWidth) + 2 <= MaxLine);

char* put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// A name (UTF-8, as every text in memory) on one line: control characters become "_".
std::string lineText(const std::string& text) {
    std::string out = validUtf8(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    return out;
}

float unitClamp(float v) {
    return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; // NaN gives 0
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void copyFile(const std::string& from, const std::string& to) {
    errno = 0;
    FilePtr in(std::fopen(from.c_str(), "rb"));
    if (!in) fileError("Cannot read texture", from, errno);
    FilePtr out(openEmptied(to));
    if (!out) fileError("Cannot create file", to, errno);
    std::vector<char> buffer(size_t(1) << 16);
    for (;;) {
        errno = 0;
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (n == 0) {
            if (std::ferror(in.get())) fileError("Cannot read texture", from, errno);
            break;
        }
        if (std::fwrite(buffer.data(), 1, n, out.get()) != n) fileError("Cannot write", to, errno);
    }
    errno = 0;
    if (std::fclose(out.release()) != 0) fileError("Cannot write", to, errno);
}

// Whether two existing files hold the same bytes (or are one file).
bool sameContent(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino) return true;
    if (sa.st_size != sb.st_size || !S_ISREG(sb.st_mode)) return false;
    FilePtr fa(std::fopen(a.c_str(), "rb")), fb(std::fopen(b.c_str(), "rb"));
    if (!fa || !fb) return false;
    std::vector<char> ba(size_t(1) << 16), bb(ba.size());
    for (;;) {
        const size_t na = std::fread(ba.data(), 1, ba.size(), fa.get());
        const size_t nb = std::fread(bb.data(), 1, bb.size(), fb.get());
        if (na != nb || std::memcmp(ba.data(), bb.data(), na) != 0) return false;
        if (na == 0) return !std::ferror(fa.get()) && !std::ferror(fb.get());
    }
}

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

namespace {

// Wavefront OBJ with its material library: "o" per object, placed "v", "vt", "vn" stored once per
// object, "usemtl" per run; a material per colour and texture, textures copied beside the file.
class TOBJFormat : public TMeshFormat {
  public:
    TOBJFormat() : TMeshFormat("OBJ", exportUpAxis(TUpAxis::Y)) {}

    bool weldsWhereCollected() const override { return true; }
    // The positions (Positions) apart from the normals and texture coordinates (Corners).
    int prepareParts() const override { return 2; }
    void begin(const std::string& fileName, TStagedFiles& staged) override;
    std::unique_ptr<TMeshFormatState> newState() const override {
        return std::make_unique<Prepared>();
    }
    void prepare(const TMeshObject& object, TMeshFormatState& state, int part) override;
    void writeObject(const TMeshObject& object) override;
    void finish(TStagedFiles& staged) override;
    void abandon() noexcept override;

  private:
    enum Part { Corners, Positions };
    // What prepare works out of an object: its distinct placed positions, texture coordinates
    // and placed normals; per position number, its number among the placed positions; and per
    // run, for each of its stored corners, its numbers among the others (texture coordinate,
    // normal).
    struct Prepared : TMeshFormatState {
        std::vector<Triple> PlacedPositions, PlacedNormals;
        std::vector<Pair> TexCoords;
        std::vector<uint32_t> PositionNumbers;
        std::vector<std::vector<std::array<uint32_t, 2>>> CornerValues;
    };

    // prepare's halves.
    void numberPositions(const TMeshObject& object, Prepared& out);
    void numberCorners(const TMeshObject& object, Prepared& out);
    const std::string& materialFor(const TMeshRun& run);
    // The name the texture has beside the .obj, copying the image there when it is not.
    std::string imageBeside(const TTextureObj& texture);

    // prepare's tables: an object's positions, normals and texture coordinates stored once, and
    // its positions placed; room kept from object to object. Positions' on one thread, the
    // others' on another.
    TUniqueValues<Triple> positions_, normals_;
    TUniqueValues<Pair> texCoords_;
    std::vector<Triple> placed_;
    // The writer's: the files, the counts of values written so far, the formatted corners of a
    // run (room kept from run to run), the materials and image copies made.
    TExportFile objFile, mtlFile;
    std::string directory_; // of the .obj, with its "/" (empty for the current directory)
    uint64_t positionBase_ = 0, texCoordBase_ = 0, normalBase_ = 0;
    std::unique_ptr<char[]> cornerText_;
    size_t cornerRoom_ = 0;
    std::map<TMaterialKey, std::string> materials_;
    std::map<std::string, std::string> images_; // image file -> its name beside the .obj
    // The image copies, staged by the writer apart from the pipeline's files, which take them
    // over when the files are closed.
    TStagedFiles imageCopies_;
};

} // namespace

void TOBJFormat::begin(const std::string& fileName, TStagedFiles& staged) {
    // The material library and the image copies go into the .obj's folder: a device or a pipe
    // has none of its own, and they must not land among the system's devices.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw std::runtime_error("Cannot create file \"" + fileName +
                                 "\": an OBJ export writes its material library and images beside "
                                 "it, so it needs a plain file");
    const size_t slash = fileName.find_last_of('/');
    directory_ = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
    const std::string base = fileName.substr(directory_.size());
    const size_t dot = base.find_last_of('.');
    std::string library =
        (dot == std::string::npos || dot == 0 ? base : base.substr(0, dot)) + ".mtl";
    if (directory_ + library == fileName) library = base + ".mtl";

    objFile.open(staged.add(fileName));
    mtlFile.open(staged.add(directory_ + library));
    objFile.writeLine("# Wavefront OBJ written by Palvorin");
    objFile.writeLine("mtllib " + library);
    mtlFile.writeLine("# Materials of " + base + ", written by Palvorin");
}

std::string TOBJFormat::imageBeside(const TTextureObj& texture) {
    const auto known = images_.find(texture.FileName);
    if (known != images_.end()) return known->second;

    const std::string name = FileNamePart(texture.FileName);
    const size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    // A different image of the same name beside the .obj is never overwritten: the copy takes
    // the next free name (wood-2.bmp, wood-3.bmp, ...).
    for (int k = 1;; ++k) {
        const std::string candidate = k == 1 ? name : stem + "-" + std::to_string(k) + ext;
        bool taken = false;
        for (const auto& entry : images_)
            taken = taken || entry.second == candidate;
        if (taken) continue;
        const std::string path = directory_ + candidate;
        if (exists(path)) {
            if (!sameContent(texture.FileName, path)) continue;
        } else {
            copyFile(texture.FileName, imageCopies_.add(path));
        }
        images_.emplace(texture.FileName, candidate);
        return candidate;
    }
}

const std::string& TOBJFormat::materialFor(const TMeshRun& run) {
    TMaterialKey key = materialKey(run);
    const auto known = materials_.find(key);
    if (known != materials_.end()) return known->second;

    std::string name = "mat";
    appendDecimal(name, int64_t(materials_.size()));
    std::string text = "newmtl " + name + "\r\nKd ";
    appendFixed6(text, unitClamp(run.Color.R));
    text += ' ';
    appendFixed6(text, unitClamp(run.Color.G));
    text += ' ';
    appendFixed6(text, unitClamp(run.Color.B));
    text += "\r\n";
    if (run.textured()) text += "map_Kd " + imageBeside(run.Texture) + "\r\n";
    mtlFile.write(text);
    return materials_.emplace(std::move(key), std::move(name)).first->second;
}

void TOBJFormat::prepare(const TMeshObject& object, TMeshFormatState& state, int part) {
    // Positions, texture coordinates and normals are each stored once per object; the tables
    // are empty, their values having gone with the object before.
    Prepared& out = static_cast<Prepared&>(state);
    if (part == Positions)
        numberPositions(object, out);
    else
        numberCorners(object, out);
}

void TOBJFormat::numberCorners(const TMeshObject& object, Prepared& out) {
    const std::vector<TMeshRun>& runs = object.Runs;
    TUniqueValues<Triple>& normals = normals_;
    TUniqueValues<Pair>& texCoords = texCoords_;
    std::vector<std::vector<std::array<uint32_t, 2>>>& references = out.CornerValues;
    references.resize(runs.size());
    // Corners of one face follow each other: the last normal is turned and looked up once.
    float lastNormal[3] = {0, 0, 0};
    uint32_t normal = 0;
    bool normalKnown = false;
    constexpr size_t Ahead = 16;
    for (size_t r = 0; r < runs.size(); ++r) {
        const TMeshRun& run = runs[r];
        references[r].clear();
        reserveLarge(references[r], run.Vertices.size());
        const bool textured = run.textured();
        for (size_t i = 0; i < run.Vertices.size(); ++i) {
            const TMeshVertex& v = run.Vertices[i];
            if (textured && i + Ahead < run.Vertices.size()) {
                const float* t = run.Vertices[i + Ahead].TexCoord;
                texCoords.prefetch(Pair{t[0], t[1]});
            }
            if (!normalKnown || std::memcmp(lastNormal, v.Normal, sizeof lastNormal) != 0) {
                std::memcpy(lastNormal, v.Normal, sizeof lastNormal);
                const Vec3 n = placeDirection(object.Matrix, v.Normal);
                normal = normals.add(Triple{n.X, n.Y, n.Z});
                normalKnown = true;
            }
            const uint32_t t =
                textured ? texCoords.add(Pair{v.TexCoord[0], v.TexCoord[1]}) : uint32_t(0);
            references[r].push_back({t, normal});
        }
    }
    // The values go with the object, the tables' room stays.
    normals.moveValuesTo(out.PlacedNormals);
    texCoords.moveValuesTo(out.TexCoords);
}

void TOBJFormat::numberPositions(const TMeshObject& object, Prepared& out) {
    // Each position is placed and looked up once, in the order the runs' corners first use it;
    // the corners at it take its number. The positions are placed first, so that the table's
    // slots for those a few corners on can be fetched into the cache ahead of their look-up.
    TUniqueValues<Triple>& positions = positions_;
    const Matrix4 placement =
        scaledPlacement(object.Matrix, unit.Millimetres); // positions in millimetres
    std::vector<uint32_t>& numbers = out.PositionNumbers;
    reserveLarge(numbers, object.Positions);
    numbers.assign(object.Positions, UINT32_MAX);
    std::vector<Triple>& placed = placed_;
    reserveLarge(placed, object.Positions);
    placed.resize(object.Positions);
    for (size_t i = 0; i < object.Positions; ++i) {
        const Vec3 p = placePoint(placement, object.Points[i].data());
        placed[i] = Triple{p.X + 0.0f, p.Y + 0.0f, p.Z + 0.0f};
    }
    positions.reserve(object.Positions);
    constexpr size_t Ahead = 16;
    for (const TMeshRun& run : object.Runs) {
        const std::vector<uint32_t>& ids = run.PositionIds;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (i + Ahead < ids.size()) positions.prefetch(placed[ids[i + Ahead]]);
            uint32_t& number = numbers[ids[i]];
            if (number == UINT32_MAX) number = positions.add(placed[ids[i]]);
        }
    }
    positions.moveValuesTo(out.PlacedPositions);
}

void TOBJFormat::writeObject(const TMeshObject& object) {
    const std::vector<TMeshRun>& runs = object.Runs;
    size_t indexCount = 0;
    for (const TMeshRun& run : runs)
        indexCount += run.Indices.size();
    if (indexCount == 0) return;

    const Prepared& prepared = static_cast<const Prepared&>(*object.Prepared);
    const std::vector<std::vector<std::array<uint32_t, 2>>>& references = prepared.CornerValues;
    const std::vector<uint32_t>& positionNumbers = prepared.PositionNumbers;
    std::vector<size_t> cornerAt; // where each formatted corner of a run begins
    objFile.writeLine("o " + lineText(object.Name.empty() ? "unnamed" : object.Name));
    auto writeValues = [&](std::string_view keyword, const auto& values) {
        for (const auto& value : values) {
            char* out = put(objFile.reserve(MaxLine), keyword);
            for (float component : value) {
                *out++ = ' ';
                out = putFixed6(out, component);
            }
            objFile.commit(put(out, "\r\n"));
        }
    };
    writeValues("v", prepared.PlacedPositions);
    writeValues("vt", prepared.TexCoords);
    writeValues("vn", prepared.PlacedNormals);

    for (size_t r = 0; r < runs.size(); ++r) {
        const TMeshRun& run = runs[r];
        if (run.Indices.empty()) continue;
        objFile.writeLine("usemtl " + materialFor(run));
        // Each corner's " v/vt/vn" is formatted once, one after the other, into room for the
        // longest each; its faces copy it.
        const bool textured = run.textured();
        const std::vector<std::array<uint32_t, 2>>& refs = references[r];
        const size_t room = refs.size() * MaxCorner + CopyWidth;
        if (room > cornerRoom_) {
            cornerText_ = std::make_unique_for_overwrite<char[]>(room);
            cornerRoom_ = room;
        }
        char* const text = cornerText_.get();
        cornerAt.resize(refs.size() + 1);
        size_t at = 0, longest = 0;
        for (size_t v = 0; v < refs.size(); ++v) {
            char* out = text + at;
            *out++ = ' ';
            const uint32_t position = positionNumbers[run.PositionIds[v]];
            out = putDecimal(out, int64_t(positionBase_ + position + 1));
            *out++ = '/';
            if (textured) out = putDecimal(out, int64_t(texCoordBase_ + refs[v][0] + 1));
            *out++ = '/';
            out = putDecimal(out, int64_t(normalBase_ + refs[v][1] + 1));
            cornerAt[v] = at;
            longest = std::max(longest, size_t(out - (text + at)));
            at = size_t(out - text);
        }
        cornerAt[refs.size()] = at;
        // Corners no longer than CopyWidth (indices below a billion) are copied CopyWidth bytes at
        // a time, the next one written over the rest; the room holds that much after the last.
        const bool narrow = longest <= CopyWidth;
        for (size_t i = 0; i < run.Indices.size(); i += 3) {
            char* out = put(objFile.reserve(MaxLine), "f");
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t v = run.Indices[i + k];
                const size_t length = cornerAt[v + 1] - cornerAt[v];
                std::memcpy(out, text + cornerAt[v], narrow ? CopyWidth : length);
                out += length;
            }
            objFile.commit(put(out, "\r\n"));
        }
    }
    positionBase_ += prepared.PlacedPositions.size();
    texCoordBase_ += prepared.TexCoords.size();
    normalBase_ += prepared.PlacedNormals.size();
}

void TOBJFormat::finish(TStagedFiles& staged) {
    objFile.close();
    mtlFile.close();
    staged.adopt(imageCopies_); // renamed first, the .obj last
}

void TOBJFormat::abandon() noexcept {
    objFile.abandon();
    mtlFile.abandon();
    imageCopies_.discard();
}

std::unique_ptr<TMeshFormat> newOBJFormat() {
    return std::make_unique<TOBJFormat>();
}
