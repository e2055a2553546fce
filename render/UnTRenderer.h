// The face sink that the mesh builders feed: the abstract renderer, its primitive buffering and the
// current renderer.
#pragma once

#include "model/unVectorCalc.h"
#include "scene/UnBmpTex.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class EDXFError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "<code>: Renderer: <text>"
[[noreturn]] void rendererError(int32_t code, const std::string& text);

// OpenGL primitive modes handed to beginPrimitive by the cap tessellator.
constexpr int32_t PrimTriangles = 4;
constexpr int32_t PrimTriangleStrip = 5;
constexpr int32_t PrimTriangleFan = 6;

// The appearance of faces that no group gives one (profile edges before the first group start):
// no texture, light grey. The builders state it before such faces in every face list.
inline constexpr ColorF DefaultFaceColor{0.6f, 0.6f, 0.6f, 1.0f};

using TQuadVerts = std::array<Vec3, 4>;
using TTriVerts = std::array<Vec3, 3>;

// Points a builder places once and joins into quads by their numbers. A point that may also be a
// corner of faces drawn apart from the grid (where it meets caps, bands or the next segment) is
// marked shared; the others are corners of the grid's own quads only, and two numbers are one
// point exactly when the builder gives the same number.
struct TPointGrid {
    std::vector<Vec3> Points;
    std::vector<uint8_t> Shared; // per point; 1: also met outside the grid
    uint64_t Serial = 0;         // different for every grid filled (nextGridSerial)

    // Empties the grid for count new points under a new serial.
    void reset(size_t count);
};
uint64_t nextGridSerial();
// A quad as four numbers of grid points, in the corner order of TQuadVerts.
using TQuadIndices = std::array<int32_t, 4>;

class TRenderer {
  public:
    TRenderer();
    virtual ~TRenderer() = default;

    int32_t lastVertex = -1;
    Vec3 primVertices[4]{};
    Vec3 primNormals[4]{};
    Vec3 primTexCoords[4]{};
    int32_t primMode = 0;
    std::string textureName;
    Matrix4 objectMatrix;        // identity until the first setObjectMatrix
    bool outlineCrosses = false; // the current object's profile crosses itself (the traversal's)
    Vec3 boundsMin{};
    Vec3 boundsMax{};

    virtual void initObject(const std::string& name);
    virtual void initList(int32_t listId);
    virtual void setTexture(TTextureObj texture);
    virtual void setColor(ColorF color);
    virtual void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords);
    virtual void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords);
    // count quads of grid, quad i with the texture coordinates texCoords[i]. Unless a renderer
    // uses the numbers, each is the quads call of its points.
    virtual void gridQuads(const TPointGrid& grid, const TQuadIndices* corners,
                           const TQuadVerts* texCoords, int32_t count, bool textured);
    virtual void endList();
    virtual void endObject(int32_t listId, int32_t listCount, bool selected);
    virtual void beginPrimitive(int32_t mode);
    virtual void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal);
    virtual void vertex(Vec3 vertex, Vec3 normal);
    virtual void endPrimitive();
    virtual void initRendering(const std::string& fileName);
    virtual void endRendering();
    virtual void extendBounds(Vec3 point);
    virtual void drawSelectionMark();

    // Turns the buffered tessellator vertices into triangle calls, winding chosen by the normal
    // test.
    void flushPrimitive();
    void setObjectMatrix(const Matrix4& matrix);
    // The file exporters' texturedVertex: buffer the vertex, then keep its texture coordinate.
    void bufferTexturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal);
};

// The one renderer the builders, the cap tessellator and the scene talk to.
TRenderer* currentRenderer();
// Frees the current renderer and installs renderer (may be null).
void setCurrentRenderer(std::unique_ptr<TRenderer> renderer);
// Installs renderer and hands back the one it replaces, whole, for a pass that puts it back after.
std::unique_ptr<TRenderer> exchangeCurrentRenderer(std::unique_ptr<TRenderer> renderer);

void useDXFRenderer();
void useVRMLRenderer();
void use3DSRenderer();
void useGLTFRenderer();
void useOBJRenderer();
void useSTLRenderer();
void use3MFRenderer();
// STEP AP214: an exact solid of planar faces per object (meshexport/UnTRenderer_STEP.cpp).
void useSTEPRenderer();
