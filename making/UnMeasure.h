// Measurements of a document's solids: size, volume and surface from the same welded mesh that the
// STL export writes, and the outlines' own figures (profile area and perimeter, path length).
#pragma once

#include "render/UnTRenderer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TExtrObj;
class TExtrObjList;

// Figures of a placed mesh, in millimetres of the solid.
struct TMeshMeasures {
    bool Built = false; // some triangle was made
    bool Solid = false; // every part encloses a volume: Volume means something
    std::array<double, 3> Min{}, Max{};
    double Volume = 0; // mm³, the signed tetrahedra of the welded, outward-wound triangles
    double Area = 0;   // mm²

    double Size(int axis) const { return Built ? Max[size_t(axis)] - Min[size_t(axis)] : 0; }
    // Adds other's box, volume and area; solid stays only when both are.
    void Add(const TMeshMeasures& other);
};

// What the outlines give by themselves, in millimetres of the solid.
struct TOutlineMeasures {
    double ProfileArea = 0;       // mm², of the closed profile (0 when open)
    double ProfilePerimeter = 0;  // mm
    double PathLength = 0;        // mm, along the path as stored
    double Width = 0, Height = 0; // of the profile
};

struct TObjectMeasures {
    std::string Name;
    TMeshMeasures Mesh;
    TOutlineMeasures Outlines;
    // Why the object cannot be measured (no profile, no path, ...); empty when it was.
    std::string Problem;
};

struct TDocumentMeasures {
    std::vector<TObjectMeasures> Objects; // in document order
    TMeshMeasures Whole;                  // the objects measured, together
};

// Builds every object of doc through the document traversal into a collector (the current
// renderer is put back afterwards) and measures it: placement applied, millimetres.
TDocumentMeasures measureDocument(TExtrObjList& doc);
TOutlineMeasures measureOutlines(const TExtrObj& object);
// "" when the object can be built; else why not, as a row shows it.
std::string objectProblem(const TExtrObj& object);

// A material for the mass.
struct TMaterial {
    const char* Name;
    double Density; // kg/m³
};
extern const std::array<TMaterial, 10> Materials;
double massKg(double volumeMm3, double densityKgPerM3);

// The collector: each object's triangles welded as the mesh exports weld them, then measured with
// the object's placement.
class TMeasureRenderer : public TRenderer {
  public:
    std::vector<TMeshMeasures> Objects; // one per object built, in order

    void initObject(const std::string& name) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;

  private:
    void addFace(const Vec3* corners, int count);
    std::vector<std::array<Vec3, 3>> triangles_;
    std::vector<uint32_t> faces_;
    uint32_t faceCount_ = 0;
};

// The figures of placed, welded triangles: box, area, and the signed volume (positive when wound
// outwards).
TMeshMeasures measureTriangles(const std::vector<std::array<Vec3, 3>>& placed);
