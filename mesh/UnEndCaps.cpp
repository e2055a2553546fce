// End caps: triangulates the profile at an open path end with the GLU tessellator into the current
// renderer.
#include "mesh/UnEndCaps.h"

#include "mesh/UnFaceAppearance.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <GL/glu.h>

#include <array>
#include <cmath>
#include <deque>
#include <exception>
#include <vector>

namespace {

// The vertex data handed to the tessellator and back to the vertex callback.
struct CapVertex {
    Vec3 Position;
    Vec3 Normal;
    Vec3 Tex; // U, V, 0
};

GLUtesselator* capTessellator = nullptr;

// What went wrong inside a callback. Nothing may be thrown through the tessellator's C frames, so
// the first failure is kept here, later callbacks do nothing, and buildCap raises it once
// gluTessEndPolygon has returned.
struct TessFailure {
    GLenum GluCode = 0;
    std::exception_ptr Exception;
    bool any() const { return GluCode != 0 || Exception; }
};
TessFailure tessFailure;

// Vertices the tessellator creates where edges cross; they live until the polygon has ended.
std::deque<CapVertex>* combinedVertices = nullptr;

template <class F> void guarded(F&& action) {
    if (tessFailure.any()) return;
    try {
        action();
    } catch (...) {
        tessFailure.Exception = std::current_exception();
    }
}

void capBegin(GLenum type) {
    guarded([&] { currentRenderer()->beginPrimitive(static_cast<int32_t>(type)); });
}

void capTexturedVertex(void* data) {
    guarded([&] {
        const CapVertex* v = static_cast<const CapVertex*>(data);
        currentRenderer()->texturedVertex(v->Position, v->Tex, v->Normal);
    });
}

void capVertex(void* data) {
    guarded([&] {
        const CapVertex* v = static_cast<const CapVertex*>(data);
        currentRenderer()->vertex(v->Position, v->Normal);
    });
}

void capEnd() {
    guarded([] { currentRenderer()->endPrimitive(); });
}

void capCombine(GLdouble coords[3], void* vertexData[4], GLfloat weight[4], void** outData) {
    *outData = vertexData[0];
    guarded([&] {
        if (!combinedVertices) return;
        CapVertex v{};
        v.Position = Vec3{static_cast<float>(coords[0]), static_cast<float>(coords[1]),
                          static_cast<float>(coords[2])};
        double u = 0, t = 0;
        for (int i = 0; i < 4; ++i) {
            const CapVertex* src = static_cast<const CapVertex*>(vertexData[i]);
            if (!src) continue;
            if (i == 0) v.Normal = src->Normal;
            u += static_cast<double>(weight[i]) * src->Tex.X;
            t += static_cast<double>(weight[i]) * src->Tex.Y;
        }
        v.Tex = Vec3{static_cast<float>(u), static_cast<float>(t), 0};
        combinedVertices->push_back(v);
        *outData = &combinedVertices->back();
    });
}

void capError(GLenum code) {
    if (!tessFailure.any()) tessFailure.GluCode = code;
}

template <class Fn> _GLUfuncptr gluCallback(Fn* fn) {
    return reinterpret_cast<_GLUfuncptr>(fn);
}

bool sameXY(const Vec3& a, const Vec3& b) {
    return a.X == b.X && a.Y == b.Y;
}

// True when the outline points lie on one line (or on one point): such a cap has no area.
bool collinear(const TProfileObj& profile, const std::vector<int>& outline) {
    const Vec3& p0 = profile.Items(outline[0]).Point;
    size_t i = 1;
    while (i < outline.size() && sameXY(profile.Items(outline[i]).Point, p0))
        ++i;
    if (i == outline.size()) return true;
    const Vec3& pa = profile.Items(outline[i]).Point;
    const double ax = double(pa.X) - p0.X, ay = double(pa.Y) - p0.Y;
    const double aLen = std::hypot(ax, ay);
    for (size_t k = i + 1; k < outline.size(); ++k) {
        const Vec3& p = profile.Items(outline[k]).Point;
        const double bx = double(p.X) - p0.X, by = double(p.Y) - p0.Y;
        const double cross = ax * by - ay * bx;
        if (std::fabs(cross) > 1e-9 * aLen * std::hypot(bx, by)) return false;
    }
    return true;
}

} // namespace

