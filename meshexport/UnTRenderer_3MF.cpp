// The 3MF exporter: one mesh object per document object with its corners merged, a build item
// placed as the object is, one base material per colour and one texture per image, the unit
// declared as the export unit, the whole build lowered onto z = 0 when Z is up; lib3mf puts the
// package together in memory, and its entries are written to the staged file as a ZIP of the
// classic form.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include "model/UnAnsiText.h"

#include <Model/COM/NMR_DLLInterfaces.h>

#include <array>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

struct ReleaseLib3MF {
    void operator()(NMR::PLib3MFBase* instance) const { NMR::lib3mf_release(instance); }
};
// One lib3mf instance, released with its holder.
using Lib3MFPtr = std::unique_ptr<NMR::PLib3MFBase, ReleaseLib3MF>;

// Throws the library's own message for a failed call on instance.
void check(LIB3MFRESULT result, NMR::PLib3MFBase* instance, const char* call) {
    if (result == 0) return;
    DWORD code = 0;
    LPCSTR message = nullptr;
    if (instance == nullptr || NMR::lib3mf_getlasterror(instance, &code, &message) != 0 ||
        message == nullptr || *message == '\0')
        message = "unknown error";
    char number[16];
    std::snprintf(number, sizeof number, "%08X", unsigned(result));
    throw std::runtime_error(std::string("lib3mf ") + call + ": " + message + " (" + number + ")");
}

// Fixed identifiers, so that one document always gives the same bytes (lib3mf would draw them at
// random): "PALV" and the kind (1 the build, 2 an object, 3 a build item), then the number.
std::string identifier(uint32_t kind, uint64_t number) {
    char text[40];
    std::snprintf(text, sizeof text, "50414c56-%04x-4000-8000-%012llx", unsigned(kind),
                  static_cast<unsigned long long>(number));
    return text;
}

DWORD unitCode(const TExportUnit& unit) {
    const std::string name = unit.Name;
    if (name == "cm") return NMR::MODELUNIT_CENTIMETER;
    if (name == "m") return NMR::MODELUNIT_METER;
    if (name == "in") return NMR::MODELUNIT_INCH;
    return NMR::MODELUNIT_MILLIMETER;
}

uint8_t channel(float c) {
    const float v = c > 0 ? (c < 1 ? c : 1.0f) : 0.0f; // NaN gives 0
    return uint8_t(std::lround(v * 255));
}

// The package as lib3mf writes it: in memory, where it may seek back to finish its entries.
struct PackageBytes {
    std::vector<char> bytes;
    uint64_t at = 0;
};

uint32_t writePackage(const uint8_t* data, uint32_t size, void* user) {
    auto& out = *static_cast<PackageBytes*>(user);
    if (out.at + size > out.bytes.size()) out.bytes.resize(size_t(out.at + size));
    std::memcpy(out.bytes.data() + out.at, data, size);
    out.at += size;
    return 0;
}

uint32_t seekPackage(uint64_t position, void* user) {
    auto& out = *static_cast<PackageBytes*>(user);
    if (position > out.bytes.size()) return 1;
    out.at = position;
    return 0;
}

uint32_t loadU32(const char* at) {
    uint32_t v;
    std::memcpy(&v, at, 4);
    return NativeLittleEndian ? v : __builtin_bswap32(v);
}

uint16_t loadU16(const char* at) {
    uint16_t v;
    std::memcpy(&v, at, 2);
    return NativeLittleEndian ? v : uint16_t(v >> 8 | v << 8);
}

uint64_t loadU64(const char* at) {
    return loadU32(at) | uint64_t(loadU32(at + 4)) << 32;
}

