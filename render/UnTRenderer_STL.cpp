// The binary STL exporter: a header naming the program, the triangle count and every placed face
// with its normal, in millimetres, written as it arrives.
#include "render/UnTRenderer_Mesh.h"

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

} // namespace

TSTLRenderer::TSTLRenderer() : TMeshRenderer("STL") {}

void TSTLRenderer::openFiles(const std::string& fileName) {
    outFile.open(staged.add(fileName));
    std::string header(HeaderSize, ' ');
    header.replace(0, HeaderText.size(), HeaderText);
    outFile.write(header);
    outFile.writeU32(0); // the triangle count, patched at the end
    triangleCount_ = 0;
}

void TSTLRenderer::initObject(const std::string& name) {
    TMeshRenderer::initObject(name);
    placement_ = scaledPlacement(unit.Millimetres);
    normalKnown_ = false;
}

void TSTLRenderer::addTriangles(const TMeshVertex* corners, const uint8_t (*triangles)[3],
                                int count) {
    // The face's normal turned once (and once only for the faces of one direction in a row), its
    // corners placed once.
    if (!normalKnown_ || std::memcmp(lastNormal_, corners[0].Normal, sizeof lastNormal_) != 0) {
        std::memcpy(lastNormal_, corners[0].Normal, sizeof lastNormal_);
        placedNormal_ = placeDirection(objectMatrix, corners[0].Normal);
        normalKnown_ = true;
    }
    Vec3 placed[4];
    bool known[4] = {};
    for (int t = 0; t < count; ++t) {
        char* at = storeVec3(outFile.reserve(TriangleSize), placedNormal_);
        for (uint8_t c : triangles[t]) {
            if (!known[c]) placed[c] = placePointFast(placement_, corners[c].Position);
            known[c] = true;
            at = storeVec3(at, placed[c]);
        }
        outFile.commit(storeU16(at, 0));
    }
    triangleCount_ += uint64_t(count);
}

void TSTLRenderer::closeFiles() {
    if (triangleCount_ > std::numeric_limits<uint32_t>::max())
        throw std::runtime_error("the scene exceeds the 4294967295 triangles of an STL file");
    outFile.patchU32(HeaderSize, uint32_t(triangleCount_));
    outFile.close();
}