void buildCap(TProfileObj& profile, const Vec3& segStart, const Vec3& segEnd, const ColorF& color,
              const std::string& texture, const Matrix4& frame, bool start,
              const std::vector<Vec3>* section) {
    // Only a closed outline gets a cap: the last element repeats the first.
    const int m = profile.Count();
    if (m < 3) return;
    if (!sameXY(profile.Items(0).Point, profile.Items(m - 1).Point)) return;

    // Each distinct outline point goes to the tessellator once: the repeated closing element and
    // repeated neighbours are left out (they would come back as degenerate triangles).
    std::vector<int> outline;
    outline.reserve(static_cast<size_t>(m));
    for (int k = 0; k < m - 1; ++k) {
        if (outline.empty() || !sameXY(profile.Items(outline.back()).Point, profile.Items(k).Point))
            outline.push_back(k);
    }
    while (outline.size() > 1 &&
           sameXY(profile.Items(outline.back()).Point, profile.Items(outline.front()).Point))
        outline.pop_back();
    if (outline.size() < 3 || collinear(profile, outline)) return;

    Vec3 normal{segEnd.X - segStart.X, segEnd.Y - segStart.Y, segEnd.Z - segStart.Z};
    if (normal.X == 0 && normal.Y == 0 && normal.Z == 0) {
        // A segment of no length: the frame's sweep direction stands in for it.
        normal = Vec3{static_cast<float>(frame.m[8]), static_cast<float>(frame.m[9]),
                      static_cast<float>(frame.m[10])};
    }
    if (start) normal = Vec3{-normal.X, -normal.Y, -normal.Z};
    Normalize(normal);

    TRenderer* renderer = currentRenderer();
    bool textured = false;
    applyAppearance(*renderer, texture, color, textured);
    if (textured) profile.PlanarTexCoords(start);

    if (!capTessellator) {
        capTessellator = gluNewTess();
        if (!capTessellator) {
            const GLubyte* text = gluErrorString(GLU_OUT_OF_MEMORY);
            raiseGLError(GLU_OUT_OF_MEMORY, text ? reinterpret_cast<const char*>(text) : "");
        }
    }
    gluTessCallback(capTessellator, GLU_TESS_BEGIN, gluCallback(capBegin));
    gluTessCallback(capTessellator, GLU_TESS_END, gluCallback(capEnd));
    gluTessCallback(capTessellator, GLU_TESS_ERROR, gluCallback(capError));
    gluTessCallback(capTessellator, GLU_TESS_COMBINE, gluCallback(capCombine));
    gluTessCallback(capTessellator, GLU_TESS_VERTEX,
                    textured ? gluCallback(capTexturedVertex) : gluCallback(capVertex));
    gluTessProperty(capTessellator, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);

    const size_t count = outline.size();
    std::vector<std::array<GLdouble, 3>> coords(count);
    std::vector<CapVertex> vertices(count);
    std::deque<CapVertex> combined;
    for (size_t i = 0; i < count; ++i) {
        const TProfileElementObj& e = profile.Items(outline[i]);
        const Vec3 p = section && section->size() > size_t(outline[i])
                           ? (*section)[size_t(outline[i])]
                           : TransformPoint(Vec3{e.Point.X, e.Point.Y, 0}, frame);
        coords[i] = {p.X, p.Y, p.Z};
        vertices[i].Position = p;
        vertices[i].Normal = normal;
        if (textured) vertices[i].Tex = Vec3{e.TexU, e.TexV, 0};
    }

    tessFailure = TessFailure{};
    combinedVertices = &combined;
    gluTessBeginPolygon(capTessellator, nullptr);
    gluTessBeginContour(capTessellator);
    for (size_t i = 0; i < count; ++i)
        gluTessVertex(capTessellator, coords[i].data(), &vertices[i]);
    gluTessEndContour(capTessellator);
    gluTessEndPolygon(capTessellator);
    combinedVertices = nullptr;

    if (tessFailure.any()) {
        const TessFailure failure = tessFailure;
        tessFailure = TessFailure{};
        // The tessellator may be left inside a polygon: start the next cap with a fresh one.
        releaseCapTessellator();
        if (failure.Exception) std::rethrow_exception(failure.Exception);
        const GLubyte* text = gluErrorString(failure.GluCode);
        raiseGLError(failure.GluCode, text ? reinterpret_cast<const char*>(text) : "");
    }
}

void releaseCapTessellator() {
    if (capTessellator) {
        gluDeleteTess(capTessellator);
        capTessellator = nullptr;
    }
}