// lib3mf 1.8 writes every ZIP entry with ZIP64 fields (its sizes in an extra field, "version 4.5")
// and a date of month 0, which stricter readers refuse (assimp's among them). The entries are
// copied as they are (compressed data, CRC and sizes unchanged) into a ZIP of the classic form:
// the same package, readable everywhere. Should the package not look as expected, or need ZIP64
// for its size, lib3mf's bytes are kept.
std::vector<char> classicZip(const std::vector<char>& package) {
    constexpr uint32_t LocalSignature = 0x04034b50, CentralSignature = 0x02014b50,
                       EndSignature = 0x06054b50;
    constexpr uint16_t Version = 20;  // 2.0: deflate
    constexpr uint16_t Date = 0x0021; // 1980-01-01, the earliest valid date
    struct Entry {
        uint16_t method;
        uint32_t crc, compressed, size, offset;
        std::string_view name;
    };
    std::vector<Entry> entries;
    std::vector<char> out;
    out.reserve(package.size());
    auto putU16 = [&](uint16_t v) {
        char b[2];
        out.insert(out.end(), b, storeU16(b, v));
    };
    auto putU32 = [&](uint32_t v) {
        char b[4];
        out.insert(out.end(), b, storeU32(b, v));
    };
    const char* const data = package.data();
    const size_t size = package.size();
    size_t at = 0;
    while (at + 30 <= size && loadU32(data + at) == LocalSignature) {
        const uint16_t flags = loadU16(data + at + 6), method = loadU16(data + at + 8);
        const uint16_t nameLength = loadU16(data + at + 26), extraLength = loadU16(data + at + 28);
        uint64_t compressed = loadU32(data + at + 18), uncompressed = loadU32(data + at + 22);
        const size_t name = at + 30, extra = name + nameLength, start = extra + extraLength;
        if ((flags & 0x0009) != 0 || start > size) return package; // encrypted, or sizes after
        // The ZIP64 extra field: the true sizes of those given as 0xFFFFFFFF.
        for (size_t e = extra; e + 4 <= start;) {
            const uint16_t id = loadU16(data + e), length = loadU16(data + e + 2);
            size_t field = e + 4;
            if (id == 0x0001) {
                for (uint64_t* value : {&uncompressed, &compressed})
                    if (*value == 0xFFFFFFFF && field + 8 <= e + 4 + length) {
                        *value = loadU64(data + field);
                        field += 8;
                    }
            }
            e += 4 + size_t(length);
        }
        if (compressed >= 0xFFFFFFFF || uncompressed >= 0xFFFFFFFF || compressed > size - start ||
            out.size() >= 0xFFFFFFFF)
            return package;
        const Entry entry{method,
                          loadU32(data + at + 14),
                          uint32_t(compressed),
                          uint32_t(uncompressed),
                          uint32_t(out.size()),
                          std::string_view(data + name, nameLength)};
        putU32(LocalSignature);
        putU16(Version);
        putU16(0); // flags
        putU16(entry.method);
        putU16(0); // time
        putU16(Date);
        putU32(entry.crc);
        putU32(entry.compressed);
        putU32(entry.size);
        putU16(nameLength);
        putU16(0); // no extra field
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        out.insert(out.end(), data + start, data + start + compressed);
        entries.push_back(entry);
        at = start + size_t(compressed);
    }
    if (entries.empty() || entries.size() >= 0xFFFF || at + 4 > size ||
        loadU32(data + at) != CentralSignature)
        return package;
    const size_t central = out.size();
    for (const Entry& entry : entries) {
        putU32(CentralSignature);
        putU16(Version); // made by
        putU16(Version); // needed
        putU16(0);
        putU16(entry.method);
        putU16(0);
        putU16(Date);
        putU32(entry.crc);
        putU32(entry.compressed);
        putU32(entry.size);
        putU16(uint16_t(entry.name.size()));
        putU16(0); // extra field
        putU16(0); // comment
        putU16(0); // disk
        putU16(0); // internal attributes
        putU32(0); // external attributes
        putU32(entry.offset);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
    }
    if (out.size() >= 0xFFFFFFFF) return package;
    const uint32_t centralSize = uint32_t(out.size() - central);
    putU32(EndSignature);
    putU16(0);
    putU16(0);
    putU16(uint16_t(entries.size()));
    putU16(uint16_t(entries.size()));
    putU32(centralSize);
    putU32(uint32_t(central));
    putU16(0); // comment
    return out;
}

