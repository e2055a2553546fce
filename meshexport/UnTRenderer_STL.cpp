// The binary STL exporter: a header naming the program, the triangle count and every placed face
// with its normal, in millimetres, written object by object.
// See docs/architecture.md (The mesh export pipeline).
#include "meshexport/UnTRenderer_Mesh.h"

#include <cstring>
#include <limits>

namespace {

constexpr size_t HeaderSize = 80;
constexpr size_t TriangleSize = 50;
// Must not begin with "solid", which marks the text form of the format.
constexpr std::string_view HeaderText = "Binary STL written by Palvorin";

char* storeVec3(char* at, const Vec3& v) {
    return storeF32(storeF32(storeF32(at, v.X), v.Y), v.Z);
}

// Binary STL: an 80-byte header naming the program, the triangle count, then every triangle with
// its normal, placed; no colour.
class TSTLFormat : public TMeshFormat {
  public:
    TSTLFormat() : TMeshFormat("STL", exportUpAxis(TUpAxis::Z)) {}

    bool usesRuns() const override { return false; }
    void begin(const std::string& fileName, TStagedFiles& staged) override;
    void writeObject(const TMeshObject& object) override;
    void finish(TStagedFiles& staged) override;
    void abandon() noexcept override { outFile.abandon(); }

  private:
    TExportFile outFile;
    uint64_t triangleCount_ = 0;
    std::vector<Vec3> placed_; // the object's positions placed, where placedYet_
    std::vector<uint8_t> placedYet_;
};

} // namespace

void TSTLFormat::begin(const std::string& fileName, TStagedFiles& staged) {
    outFile.open(staged.add(fileName), true);
    std::string header(HeaderSize, ' ');
    header.replace(0, HeaderText.size(), HeaderText);
    outFile.write(header);
    outFile.writeU32(0); // the triangle count, patched at the end
    triangleCount_ = 0;
}

void TSTLFormat::writeObject(const TMeshObject& object) {
    // Each face's normal turned once (the triangles of one face follow each other), its corners
    // placed in millimetres.
    const Matrix4 placement = scaledPlacement(object.Matrix, unit.Millimetres);
    // Each position is placed once, where it is first met.
    placed_.resize(object.Positions);
    placedYet_.assign(object.Positions, 0);
    float lastNormal[3] = {0, 0, 0};
    Vec3 normal{0, 0, 0};
    for (size_t i = 0; i < object.Facets.size(); ++i) {
        float facetNormal[3];
        object.Facets[i].normal(object.Faces[object.Facets[i].face()], facetNormal);
        if (std::memcmp(lastNormal, facetNormal, sizeof lastNormal) != 0) {
            std::memcpy(lastNormal, facetNormal, sizeof lastNormal);
            normal = placeDirection(object.Matrix, facetNormal);
        }
        char* at = storeVec3(outFile.reserve(TriangleSize), normal);
        for (size_t k = 0; k < 3; ++k) {
            const uint32_t id = object.PositionIds[i][k];
            if (!placedYet_[id]) {
                placed_[id] = placePoint(placement, object.Points[id].data());
                placedYet_[id] = 1;
            }
            at = storeVec3(at, placed_[id]);
        }
        outFile.commit(storeU16(at, 0));
    }
    triangleCount_ += object.Facets.size();
}

void TSTLFormat::finish(TStagedFiles&) {
    if (triangleCount_ > std::numeric_limits<uint32_t>::max())
        throw std::runtime_error("the scene exceeds the 4294967295 triangles of an STL file");
    outFile.patchU32(HeaderSize, uint32_t(triangleCount_));
    outFile.close();
}

std::unique_ptr<TMeshFormat> newSTLFormat() {
    return std::make_unique<TSTLFormat>();
}
