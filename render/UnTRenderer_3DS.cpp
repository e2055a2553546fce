// The 3DS exporter: one material chunk and one triangle-mesh object per face, in world coordinates.
#include "render/UnTRenderer_Exporters.h"

#include "model/UnAnsiText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

constexpr size_t MaterialSize = 194;
constexpr size_t MaxNameLength = 20;
// Counts and point indices of a mesh are 16-bit words.
constexpr uint32_t MaxMeshEntries = 65535;

void putU16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v & 0xFF);
    at[1] = uint8_t(v >> 8);
}

void putU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t((v >> (8 * i)) & 0xFF);
}

char* storeChunk(char* at, uint16_t id, uint32_t length) {
    return storeU32(storeU16(at, id), length);
}

// Whether a run of points is already the file's point array: three little-endian floats each.
constexpr bool NativeVec3Layout = NativeLittleEndian && sizeof(Vec3) == 12 &&
                                  offsetof(Vec3, Y) == 4 && offsetof(Vec3, Z) == 8 &&
                                  std::is_trivially_copyable_v<Vec3>;

// Writes count records of recordSize bytes, record i filled by fill(at, i), in runs that fit the
// export buffer.
template <class Fill>
void writeRecords(TExportFile& file, size_t count, size_t recordSize, Fill&& fill) {
    size_t i = 0;
    while (i < count) {
        char* at = file.reserve(recordSize);
        const size_t end = i + std::min(count - i, file.available() / recordSize);
        for (; i < end; ++i, at += recordSize)
            fill(at, i);
        file.commit(at);
    }
}

// The material chunk; the name, the diffuse colour and the total length are patched per material.
std::array<uint8_t, MaterialSize> makeMaterialTemplate() {
    std::array<uint8_t, MaterialSize> t{};
    size_t pos = 0;
    auto w = [&](uint16_t v) {
        putU16(&t[pos], v);
        pos += 2;
    };
    auto d = [&](uint32_t v) {
        putU32(&t[pos], v);
        pos += 4;
    };
    auto b = [&](uint8_t v) { t[pos++] = v; };
    auto colour = [&](uint16_t id) {
        w(id), d(24);
        w(0x0011), d(9), b(50), b(50), b(50);
        w(0x0012), d(9), b(50), b(50), b(50);
    };
    auto percentage = [&](uint16_t id, uint16_t value) {
        w(id), d(14);
        w(0x0030), d(8), w(value);
    };
    w(0xAFFF), d(MaterialSize);
    w(0xA000), d(14);
    for (char c : {'M', 'A', 'T', '0', '0', '0', '0', '\0'})
        b(uint8_t(c));
    colour(0xA010);
    colour(0xA020);
    colour(0xA030);
    percentage(0xA040, 20);
    percentage(0xA041, 100);
    percentage(0xA050, 0);
    percentage(0xA052, 0);
    percentage(0xA053, 0);
    w(0xA100), d(8), w(2);
    percentage(0xA084, 0);
    w(0xA087), d(10);
    for (uint8_t c : {0x00, 0x00, 0x7E, 0x46}) // 16256.0f
        b(c);
    return t;
}

const std::array<uint8_t, MaterialSize> materialTemplate = makeMaterialTemplate();

// One colour channel as a byte: rounded half to even, clamped to 0..255 (NaN gives 0).
uint8_t colourByte(float channel) {
    double v = std::nearbyint(static_cast<double>(channel) * 255.0);
    if (!(v > 0)) return 0;
    if (v > 255) return 255;
    return static_cast<uint8_t>(v);
}

std::string afterLast(const std::string& s, const char* separators) {
    size_t sep = s.find_last_of(separators);
    return sep == std::string::npos ? s : s.substr(sep + 1);
}

} // namespace

std::string T3DSRenderer::materialNameFor(int32_t n) {
    if (n < 0) n = 0;
    std::string name;
    if (n < 10000) {
        name = "MAT0000";
        for (int i = 6; i >= 3; --i, n /= 10)
            name[i] = char('0' + n % 10);
        return name;
    }
    // Past four decimal digits: "X" and six base-36 digits keep the names unique and 7 bytes long.
    static constexpr char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    uint32_t v = uint32_t(n) - 10000;
    name = "X000000";
    for (int i = 6; i >= 1; --i, v /= 36)
        name[i] = digits[v % 36];
    return name;
}

// Faces opened before any colour was given take OpenGL's default diffuse grey, as the screen does.
T3DSRenderer::T3DSRenderer() : faceColor{0.8f, 0.8f, 0.8f, 1.0f} {}

void T3DSRenderer::initRendering(const std::string& fileName) {
    exportStep(outStream, 10, "Error in 3DS:initObject ", [&] {
        outStream.openStaged(fileName, true);
        outStream.writeU16(0x4D4D);
        outStream.writeU32(8888);
        outStream.writeU16(0x3D3D);
        outStream.writeU32(8888);
    });
    materialNumber = -1;
    editLength = 0;
}