class T3MFFormat : public TMeshFormat {
  public:
    T3MFFormat() : TMeshFormat("3MF", exportUpAxis(TUpAxis::Z)) {}

    void begin(const std::string& fileName, TStagedFiles& staged) override;
    void writeObject(const TMeshObject& mesh) override;
    void finish(TStagedFiles& staged) override;
    void abandon() noexcept override {
        outFile.abandon();
        items_.clear();
        materials_.reset();
        model_.reset();
    }

  private:
    DWORD materialFor(const ColorF& color);
    DWORD textureFor(const TTextureObj& texture);
    // Lowers every build item so that the lowest point of the build lies on z = 0.
    void settleBuild();

    TExportFile outFile;
    Lib3MFPtr model_, materials_;
    DWORD materialGroup_ = 0;
    std::map<std::string, DWORD> materialIndex_; // by the colour's bytes
    std::map<std::string, DWORD> textureIndex_;  // resource id by image file
    uint64_t objectCount_ = 0;
    // The build items with their placements, kept until the build is settled on z = 0 (Z up),
    // and the lowest z the build reaches so far.
    struct BuildItem {
        Lib3MFPtr item;
        NMR::MODELTRANSFORM transform;
        double z; // the placement's z offset
    };
    std::vector<BuildItem> items_;
    double lowest_ = HUGE_VAL;
};

void T3MFFormat::begin(const std::string& fileName, TStagedFiles& staged) {
    outFile.open(staged.add(fileName));
    NMR::PLib3MFModel* model = nullptr;
    check(NMR::lib3mf_createmodel(&model), nullptr, "createmodel");
    model_.reset(model);
    check(NMR::lib3mf_model_setunit(model, unitCode(unit)), model, "setunit");
    check(NMR::lib3mf_model_setbuilduuidutf8(model, identifier(1, 0).c_str()), model,
          "setbuilduuid");
    NMR::PLib3MFModelBaseMaterial* materials = nullptr;
    check(NMR::lib3mf_model_addbasematerialgroup(model, &materials), model, "addbasematerialgroup");
    materials_.reset(materials);
    check(NMR::lib3mf_resource_getresourceid(materials, &materialGroup_), materials,
          "getresourceid");
}

DWORD T3MFFormat::materialFor(const ColorF& color) {
    std::string key(reinterpret_cast<const char*>(&color), sizeof color);
    const auto known = materialIndex_.find(key);
    if (known != materialIndex_.end()) return known->second;
    char name[16];
    std::snprintf(name, sizeof name, "mat%zu", materialIndex_.size());
    DWORD index = 0;
    NMR::PLib3MFBase* group = materials_.get();
    check(NMR::lib3mf_basematerial_addmaterialutf8(group, name, channel(color.R), channel(color.G),
                                                   channel(color.B), &index),
          group, "addmaterial");
    // The colour is opaque, as on screen.
    check(NMR::lib3mf_basematerial_setdisplaycolorrgba(group, index, channel(color.R),
                                                       channel(color.G), channel(color.B), 255),
          group, "setdisplaycolor");
    materialIndex_.emplace(std::move(key), index);
    return index;
}

