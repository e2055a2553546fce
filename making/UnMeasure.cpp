// Measurements of a document's solids from their welded meshes, and of the objects' outlines.
#include "making/UnMeasure.h"

#include "meshexport/UnTRenderer_Mesh.h"
#include "model/UnTExtrObj.h"
#include "traversal/UnRedraw.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

const std::array<TMaterial, 10> Materials = {{
    {"Pine", 500},
    {"Oak", 750},
    {"Walnut", 650},
    {"Maple", 700},
    {"MDF", 750},
    {"PLA", 1240},
    {"PETG", 1270},
    {"ABS", 1040},
    {"Aluminium", 2700},
    {"Brass", 8500},
}};

double massKg(double volumeMm3, double densityKgPerM3) {
    return volumeMm3 * 1e-9 * densityKgPerM3;
}

void TMeshMeasures::Add(const TMeshMeasures& other) {
    if (!other.Built) return;
    for (size_t a = 0; a < 3; ++a) {
        Min[a] = Built ? std::min(Min[a], other.Min[a]) : other.Min[a];
        Max[a] = Built ? std::max(Max[a], other.Max[a]) : other.Max[a];
    }
    Solid = (Built ? Solid : true) && other.Solid;
    Built = true;
    Volume += other.Volume;
    Area += other.Area;
}

TMeshMeasures measureTriangles(const std::vector<std::array<Vec3, 3>>& placed) {
    TMeshMeasures m;
    m.Min.fill(std::numeric_limits<double>::infinity());
    m.Max.fill(-std::numeric_limits<double>::infinity());
    for (const auto& t : placed) {
        double p[3][3];
        for (int k = 0; k < 3; ++k) {
            p[k][0] = t[size_t(k)].X;
            p[k][1] = t[size_t(k)].Y;
            p[k][2] = t[size_t(k)].Z;
            for (size_t a = 0; a < 3; ++a) {
                m.Min[a] = std::min(m.Min[a], p[k][a]);
                m.Max[a] = std::max(m.Max[a], p[k][a]);
            }
        }
        // a . (b x c) / 6 is the tetrahedron with the origin; their sum the enclosed volume.
        const double c[3] = {p[1][1] * p[2][2] - p[1][2] * p[2][1],
                             p[1][2] * p[2][0] - p[1][0] * p[2][2],
                             p[1][0] * p[2][1] - p[1][1] * p[2][0]};
        m.Volume += (p[0][0] * c[0] + p[0][1] * c[1] + p[0][2] * c[2]) / 6;
        double u[3], v[3];
        for (int a = 0; a < 3; ++a) {
            u[a] = p[1][a] - p[0][a];
            v[a] = p[2][a] - p[0][a];
        }
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        m.Area += std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) / 2;
    }
    m.Built = !placed.empty();
    if (!m.Built) m.Min = m.Max = {0, 0, 0};
    return m;
}

// ---------------------------------------------------------------------------------------------
// The collector

void TMeasureRenderer::initObject(const std::string&) {
    triangles_.clear();
    faces_.clear();
    faceCount_ = 0;
}

void TMeasureRenderer::addFace(const Vec3* corners, int count) {
    for (int k = 1; k + 1 < count; ++k) {
        triangles_.push_back({corners[0], corners[k], corners[k + 1]});
        faces_.push_back(faceCount_);
    }
    ++faceCount_;
}

void TMeasureRenderer::quads(const TQuadVerts& vertices, bool, const TQuadVerts&) {
    addFace(vertices.data(), 4);
}

void TMeasureRenderer::triangle(const TTriVerts& vertices, bool, const TTriVerts&) {
    addFace(vertices.data(), 3);
}

void TMeasureRenderer::texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    bufferTexturedVertex(vertex, texCoord, normal);
}