void T3DSRenderer::initObject(const std::string& name) {
    lastVertex = -1;
    faceChanged = false;
    points.clear();
    faceIndices.clear();
    texPoints.clear();
    points.reserve(1000);
    faceIndices.reserve(1000);
    texPoints.reserve(1000);
    // Names in a 3DS file are 8-bit Windows-1252 text.
    objectName = afterLast(utf8ToAnsiLossy(name), "\\:");
    faceNumber = -1;
    faceOpen = false;
}

void T3DSRenderer::setTexture(TTextureObj texture) {
    textureName =
        texture.TexId != -1 ? afterLast(utf8ToAnsiLossy(texture.FileName), "\\/:") : std::string();
    faceChanged = true;
}

void T3DSRenderer::setColor(ColorF color) {
    faceColor = color;
    faceChanged = true;
}

void T3DSRenderer::writeMaterial() {
    const uint32_t texLength = textureName.empty() ? 0 : uint32_t(textureName.size() + 29);
    ++materialNumber;
    const std::string name = materialNameFor(materialNumber);
    std::copy(name.begin(), name.end(), materialName);
    materialName[7] = '\0';

    std::array<uint8_t, MaterialSize> m = materialTemplate;
    putU32(&m[2], uint32_t(MaterialSize) + texLength);
    std::copy(materialName, materialName + 8, &m[12]);
    const uint8_t rgb[3] = {colourByte(faceColor.R), colourByte(faceColor.G),
                            colourByte(faceColor.B)};
    std::copy(rgb, rgb + 3, &m[56]);
    std::copy(rgb, rgb + 3, &m[65]);
    outStream.write(std::string_view(reinterpret_cast<const char*>(m.data()), m.size()));

    if (texLength > 0) {
        outStream.writeU16(0xA200);
        outStream.writeU32(texLength);
        outStream.writeU16(0x0030);
        outStream.writeU32(8);
        outStream.writeU16(100);
        outStream.writeU16(0xA300);
        outStream.writeU32(uint32_t(textureName.size() + 7));
        outStream.write(textureName);
        outStream.write(std::string_view("\0", 1));
        outStream.writeU16(0xA351);
        outStream.writeU32(8);
        outStream.writeU16(0);
    }
    editLength += MaterialSize + texLength;
}

void T3DSRenderer::initFace() {
    exportStep(outStream, 10, "Error in 3DS:initFace ", [&] {
        if (faceOpen) endFace();
        ++faceNumber;
        writeMaterial();
        points.clear();
        faceIndices.clear();
        texPoints.clear();
        lastVertex = -1;
        faceChanged = false;
        faceOpen = true;
        faceTextured = !textureName.empty();
    });
}

void T3DSRenderer::addPolygon(const Vec3* vertices, const Vec3* texCoords, int n, bool textured) {
    // Geometry that arrives before any colour or texture still gets a face and a material.
    if (faceChanged || !faceOpen) initFace();
    const uint32_t base = uint32_t(points.size());
    for (int k = 0; k < n; ++k) {
        points.push_back(TransformPoint(vertices[k], objectMatrix));
        requireFinite(points.back());
    }
    // A textured material gets one texture vertex per point, (0,0) for untextured geometry.
    if (faceTextured)
        for (int k = 0; k < n; ++k) {
            texPoints.push_back(textured ? Vec3{texCoords[k].X, texCoords[k].Y, 0} : Vec3{});
            requireFinite(texPoints.back());
        }
    faceIndices.push_back(base);
    faceIndices.push_back(base + 1);
    faceIndices.push_back(base + 2);
    if (n == 4) {
        faceIndices.push_back(base);
        faceIndices.push_back(base + 2);
        faceIndices.push_back(base + 3);
    }
}

void T3DSRenderer::quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) {
    exportStep(outStream, 10, "Error in 3DS:quads ",
               [&] { addPolygon(vertices.data(), texCoords.data(), 4, textured); });
}

void T3DSRenderer::triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) {
    exportStep(outStream, 10, "Error in 3DS:triangle ",
               [&] { addPolygon(vertices.data(), texCoords.data(), 3, textured); });
}