DWORD T3MFFormat::textureFor(const TTextureObj& texture) {
    const auto known = textureIndex_.find(texture.FileName);
    if (known != textureIndex_.end()) return known->second;
    std::vector<char> bytes;
    const bool jpeg = std::string(embeddedImage(texture, bytes)) == "image/jpeg";
    std::string path =
        "/3D/Textures/texture" + std::to_string(textureIndex_.size()) + (jpeg ? ".jpeg" : ".png");
    std::string relation = "http://schemas.microsoft.com/3dmanufacturing/2013/01/3dtexture";
    NMR::PLib3MFBase* model = model_.get();
    NMR::PLib3MFModelAttachment* attachment = nullptr;
    check(NMR::lib3mf_model_addattachmentutf8(model, path.data(), relation.data(), &attachment),
          model, "addattachment");
    Lib3MFPtr attachmentHolder(attachment);
    check(NMR::lib3mf_attachment_readfrombuffer(attachment, reinterpret_cast<BYTE*>(bytes.data()),
                                                bytes.size()),
          attachment, "readfrombuffer");
    NMR::PLib3MFModelTexture2D* image = nullptr;
    check(NMR::lib3mf_model_addtexture2dfromattachment(model, attachment, &image), model,
          "addtexture2d");
    Lib3MFPtr imageHolder(image);
    check(NMR::lib3mf_texture2d_setcontenttype(image, jpeg ? NMR::MODELTEXTURETYPE_JPEG
                                                           : NMR::MODELTEXTURETYPE_PNG),
          image, "setcontenttype");
    // The image repeats beyond its edges, as on screen.
    check(NMR::lib3mf_texture2d_settilestyleuv(image, NMR::MODELTEXTURETILESTYLE_WRAP,
                                               NMR::MODELTEXTURETILESTYLE_WRAP),
          image, "settilestyle");
    DWORD id = 0;
    check(NMR::lib3mf_resource_getresourceid(image, &id), image, "getresourceid");
    textureIndex_.emplace(texture.FileName, id);
    return id;
}

void T3MFFormat::writeObject(const TMeshObject& mesh) {
    // Corners that share a position are one vertex of the object, whatever their normal, colour
    // or texture coordinate: the mesh is closed where the faces meet.
    // The weld numbers positions so that equal numbers are equal bits (no -0 left): each number
    // is one vertex.
    std::vector<NMR::MODELMESHVERTEX> vertices;
    std::vector<NMR::MODELMESHTRIANGLE> triangles;
    std::vector<DWORD> groups, indices; // the base material of each triangle
    std::vector<std::pair<size_t, const TMeshRun*>> texturedRuns; // first triangle, run
    std::vector<DWORD> vertexOf;
    std::vector<uint32_t> vertexAt(mesh.Positions, UINT32_MAX); // each position looked up once
    for (const TMeshRun& run : mesh.Runs) {
        if (run.Indices.empty()) continue;
        const DWORD material = materialFor(run.Color);
        if (run.textured()) texturedRuns.emplace_back(triangles.size(), &run);
        vertexOf.clear();
        for (size_t i = 0; i < run.Vertices.size(); ++i) {
            uint32_t& vertex = vertexAt[run.PositionIds[i]];
            if (vertex == UINT32_MAX) {
                vertex = uint32_t(vertices.size());
                vertices.emplace_back();
                std::copy_n(mesh.Points[run.PositionIds[i]].data(), 3, vertices.back().m_fPosition);
            }
            vertexOf.push_back(vertex);
        }
        for (size_t i = 0; i + 2 < run.Indices.size(); i += 3) {
            triangles.push_back({{vertexOf[run.Indices[i]], vertexOf[run.Indices[i + 1]],
                                  vertexOf[run.Indices[i + 2]]}});
            groups.push_back(materialGroup_);
            indices.push_back(material);
        }
    }
    if (triangles.empty()) return;
    if (triangles.size() > 0xFFFFFFFFu || vertices.size() > 0xFFFFFFFFu)
        throw std::runtime_error("the object \"" + mesh.Name + "\" has too many triangles");

    NMR::PLib3MFBase* model = model_.get();
    NMR::PLib3MFModelMeshObject* object = nullptr;
    check(NMR::lib3mf_model_addmeshobject(model, &object), model, "addmeshobject");
    Lib3MFPtr objectHolder(object);
    const std::string name = validUtf8(mesh.Name.empty() ? "unnamed" : mesh.Name);
    check(NMR::lib3mf_object_setnameutf8(object, name.c_str()), object, "setname");
    check(NMR::lib3mf_object_setuuidutf8(object, identifier(2, objectCount_).c_str()), object,
          "setuuid");
    check(NMR::lib3mf_meshobject_setgeometry(object, vertices.data(), DWORD(vertices.size()),
                                             triangles.data(), DWORD(triangles.size())),
          object, "setgeometry");

    NMR::PLib3MFPropertyHandler* properties = nullptr;
    check(NMR::lib3mf_meshobject_createpropertyhandler(object, &properties), object,
          "createpropertyhandler");
    Lib3MFPtr propertiesHolder(properties);
    check(
        NMR::lib3mf_propertyhandler_setbasematerialarray(properties, groups.data(), indices.data()),
        properties, "setbasematerialarray");
    for (const auto& [first, run] : texturedRuns) {
        NMR::MODELMESHTEXTURE2D mapping{};
        mapping.m_nTextureID = textureFor(run->Texture);
        const std::vector<TMeshVertex>& corners = run->Vertices;
        for (size_t i = 0; i + 2 < run->Indices.size(); i += 3) {
            for (int k = 0; k < 3; ++k) {
                const TMeshVertex& c = corners[run->Indices[i + size_t(k)]];
                mapping.m_fU[k] = c.TexCoord[0];
                mapping.m_fV[k] = c.TexCoord[1];
            }
            check(
                NMR::lib3mf_propertyhandler_settexture(properties, DWORD(first + i / 3), &mapping),
                properties, "settexture");
        }
    }
    // The object as a whole takes the colour of its first face.
    NMR::PLib3MFDefaultPropertyHandler* defaults = nullptr;
    check(NMR::lib3mf_object_createdefaultpropertyhandler(object, &defaults), object,
          "createdefaultpropertyhandler");
    Lib3MFPtr defaultsHolder(defaults);
    check(NMR::lib3mf_defaultpropertyhandler_setbasematerial(defaults, groups[0], indices[0]),
          defaults, "setdefaultmaterial");

    // The build item carries the placement (rows of a 3 x 4 matrix; ours is column-major).
    NMR::MODELTRANSFORM transform{};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            transform.m_fFields[row][column] = float(mesh.Matrix.m[column * 4 + row]);
    NMR::PLib3MFModelBuildItem* item = nullptr;
    check(NMR::lib3mf_model_addbuilditem(model, object, &transform, &item), model, "addbuilditem");
    Lib3MFPtr itemHolder(item);
    check(NMR::lib3mf_builditem_setuuidutf8(item, identifier(3, objectCount_).c_str()), item,
          "setuuid");
    ++objectCount_;
    if (upAxis == TUpAxis::Z) {
        const double* e = mesh.Matrix.m;
        double low = HUGE_VAL;
        for (const NMR::MODELMESHVERTEX& v : vertices) {
            const float* p = v.m_fPosition;
            low = std::min(low, p[0] * e[2] + p[1] * e[6] + p[2] * e[10]);
        }
        lowest_ = std::min(lowest_, low + e[14]);
        items_.push_back({std::move(itemHolder), transform, e[14]});
    }
}