void TMeasureRenderer::endObject(int32_t, int32_t, bool) {
    // The weld of the mesh exports, fed as they feed it: the triangles of each face in order,
    // those without area left out, each with its face's normal.
    std::vector<TMeshTriangle> mesh;
    mesh.reserve(triangles_.size());
    for (size_t i = 0; i < triangles_.size(); ++i) {
        const auto& t = triangles_[i];
        double n[3];
        if (!faceNormal(t[0], t[1], t[2], n)) continue;
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        TMeshTriangle m{};
        for (int k = 0; k < 3; ++k) {
            m.Corners[k].Position[0] = t[size_t(k)].X;
            m.Corners[k].Position[1] = t[size_t(k)].Y;
            m.Corners[k].Position[2] = t[size_t(k)].Z;
        }
        for (int a = 0; a < 3; ++a)
            m.Normal[a] = float(n[a] / length);
        m.Face = faces_[i];
        mesh.push_back(m);
    }
    weldTriangles(mesh);
    // Placed as the STL export places its corners.
    std::vector<std::array<Vec3, 3>> placed;
    placed.reserve(mesh.size());
    for (const TMeshTriangle& m : mesh)
        placed.push_back({placePoint(objectMatrix, m.Corners[0].Position),
                          placePoint(objectMatrix, m.Corners[1].Position),
                          placePoint(objectMatrix, m.Corners[2].Position)});
    Objects.push_back(measureTriangles(placed));
    triangles_.clear();
    faces_.clear();
}

// ---------------------------------------------------------------------------------------------
// Objects and documents

namespace {

struct Planar {
    double X, Y;
};

std::vector<Planar> scaledOutline(const OutlineVertex* outline, int32_t count, int32_t scale) {
    std::vector<Planar> points;
    const double s = scale / 100.0;
    for (int32_t i = 0; i < std::clamp(count, 0, MaxOutlineVertices); ++i)
        points.push_back({outline[i].X * s, outline[i].Y * s});
    return points;
}

double polylineLength(const std::vector<Planar>& points) {
    double length = 0;
    for (size_t i = 1; i < points.size(); ++i)
        length += std::hypot(points[i].X - points[i - 1].X, points[i].Y - points[i - 1].Y);
    return length;
}

} // namespace

TOutlineMeasures measureOutlines(const TExtrObj& object) {
    TOutlineMeasures m;
    const auto profile =
        scaledOutline(object.Profile.data(), object.ProfileCount, object.ProfileScale());
    const auto path = scaledOutline(object.Path.data(), object.PathCount, object.PathScale());
    m.ProfilePerimeter = polylineLength(profile);
    m.PathLength = polylineLength(path);
    if (!profile.empty()) {
        double lo[2] = {profile[0].X, profile[0].Y}, hi[2] = {lo[0], lo[1]};
        for (const Planar& p : profile) {
            lo[0] = std::min(lo[0], p.X), hi[0] = std::max(hi[0], p.X);
            lo[1] = std::min(lo[1], p.Y), hi[1] = std::max(hi[1], p.Y);
        }
        m.Width = hi[0] - lo[0];
        m.Height = hi[1] - lo[1];
    }
    const bool closed = profile.size() >= 4 && profile.front().X == profile.back().X &&
                        profile.front().Y == profile.back().Y;
    if (closed) {
        double twice = 0;
        for (size_t i = 1; i < profile.size(); ++i)
            twice += profile[i - 1].X * profile[i].Y - profile[i].X * profile[i - 1].Y;
        m.ProfileArea = std::abs(twice) / 2;
    }
    return m;
}

std::string objectProblem(const TExtrObj& object) {
    if (object.ProfileCount <= 0) return "no profile";
    if (object.PathCount <= 0) return "no path";
    if (object.ProfileCount < 2) return "the profile has a single point";
    if (!objectDrawable(object)) return "the path has too few points";
    return std::string();
}

TDocumentMeasures measureDocument(TExtrObjList& doc) {
    TDocumentMeasures result;
    if (doc.Count() == 0) return result;
    auto collector = std::make_unique<TMeasureRenderer>();
    TMeasureRenderer* measured = collector.get();
    // The view's renderer waits aside, untouched, while the collector takes the traversal.
    std::unique_ptr<TRenderer> previous = exchangeCurrentRenderer(std::move(collector));
    std::vector<TMeshMeasures> meshes;
    try {
        redrawDocument(doc, -1, std::string());
        meshes = std::move(measured->Objects);
    } catch (...) {
        exchangeCurrentRenderer(std::move(previous));
        throw;
    }
    exchangeCurrentRenderer(std::move(previous));

    size_t next = 0;
    for (int i = 0; i < doc.Count(); ++i) {
        const TExtrObj& object = doc.Items(i);
        TObjectMeasures m;
        m.Name = object.Name;
        m.Problem = objectProblem(object);
        m.Outlines = measureOutlines(object);
        if (objectDrawable(object) && next < meshes.size()) {
            m.Mesh = meshes[next++];
            m.Mesh.Solid = m.Mesh.Built && objectIsSolid(object);
            result.Whole.Add(m.Mesh);
        }
        result.Objects.push_back(std::move(m));
    }
    return result;
}
