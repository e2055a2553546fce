// Test renderer that records every call the builders make, with helpers to count, slice and print
// them.
#pragma once

#include "render/UnTRenderer.h"

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
        size_t n = 0;
        for (const auto& c : calls)
            n += c.name == name;
        return n;
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
            if (c.name == "initList") {
                inside = c.a == listId;
                continue;
            }
            if (c.name == "endList") {
                if (inside) return out;
                continue;
            }
            if (inside) out.push_back(c);
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

    // Triangles of the tessellator primitives (beginPrimitive .. endPrimitive) in calls[from, to),
    // decoded from the recorded vertices by mode (list, strip, fan), in delivery order.
    std::vector<TTriVerts> primitiveTriangles(size_t from = 0, size_t to = SIZE_MAX) const {
        std::vector<TTriVerts> out;
        if (to > calls.size()) to = calls.size();
        int32_t mode = 0;
        std::vector<Vec3> prim;
        auto flush = [&] {
            for (size_t i = 2; i < prim.size(); ++i) {
                if (mode == PrimTriangles && i % 3 == 2)
                    out.push_back({prim[i - 2], prim[i - 1], prim[i]});
                else if (mode == PrimTriangleStrip)
                    out.push_back({prim[i - 2], prim[i - 1], prim[i]});
                else if (mode == PrimTriangleFan)
                    out.push_back({prim[0], prim[i - 1], prim[i]});
            }
            prim.clear();
        };
        for (size_t i = from; i < to; ++i) {
            const auto& c = calls[i];
            if (c.name == "beginPrimitive") {
                prim.clear();
                mode = c.a;
            } else if (c.name == "vertex" || c.name == "texturedVertex") {
                prim.push_back(c.verts[0]);
            } else if (c.name == "endPrimitive") {
                flush();
            }
        }
        return out;
    }

    // True when every recorded coordinate, texture coordinate and normal is finite.
    bool allFinite() const {
        auto ok = [](const Vec3& v) {
            return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
        };
        for (const auto& c : calls) {
            for (const auto& v : c.verts)
                if (!ok(v)) return false;
            for (const auto& v : c.texCoords)
                if (!ok(v)) return false;
            if (!ok(c.normal)) return false;
        }
        return true;
    }

    // One line per call, for failure messages.
    std::string log() const {
        std::ostringstream s;
        auto vec = [&s](const Vec3& v) { s << " (" << v.X << ',' << v.Y << ',' << v.Z << ')'; };
        for (const auto& c : calls) {
            s << c.name;
            if (c.name == "initObject" || c.name == "initRendering") s << ' ' << c.text;
            if (c.name == "initList" || c.name == "beginPrimitive") s << ' ' << c.a;
            if (c.name == "endObject") s << ' ' << c.a << ' ' << c.b << ' ' << c.flag;
            if (c.name == "setTexture") s << ' ' << c.texture.TexName << '#' << c.texture.TexId;
            if (c.name == "setColor")
                s << ' ' << c.color.R << ',' << c.color.G << ',' << c.color.B << ',' << c.color.A;
            if (c.name == "quads" || c.name == "triangle") s << (c.flag ? " tex" : " flat");
            for (const auto& v : c.verts)
                vec(v);
            if (!c.texCoords.empty()) {
                s << " uv";
                for (const auto& v : c.texCoords)
                    s << ' ' << v.X << ',' << v.Y;
            }
            if (c.name == "vertex" || c.name == "texturedVertex") {
                s << " n";
                vec(c.normal);
            }
            s << '\n';
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
        RecordedCall& c = add("quads");
        c.verts.assign(vertices.begin(), vertices.end());
        c.texCoords.assign(texCoords.begin(), texCoords.end());
        c.flag = textured;
    }
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override {
        RecordedCall& c = add("triangle");
        c.verts.assign(vertices.begin(), vertices.end());
        c.texCoords.assign(texCoords.begin(), texCoords.end());
        c.flag = textured;
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
        RecordedCall& c = add("texturedVertex");
        c.verts = {v};
        c.texCoords = {texCoord};
        c.normal = normal;
        TRenderer::vertex(v, normal);
        if (lastVertex >= 0 && lastVertex <= 3) primTexCoords[lastVertex] = texCoord;
    }
    void vertex(Vec3 v, Vec3 normal) override {
        RecordedCall& c = add("vertex");
        c.verts = {v};
        c.normal = normal;
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
        add("extendBounds").verts = {point};
        TRenderer::extendBounds(point);
    }
    void drawSelectionMark() override { add("drawSelectionMark"); }

  private:
    RecordedCall& add(const char* name) {
        calls.emplace_back();
        calls.back().name = name;
        return calls.back();
    }
};