void T3MFFormat::settleBuild() {
    if (!std::isfinite(lowest_)) return;
    for (BuildItem& b : items_) {
        b.transform.m_fFields[2][3] = float(b.z - lowest_);
        check(NMR::lib3mf_builditem_setobjecttransform(b.item.get(), &b.transform), b.item.get(),
              "setobjecttransform");
    }
    items_.clear();
}

void T3MFFormat::finish(TStagedFiles&) {
    settleBuild();
    NMR::PLib3MFBase* model = model_.get();
    NMR::PLib3MFModelWriter* writer = nullptr;
    check(NMR::lib3mf_model_querywriter(model, "3mf", &writer), model, "querywriter");
    Lib3MFPtr writerHolder(writer);
    PackageBytes package;
    check(NMR::lib3mf_writer_writetocallback(writer, reinterpret_cast<void*>(&writePackage),
                                             reinterpret_cast<void*>(&seekPackage), &package),
          writer, "write");
    writerHolder.reset();
    materials_.reset();
    model_.reset();
    const std::vector<char> bytes = classicZip(package.bytes);
    outFile.write(std::string_view(bytes.data(), bytes.size()));
    outFile.close();
}

} // namespace

std::unique_ptr<TMeshFormat> new3MFFormat() {
    return std::make_unique<T3MFFormat>();
}
