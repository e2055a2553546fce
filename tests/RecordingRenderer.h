// Test renderer that records every call the builders make, with helpers to count, slice and print
// them.
#pragma once

#include "render/UnTRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

struct RecordedCall {
    std::string name;
    std::string text;            // initObject: object name; initRendering: file name
    int32_t a = 0;               // initList / endObject: list id; beginPrimitive: mode
    int32_t b = 0;               // endObject: list count
    bool flag = false;           // quads / triangle: textured; endObject: selected
    TTextureObj texture;         // setTexture
    ColorF color;                // setColor
    std::vector<Vec3> verts;     // quads, triangle, vertex, texturedVertex, extendBounds
    std::vector<Vec3> texCoords; // quads, triangle, texturedVertex
    Vec3 normal;                 // vertex, texturedVertex
};

// Every virtual operation is recorded. beginPrimitive, vertex and endPrimitive also keep the base
// behaviour, so tessellated caps come out as recorded triangle calls; texturedVertex feeds the same
// buffer (and keeps the texture coordinate) the way the file exporters do, and setTexture sets
// textureName to the texture's name (empty for TexId -1) so those triangles carry a textured flag.
class RecordingRenderer : public TRenderer {
  public:
    std::vector<RecordedCall> calls;

    // Installs a fresh recorder as the current renderer and returns it.
    static RecordingRenderer& install() {
        auto recorder = std::make_unique<RecordingRenderer>();
        RecordingRenderer& ref = *recorder;
        setCurrentRenderer(std::move(recorder));
        return ref;
    }

    size_t count(std::string_view name) const {
        return size_t(std::count_if(calls.begin(), calls.end(),
                                    [&](const RecordedCall& c) { return c.name == name; }));
    }

    std::vector<const RecordedCall*> named(std::string_view name) const {
        std::vector<const RecordedCall*> out;
        for (const auto& c : calls)
            if (c.name == name) out.push_back(&c);
        return out;
    }

    // The calls between initList(listId) and its endList, both excluded; empty when absent.
    std::vector<RecordedCall> listCalls(int32_t listId) const {
        std::vector<RecordedCall> out;
        bool inside = false;
        for (const auto& c : calls) {
            if (c.name == "endList" && inside) return out;
            if (c.name == "initList")
                inside = c.a == listId;
            else if (inside && c.name != "endList")
                out.push_back(c);
        }
        return out;
    }

    // The names of the calls, one after the other.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            out.push_back(c.name);
        return out;
    }

    // True when every recorded coordinate, texture coordinate and normal is finite.
    bool allFinite() const {
        auto ok = [](const Vec3& v) {
            return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
        };
        return std::all_of(calls.begin(), calls.end(), [&](const RecordedCall& c) {
            return ok(c.normal) && std::all_of(c.verts.begin(), c.verts.end(), ok) &&
                   std::all_of(c.texCoords.begin(), c.texCoords.end(), ok);
        });
    }

    // One line per call, for failure messages: name, text, numbers, flag, texture, colour, then
    // the vertices, texture coordinates and normal.
    std::string log() const {
        std::ostringstream s;
        for (const auto& c : calls) {
            s << c.name << " '" << c.text << "' " << c.a << ' ' << c.b << ' ' << c.flag << ' '
              << c.texture.TexName << '#' << c.texture.TexId << " rgba " << c.color.R << ','
              << c.color.G << ',' << c.color.B << ',' << c.color.A;
            for (const Vec3& v : c.verts)
                s << " (" << v.X << ',' << v.Y << ',' << v.Z << ')';
            for (const Vec3& v : c.texCoords)
                s << " uv " << v.X << ',' << v.Y;
            s << " n " << c.normal.X << ',' << c.normal.Y << ',' << c.normal.Z << '\n';
        }
        return s.str();
    }

    void initObject(const std::string& name) override { add("initObject").text = name; }
    void initList(int32_t listId) override { add("initList").a = listId; }
    void setTexture(TTextureObj texture) override {
        textureName = texture.TexId != -1 ? texture.TexName : std::string();
        add("setTexture").texture = std::move(texture);
    }
    void setColor(ColorF color) override { add("setColor").color = color; }
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override {
        add("quads", {vertices.begin(), vertices.end()}, {texCoords.begin(), texCoords.end()})
            .flag = textured;
    }
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override {
        add("triangle", {vertices.begin(), vertices.end()}, {texCoords.begin(), texCoords.end()})
            .flag = textured;
    }
    void endList() override { add("endList"); }
    void endObject(int32_t listId, int32_t listCount, bool selected) override {
        RecordedCall& c = add("endObject");
        c.a = listId;
        c.b = listCount;
        c.flag = selected;
    }
    void beginPrimitive(int32_t mode) override {
        add("beginPrimitive").a = mode;
        TRenderer::beginPrimitive(mode);
    }
    void texturedVertex(Vec3 v, Vec3 texCoord, Vec3 normal) override {
        add("texturedVertex", {v}, {texCoord}).normal = normal;
        TRenderer::vertex(v, normal);
        if (lastVertex >= 0 && lastVertex <= 3) primTexCoords[lastVertex] = texCoord;
    }
    void vertex(Vec3 v, Vec3 normal) override {
        add("vertex", {v}).normal = normal;
        TRenderer::vertex(v, normal);
    }
    void endPrimitive() override {
        add("endPrimitive");
        TRenderer::endPrimitive();
    }
    void initRendering(const std::string& fileName) override {
        add("initRendering").text = fileName;
    }
    void endRendering() override { add("endRendering"); }
    void extendBounds(Vec3 point) override {
        add("extendBounds", {point});
        TRenderer::extendBounds(point);
    }
    void drawSelectionMark() override { add("drawSelectionMark"); }

  private:
    RecordedCall& add(const char* name, std::vector<Vec3> verts = {},
                      std::vector<Vec3> texCoords = {}) {
        RecordedCall& c = calls.emplace_back();
        c.name = name;
        c.verts = std::move(verts);
        c.texCoords = std::move(texCoords);
        return c;
    }
};
