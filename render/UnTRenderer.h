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
    Matrix4 objectMatrix; // identity until the first setObjectMatrix
    Vec3 boundsMin{};
    Vec3 boundsMax{};

    virtual void initObject(const std::string& name);
    virtual void initList(int32_t listId);
    virtual void setTexture(TTextureObj texture);
    virtual void setColor(ColorF color);
    virtual void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords);
    virtual void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords);
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

void useDXFRenderer();
void useVRMLRenderer();
void use3DSRenderer();
void useGLTFRenderer();
void useOBJRenderer();
void useSTLRenderer();
void use3MFRenderer();
