// Screen renderers: solid faces compiled into display lists, and the wireframe variant.
#pragma once

#include "render/UnTRenderer.h"

class TOGLRenderer : public TRenderer {
  public:
    void initObject(const std::string& name) override;
    void initList(int32_t listId) override;
    void setTexture(TTextureObj texture) override;
    void setColor(ColorF color) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    void endList() override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;
    void beginPrimitive(int32_t mode) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void vertex(Vec3 vertex, Vec3 normal) override;
    void endPrimitive() override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;
    void drawSelectionMark() override;
};

class TWFRenderer : public TOGLRenderer {
  public:
    void setTexture(TTextureObj texture) override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;
};

void useOGLRenderer();
void useWireframeRenderer();
bool currentRendererIsOGL();