void T3DSRenderer::writeMesh(const std::string& name, uint32_t firstPoint, uint32_t pointCount,
                             size_t firstTriangle, size_t triangleCount) {
    const uint32_t P = pointCount;
    const uint32_t F = uint32_t(triangleCount);
    const uint32_t X = faceTextured ? P : 0;
    const uint32_t pointArray = 12 * P + 8;
    const uint32_t materialGroup = 16 + 2 * F;
    const uint32_t faceArray = 8 * F + 8 + materialGroup;
    const uint32_t texVertices = X > 0 ? 8 * X + 8 : 0;
    const uint32_t triMesh = 6 + pointArray + faceArray + texVertices;
    const uint32_t namedObject = triMesh + 6 + uint32_t(name.size()) + 1;

    // Object, mesh and point array headers (the name is at most 20 characters).
    char* out = outStream.reserve(64);
    out = storeChunk(out, 0x4000, namedObject);
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '\0';
    out = storeChunk(out, 0x4100, triMesh);
    out = storeChunk(out, 0x4110, pointArray);
    out = storeU16(out, uint16_t(P));
    outStream.commit(out);
    const Vec3* meshPoints = points.data() + firstPoint;
    if constexpr (NativeVec3Layout) {
        outStream.write(
            std::string_view(reinterpret_cast<const char*>(meshPoints), 12 * size_t(P)));
    } else {
        writeRecords(outStream, P, 12, [&](char* at, size_t i) {
            at = storeF32(at, meshPoints[i].X);
            at = storeF32(at, meshPoints[i].Y);
            storeF32(at, meshPoints[i].Z);
        });
    }
    if (X > 0) {
        out = outStream.reserve(8);
        out = storeChunk(out, 0x4140, texVertices);
        outStream.commit(storeU16(out, uint16_t(X)));
        const Vec3* uv = texPoints.data() + firstPoint;
        writeRecords(outStream, X, 8, [&](char* at, size_t i) {
            at = storeF32(at, uv[i].X);
            storeF32(at, uv[i].Y);
        });
    }
    out = outStream.reserve(8);
    out = storeChunk(out, 0x4120, faceArray);
    outStream.commit(storeU16(out, uint16_t(F)));
    const uint32_t* corners = faceIndices.data() + 3 * firstTriangle;
    writeRecords(outStream, F, 8, [&](char* at, size_t t) {
        const uint32_t* c = corners + 3 * t;
        at = storeU16(at, uint16_t(c[0] - firstPoint));
        at = storeU16(at, uint16_t(c[1] - firstPoint));
        at = storeU16(at, uint16_t(c[2] - firstPoint));
        storeU16(at, 6);
    });
    out = outStream.reserve(16);
    out = storeChunk(out, 0x4130, materialGroup);
    std::memcpy(out, materialName, 8);
    outStream.commit(storeU16(out + 8, uint16_t(F)));
    writeRecords(outStream, F, 2, [&](char* at, size_t i) { storeU16(at, uint16_t(i)); });
    editLength += namedObject;
}

void T3DSRenderer::endFace() {
    exportStep(outStream, 10, "Error in 3DS:endFace ", [&] {
        faceOpen = false;
        if (faceTextured && texPoints.size() != points.size())
            throw std::runtime_error("texture vertices do not match the points");
        std::string name = objectName + ".F";
        if (faceNumber < 10) name += '0';
        appendDecimal(name, faceNumber);
        if (name.size() > MaxNameLength) name.resize(MaxNameLength);

        const size_t pointCount = points.size();
        const size_t triangleCount = faceIndices.size() / 3;
        if (pointCount <= MaxMeshEntries && triangleCount <= MaxMeshEntries) {
            writeMesh(name, 0, uint32_t(pointCount), 0, triangleCount);
            return;
        }
        // Too big for 16-bit indices: one mesh per run of triangles whose points span at most
        // 65535 entries. Every polygon's points are consecutive, so runs cut only between them.
        int part = 0;
        auto partName = [&]() {
            if (part == 0) return name;
            std::string suffix = "_";
            appendDecimal(suffix, part);
            return name.substr(0, MaxNameLength - suffix.size()) + suffix;
        };
        size_t runStart = 0, runCount = 0;
        uint32_t low = 0, high = 0;
        for (size_t t = 0; t < triangleCount; ++t) {
            const uint32_t* idx = &faceIndices[3 * t];
            uint32_t lo = std::min({idx[0], idx[1], idx[2]});
            uint32_t hi = std::max({idx[0], idx[1], idx[2]});
            if (runCount > 0 && (lo < low || std::max(high, hi) - low >= MaxMeshEntries ||
                                 runCount >= MaxMeshEntries)) {
                writeMesh(partName(), low, high - low + 1, runStart, runCount);
                ++part;
                runCount = 0;
            }
            if (runCount == 0) {
                runStart = t;
                low = lo;
                high = hi;
            }
            high = std::max(high, hi);
            ++runCount;
        }
        if (runCount > 0) writeMesh(partName(), low, high - low + 1, runStart, runCount);
    });
}

void T3DSRenderer::beginPrimitive(int32_t mode) {
    initFace();
    primMode = mode;
    lastVertex = -1;
}

void T3DSRenderer::texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    bufferTexturedVertex(vertex, texCoord, normal);
}

void T3DSRenderer::endObject(int32_t, int32_t, bool) {
    if (faceOpen) endFace();
}

void T3DSRenderer::endRendering() {
    exportStep(outStream, 10, "Error in 3DS:endRendering ", [&] {
        const uint64_t editChunk = editLength + 6;
        const uint64_t mainChunk = editChunk + 6;
        if (mainChunk > std::numeric_limits<uint32_t>::max())
            throw std::runtime_error("the scene exceeds the 4 GiB limit of a 3DS file");
        outStream.patchU32(8, uint32_t(editChunk));
        outStream.patchU32(2, uint32_t(mainChunk));
        outStream.close();
    });
}
