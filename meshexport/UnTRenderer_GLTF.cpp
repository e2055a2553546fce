// The glTF 2.0 binary exporter: nodes with the objects' placements, one primitive per run, one
// material per colour and texture, images embedded. The JSON chunk must come before the binary one
// and describes all of it, so the binary data waits: in memory up to binaryInMemory bytes; beyond
// that it goes straight into the file, and the header and the JSON are put before it at the end
// (a pipe or a device takes it from an unnamed scratch file beside the export instead).
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include "model/UnAnsiText.h"
#include "model/UnSaveTarget.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr uint32_t ArrayBuffer = 34962, ElementArrayBuffer = 34963;
constexpr uint32_t FloatComponent = 5126, UnsignedShort = 5123, UnsignedInt = 5125;
// Vertices per packing round: the part of a run converted at a time.
constexpr size_t PackVertices = 4096;

// A finite number, shortest form that reads back as the same double.
void appendNumber(std::string& out, double v) {
    if (!std::isfinite(v)) raiseNotFinite(v);
    char buf[32];
    out.append(buf, size_t(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

void appendCount(std::string& out, uint64_t v) {
    appendDecimal(out, int64_t(v));
}

// A count member, written only when it is not zero (the default of every one used so).
void appendOptional(std::string& out, const char* member, uint64_t v) {
    if (v == 0) return;
    out += member;
    appendCount(out, v);
}

// A JSON string of a name (UTF-8, as every text in memory).
void appendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (char ch : validUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7F) {
            static constexpr char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

// Appends a comma before every item but the first.
std::string& item(std::string& list) {
    if (!list.empty()) list += ',';
    return list;
}

// A display colour channel (sRGB, as the view shows it) as the linear value glTF stores.
double linearChannel(float c) {
    const double v = c > 0 ? (c < 1 ? double(c) : 1.0) : 0.0; // NaN gives 0
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

bool isJpegFile(const std::string& fileName) {
    unsigned char magic[3] = {};
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) return false;
    const bool jpeg =
        std::fread(magic, 1, 3, f) == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
    std::fclose(f);
    return jpeg;
}

} // namespace

const char* embeddedImage(const TTextureObj& texture, std::vector<char>& bytes) {
    bytes.clear();
    if (isJpegFile(texture.FileName)) {
        // A JPEG goes in as it is: re-encoding would only lose detail.
        errno = 0;
        std::FILE* in = std::fopen(texture.FileName.c_str(), "rb");
        if (!in) fileError("Cannot read texture", texture.FileName, errno);
        char buffer[1 << 16];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        const bool failed = std::ferror(in) != 0;
        std::fclose(in);
        if (failed) fileError("Cannot read texture", texture.FileName, 0);
        return "image/jpeg";
    }
    // Anything else (a BMP) becomes a PNG of the pixels the view shows.
    std::shared_ptr<const TTextureImage> pixels = texture.Image;
    if (!pixels) pixels = std::make_shared<const TTextureImage>(loadTextureImage(texture.FileName));
    const TTextureImage& image = *pixels;
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != size_t(image.Width) * size_t(image.Height) * 3)
        throw std::runtime_error("the texture " + texture.FileName + " has no pixels");
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.Width);
    png.height = png_uint_32(image.Height);
    png.format = PNG_FORMAT_RGB;
    bytes.resize(PNG_IMAGE_PNG_SIZE_MAX(png));
    png_alloc_size_t size = bytes.size();
    // A negative row stride: the rows are stored bottom row first.
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.Pixels.data(),
                                   -png_int_32(image.Width) * 3, nullptr))
        throw std::runtime_error(std::string("PNG encoding failed: ") + png.message);
    bytes.resize(size);
    return "image/png";
}

TGLTFFormat::~TGLTFFormat() {
    if (scratch_) std::fclose(scratch_);
}

void TGLTFFormat::begin(const std::string& fileName, TStagedFiles& staged) {
    outFile.open(staged.add(fileName));
}

void TGLTFFormat::abandon() noexcept {
    outFile.abandon();
    std::vector<char>().swap(binary_);
    if (scratch_) std::fclose(scratch_);
    scratch_ = nullptr;
    direct_ = false;
}

uint64_t TGLTFFormat::appendBinary(const void* data, size_t size) {
    const uint64_t offset = binaryLength_;
    if (!scratch_ && !direct_ && binary_.size() + size > binaryInMemory &&
        outFile.isRegularFile()) {
        direct_ = true;
        outFile.write(std::string(headRoom, ' '));
        if (!binary_.empty()) outFile.write(std::string_view(binary_.data(), binary_.size()));
        std::vector<char>().swap(binary_);
    }
    if (!scratch_ && !direct_ && binary_.size() + size > binaryInMemory) {
        // Only an output that cannot seek (a pipe, a device) gets here: the scratch file has no
        // name and lies in the folder for temporary files.
        errno = 0;
        scratch_ = openScratch();
        if (!scratch_) fileError("Cannot create file", "scratch", errno);
        std::setvbuf(scratch_, nullptr, _IOFBF, size_t(1) << 20);
        errno = 0;
        if (std::fwrite(binary_.data(), 1, binary_.size(), scratch_) != binary_.size())
            fileError("Cannot write", "scratch", errno);
        std::vector<char>().swap(binary_);
    }
    if (direct_) {
        if (size > 0) outFile.write(std::string_view(static_cast<const char*>(data), size));
    } else if (scratch_) {
        errno = 0;
        if (std::fwrite(data, 1, size, scratch_) != size)
            fileError("Cannot write", "scratch", errno);
    } else {
        // All the room at once: untouched pages cost no memory, and nothing is copied on growth.
        reserveLarge(binary_, binaryInMemory);
        const char* bytes = static_cast<const char*>(data);
        binary_.insert(binary_.end(), bytes, bytes + size);
    }
    binaryLength_ += size;
    return offset;
}

void TGLTFFormat::alignBinary() {
    static const char zeros[4] = {};
    if (binaryLength_ % 4 != 0) appendBinary(zeros, 4 - binaryLength_ % 4);
}

uint32_t TGLTFFormat::addBufferView(uint64_t offset, uint64_t length, uint32_t stride,
                                    uint32_t target) {
    std::string& v = item(views_);
    v += "{\"buffer\":0,\"byteOffset\":";
    appendCount(v, offset);
    v += ",\"byteLength\":";
    appendCount(v, length);
    appendOptional(v, ",\"byteStride\":", stride);
    appendOptional(v, ",\"target\":", target);
    v += '}';
    return viewCount_++;
}

uint32_t TGLTFFormat::textureFor(const TTextureObj& texture) {
    const auto known = textureIndex_.find(texture.FileName);
    if (known != textureIndex_.end()) return known->second;

    std::vector<char> bytes;
    const std::string mimeType = embeddedImage(texture, bytes);
    const uint64_t offset = appendBinary(bytes.data(), bytes.size());
    const uint64_t length = binaryLength_ - offset;
    alignBinary();
    const uint32_t view = addBufferView(offset, length, 0, 0);

    std::string& i = item(images_);
    i += "{\"name\":";
    appendJsonString(i, FileNamePart(texture.FileName));
    i += ",\"bufferView\":";
    appendCount(i, view);
    i += ",\"mimeType\":\"" + mimeType + "\"}";
    std::string& t = item(textures_);
    t += "{\"sampler\":0,\"source\":";
    appendCount(t, imageCount_++);
    t += '}';
    const uint32_t index = uint32_t(textureIndex_.size());
    textureIndex_.emplace(texture.FileName, index);
    return index;
}

uint32_t TGLTFFormat::materialFor(const TMeshRun& run) {
    TMaterialKey key = materialKey(run);
    const auto known = materialIndex_.find(key);
    if (known != materialIndex_.end()) return known->second;

    const uint32_t index = uint32_t(materialIndex_.size());
    const bool textured = run.textured();
    const uint32_t texture = textured ? textureFor(run.Texture) : 0;
    std::string& m = item(materials_);
    m += "{\"name\":\"mat";
    appendCount(m, index);
    m += "\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[";
    for (float c : {run.Color.R, run.Color.G, run.Color.B}) {
        appendNumber(m, linearChannel(c));
        m += ',';
    }
    m += '1';
    m += ']';
    if (textured) {
        m += ",\"baseColorTexture\":{\"index\":";
        appendCount(m, texture);
        m += '}';
    }
    m += ",\"metallicFactor\":0,\"roughnessFactor\":0.5},\"doubleSided\":true}";
    materialIndex_.emplace(std::move(key), index);
    return index;
}

void TGLTFFormat::writeObject(const TMeshObject& object) {
    std::string primitives;
    // A round of binary data, fill(at) putting its bytes from at on: straight into the file's
    // buffer once the data go to the file, else through pack.
    std::vector<char> pack(PackVertices * 32);
    auto packBinary = [&](size_t bytes, auto fill) {
        if (direct_) {
            outFile.commit(fill(outFile.reserve(bytes)));
            binaryLength_ += bytes;
        } else {
            appendBinary(pack.data(), size_t(fill(pack.data()) - pack.data()));
        }
    };
    for (const TMeshRun& run : object.Runs) {
        if (run.Indices.empty()) continue;
        const uint32_t material = materialFor(run);
        const std::vector<TMeshVertex>& vertices = run.Vertices;
        const std::vector<std::array<float, 3>>& points = object.Points;
        const bool textured = run.textured();
        const size_t count = vertices.size();
        const uint32_t stride = textured ? 32 : 24;

        // Interleaved position, normal and (when textured) texture coordinate, V flipped to the
        // image's top-left origin.
        float lo[3], hi[3];
        std::copy_n(points[run.PositionIds[0]].data(), 3, lo);
        std::copy_n(points[run.PositionIds[0]].data(), 3, hi);
        const uint64_t vertexOffset = binaryLength_;
        for (size_t start = 0; start < count; start += PackVertices) {
            const size_t end = std::min(count, start + PackVertices);
            packBinary((end - start) * stride, [&](char* at) {
                for (size_t i = start; i < end; ++i) {
                    const TMeshVertex& v = vertices[i];
                    const std::array<float, 3>& p = points[run.PositionIds[i]];
                    for (int a = 0; a < 3; ++a) {
                        lo[a] = std::min(lo[a], p[a]);
                        hi[a] = std::max(hi[a], p[a]);
                        at = storeF32(at, p[a]);
                    }
                    for (int a = 0; a < 3; ++a)
                        at = storeF32(at, v.Normal[a]);
                    if (textured) {
                        at = storeF32(at, v.TexCoord[0]);
                        at = storeF32(at, 1.0f - v.TexCoord[1]);
                    }
                }
                return at;
            });
        }
        const uint32_t vertexView =
            addBufferView(vertexOffset, count * stride, stride, ArrayBuffer);

        // Indices as 16-bit words when every index fits below the reserved value 65535.
        const bool shortIndices = count <= 65535;
        const size_t indexSize = shortIndices ? 2 : 4;
        const uint64_t indexOffset = binaryLength_;
        for (size_t start = 0; start < run.Indices.size(); start += 3 * PackVertices) {
            const size_t end = std::min(run.Indices.size(), start + 3 * PackVertices);
            packBinary((end - start) * indexSize, [&](char* at) {
                for (size_t i = start; i < end; ++i)
                    at = shortIndices ? storeU16(at, uint16_t(run.Indices[i]))
                                      : storeU32(at, run.Indices[i]);
                return at;
            });
        }
        const uint32_t indexView =
            addBufferView(indexOffset, run.Indices.size() * indexSize, 0, ElementArrayBuffer);
        alignBinary();

        auto accessor = [&](uint32_t view, uint32_t offset, uint32_t component, size_t n,
                            const char* type, const float* min, const float* max) {
            std::string& a = item(accessors_);
            a += "{\"bufferView\":";
            appendCount(a, view);
            appendOptional(a, ",\"byteOffset\":", offset);
            a += ",\"componentType\":";
            appendCount(a, component);
            a += ",\"count\":";
            appendCount(a, n);
            a += ",\"type\":\"";
            a += type;
            a += '"';
            // The exact values of the floats, so that any reader finds them equal.
            auto bound = [&](const char* field, const float* values) {
                a += field;
                for (int k = 0; k < 3; ++k) {
                    if (k > 0) a += ',';
                    appendNumber(a, double(values[k]));
                }
                a += ']';
            };
            if (min != nullptr) bound(",\"min\":[", min);
            if (max != nullptr) bound(",\"max\":[", max);
            a += '}';
            return accessorCount_++;
        };
        std::string& p = item(primitives);
        p += "{\"attributes\":{\"POSITION\":";
        appendCount(p, accessor(vertexView, 0, FloatComponent, count, "VEC3", lo, hi));
        p += ",\"NORMAL\":";
        appendCount(p, accessor(vertexView, 12, FloatComponent, count, "VEC3", nullptr, nullptr));
        if (textured) {
            p += ",\"TEXCOORD_0\":";
            appendCount(p,
                        accessor(vertexView, 24, FloatComponent, count, "VEC2", nullptr, nullptr));
        }
        p += "},\"indices\":";
        appendCount(p, accessor(indexView, 0, shortIndices ? UnsignedShort : UnsignedInt,
                                run.Indices.size(), "SCALAR", nullptr, nullptr));
        p += ",\"material\":";
        appendCount(p, material);
        p += '}';
    }
    if (primitives.empty()) return;

    std::string& mesh = item(meshes_);
    mesh += "{\"name\":";
    appendJsonString(mesh, object.Name);
    mesh += ",\"primitives\":[" + primitives + "]}";

    // The node carries the placement and the scaling to metres, glTF's unit; a matrix that
    // changes nothing is left out.
    std::string& node = item(nodes_);
    node += "{\"name\":";
    appendJsonString(node, object.Name);
    node += ",\"mesh\":";
    appendCount(node, meshCount_++);
    const Matrix4 placement = scaledPlacement(object.Matrix, unit.Millimetres / 1000);
    const Matrix4 identity = Matrix4::Identity();
    if (!std::equal(placement.m, placement.m + 16, identity.m)) {
        node += ",\"matrix\":[";
        for (int k = 0; k < 16; ++k) {
            if (k > 0) node += ',';
            appendNumber(node, placement.m[k] + 0.0);
        }
        node += ']';
    }
    node += '}';
}

void TGLTFFormat::finish(TStagedFiles&) {
    std::string json = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Palvorin\"},\"scene\":0,"
                       "\"scenes\":[{";
    if (meshCount_ > 0) {
        json += "\"nodes\":[";
        for (uint32_t k = 0; k < meshCount_; ++k) {
            if (k > 0) json += ',';
            appendCount(json, k);
        }
        json += ']';
    }
    json += "}]";
    auto array = [&](const char* name, const std::string& items) {
        if (items.empty()) return;
        json += ",\"";
        json += name;
        json += "\":[" + items + "]";
    };
    array("nodes", nodes_);
    array("meshes", meshes_);
    array("materials", materials_);
    array("textures", textures_);
    if (!textures_.empty()) json += ",\"samplers\":[{\"magFilter\":9729,\"minFilter\":9987}]";
    array("images", images_);
    array("accessors", accessors_);
    array("bufferViews", views_);
    if (binaryLength_ > 0) {
        json += ",\"buffers\":[{\"byteLength\":";
        appendCount(json, binaryLength_);
        json += "}]";
    }
    json += '}';
    // A binary chunk that left memory starts at headRoom, or beyond on a multiple of
    // PrefixAlignment, so that the file system can make room before it: the JSON is padded with
    // spaces up to there.
    const size_t framing = 12 + 8 + 8;
    const bool spilled = direct_ || scratch_;
    if (spilled)
        json.append(std::max(headRoom, (framing + json.size() + PrefixAlignment - 1) /
                                           PrefixAlignment * PrefixAlignment) -
                        framing - json.size(),
                    ' ');
    else
        json.append((4 - json.size() % 4) % 4, ' ');

    const uint64_t total = 12 + 8 + json.size() + (binaryLength_ > 0 ? 8 + binaryLength_ : 0);
    if (total > std::numeric_limits<uint32_t>::max())
        throw std::runtime_error("the scene exceeds the 4 GiB limit of a glTF binary file");
    std::string head;
    auto put32 = [&](uint32_t v) {
        char b[4];
        storeU32(b, v);
        head.append(b, 4);
    };
    put32(0x46546C67); // "glTF"
    put32(2);
    put32(uint32_t(total));
    put32(uint32_t(json.size()));
    put32(0x4E4F534A); // "JSON"
    head += json;
    if (binaryLength_ > 0) {
        put32(uint32_t(binaryLength_));
        put32(0x004E4942); // "BIN"
    }
    if (direct_) {
        outFile.prepend(head, headRoom);
    } else {
        outFile.write(head);
        if (scratch_)
            outFile.append(scratch_, "scratch", binaryLength_);
        else if (!binary_.empty()) // an empty vector may hold no buffer to hand to write
            outFile.write(std::string_view(binary_.data(), binary_.size()));
    }
    outFile.close();
    std::vector<char>().swap(binary_);
    if (scratch_) std::fclose(scratch_);
    scratch_ = nullptr;
    direct_ = false;
}
