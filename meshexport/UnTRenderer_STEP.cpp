// The STEP exporter: each object's welded faces joined into planar faces, checked to bound a solid
// (else written as a shell, with the reason), named and coloured, and written as AP214 in
// millimetres, Z up, through the staged save.
#include "meshexport/UnTRenderer_STEP.h"
#include "meshexport/UnExportUnit.h"
#include "meshexport/UnStepCheck.h"
#include "meshexport/UnStepFaces.h"
#include "meshexport/UnStepWriter.h"
#include "meshexport/UnTRenderer_Mesh.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::vector<TStepShellObject> shellObjects;
TStepProgress progressReport;
bool cancelled = false;

using P3 = std::array<double, 3>;

// m applied to p (w = 1 for a point, 0 for a direction).
P3 transform(const Matrix4& m, const P3& p, double w) {
    const double* e = m.m;
    return {p[0] * e[0] + p[1] * e[4] + p[2] * e[8] + w * e[12],
            p[0] * e[1] + p[1] * e[5] + p[2] * e[9] + w * e[13],
            p[0] * e[2] + p[1] * e[6] + p[2] * e[10] + w * e[14]};
}

// A value in single precision, the rounding kept: the optimiser may otherwise carry the double it
// was computed from on into a double.
double single(float value) {
    volatile float kept = value;
    return kept;
}

class TSTEPRenderer : public TRenderer {
  public:
    TSTEPRenderer() : color_(DefaultFaceColor) {}

    void initRendering(const std::string& fileName) override;
    void initObject(const std::string& name) override;
    void setColor(ColorF color) override {
        color_ = color;
        run_ = -1;
    }
    void quads(const TQuadVerts& vertices, bool, const TQuadVerts&) override {
        step("quads", [&] { addFace(vertices.data(), 4); });
    }
    void triangle(const TTriVerts& vertices, bool, const TTriVerts&) override {
        step("triangle", [&] { addFace(vertices.data(), 3); });
    }
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override {
        bufferTexturedVertex(vertex, texCoord, normal);
    }
    void endObject(int32_t, int32_t, bool) override {
        step("endObject", [&] { buildObject(); });
    }
    void endRendering() override;

  private:
    template <class Body> void step(const char* stepName, Body&& body) {
        try {
            body();
        } catch (const std::exception& e) {
            staged_.discard();
            rendererError(10, std::string("Error in STEP:") + stepName + " " + e.what());
        }
    }
    void addFace(const Vec3* p, int n);
    void buildObject();
    void write();

    TStagedFiles staged_;
    std::string target_, stagedName_;
    const TExportUnit unit_ = exportUnit();
    std::string name_;
    ColorF color_;
    int32_t run_ = -1; // the current colour's run; -1 after a colour change
    std::vector<ColorF> runColors_;
    std::vector<TMeshTriangle> triangles_;
    uint32_t faceCount_ = 0;
    std::vector<TStepObject> objects_;
};

void TSTEPRenderer::initRendering(const std::string& fileName) {
    shellObjects.clear();
    cancelled = false;
    // As with the other exporters, a file that cannot be created is reported by the file layer.
    target_ = fileName;
    stagedName_ = staged_.add(fileName);
}

void TSTEPRenderer::initObject(const std::string& name) {
    name_ = name;
    triangles_.clear();
    runColors_.clear();
    run_ = -1;
    faceCount_ = 0;
    lastVertex = -1;
    color_ = DefaultFaceColor;
}

void TSTEPRenderer::addFace(const Vec3* p, int n) {
    if (run_ < 0) {
        const auto same = std::find_if(runColors_.begin(), runColors_.end(), [&](const ColorF& c) {
            return std::memcmp(&c, &color_, sizeof c) == 0;
        });
        run_ = int32_t(same - runColors_.begin());
        if (same == runColors_.end()) runColors_.push_back(color_);
    }
    // A quad is the triangles (0 1 2) and (0 2 3); those without area are left out.
    const uint32_t face = faceCount_++;
    for (int first = 1; first + 1 < n; ++first) {
        const Vec3* c[3] = {&p[0], &p[first], &p[first + 1]};
        double normal[3];
        if (!faceNormal(*c[0], *c[1], *c[2], normal)) continue;
        const double length =
            std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        TMeshTriangle t{};
        for (int k = 0; k < 3; ++k) {
            t.Corners[k].Position[0] = c[k]->X;
            t.Corners[k].Position[1] = c[k]->Y;
            t.Corners[k].Position[2] = c[k]->Z;
            t.Normal[k] = float(normal[k] / length);
        }
        t.Run = uint32_t(run_);
        t.Face = face;
        triangles_.push_back(t);
    }
}

void TSTEPRenderer::buildObject() {
    if (triangles_.empty()) return;
    std::vector<std::array<uint32_t, 3>> ids;
    const uint32_t count = weldTriangles(triangles_, &ids);
    std::vector<P3> local(count);
    std::vector<uint32_t> runs(triangles_.size());
    double largest = 0;
    for (size_t t = 0; t < triangles_.size(); ++t) {
        runs[t] = triangles_[t].Run;
        for (size_t k = 0; k < 3; ++k) {
            const float* p = triangles_[t].Corners[k].Position;
            local[ids[t][k]] = {p[0], p[1], p[2]};
            for (size_t a = 0; a < 3; ++a)
                largest = std::max(largest, std::fabs(double(p[a])));
        }
    }
    // Placed in millimetres, Z up, each corner rounded to single precision exactly as STL places
    // it: the placement is a rigid motion and a scaling by the unit, so planes stay planes.
    Matrix4 placement = toExportFrame(objectMatrix, TUpAxis::Z);
    for (int i = 0; i < 16; ++i)
        if (i % 4 != 3) placement.m[i] *= unit_.Millimetres;
    TStepObject object;
    object.Name = name_;
    object.Points.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const float corner[3] = {float(local[i][0]), float(local[i][1]), float(local[i][2])};
        const Vec3 p = placePoint(placement, corner);
        object.Points[i] = {single(p.X), single(p.Y), single(p.Z)};
    }
    for (const ColorF& c : runColors_)
        object.Colours.push_back({c.R, c.G, c.B});
    // Corners rounded to single precision lie off their exact plane by a few units in the last
    // place of the largest coordinate: within that, faces are one plane. Where a joined face's
    // outline crosses or touches itself in its plane (a fold of a round corner lapping over
    // itself), its triangles stay faces of their own, and the faces are checked once more.
    std::vector<uint8_t> apart(triangles_.size(), 0);
    std::string fault;
    for (int attempt = 0; attempt < 2; ++attempt) {
        object.Faces = joinPlanarFaces(local, ids, runs, std::max(largest, 1.0) * 2e-6, &apart);
        double deviation = 0; // of a boundary corner from its face's plane
        for (TPlanarFace& face : object.Faces) {
            face.Origin = transform(placement, face.Origin, 1);
            const P3 d = transform(placement, face.Normal, 0);
            const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            face.Normal = {d[0] / length, d[1] / length, d[2] / length};
            const P3& o = face.Origin;
            for (const std::vector<uint32_t>& loop : face.Loops)
                for (const uint32_t c : loop) {
                    double off = 0;
                    for (size_t a = 0; a < 3; ++a)
                        off += (object.Points[c][a] - o[a]) * face.Normal[a];
                    deviation = std::max(deviation, std::fabs(off));
                }
        }
        object.Uncertainty = std::max(1e-7, 2 * deviation);
        std::vector<uint32_t> invalid;
        fault = solidFault(object.Points, object.Faces, invalid);
        bool retry = false;
        for (const uint32_t f : invalid)
            if (object.Faces[f].Triangles.size() > 1) {
                retry = true;
                for (const uint32_t t : object.Faces[f].Triangles)
                    apart[t] = 1;
            }
        if (!retry) break;
    }
    if (fault.empty() && outlineCrosses) fault = "its profile crosses itself";
    object.Solid = fault.empty();
    if (!object.Solid) shellObjects.push_back(TStepShellObject{name_, fault});
    objects_.push_back(std::move(object));
}

void TSTEPRenderer::write() {
    size_t total = 0, done = 0;
    for (const TStepObject& object : objects_)
        total += object.Faces.size();
    auto goOn = [&](size_t written) { return !progressReport || progressReport(written, total); };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(stagedName_.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) fileError("Cannot create file", target_, errno);
    std::string text;
    TStepWriter writer(text, target_, file.get());
    bool stopped = !goOn(0);
    for (size_t i = 0; i < objects_.size() && !stopped; ++i) {
        stopped = !writer.addObject(objects_[i], [&](size_t faces) { return goOn(done + faces); });
        done += objects_[i].Faces.size();
    }
    const bool whole = !stopped && writer.finish();
    const int closed = std::fclose(file.release()) == 0 ? 0 : errno;
    if (!stopped && !whole) fileError("Cannot write", target_, writer.error());
    if (closed != 0) fileError("Cannot write", target_, closed);
    if (stopped || !goOn(done)) {
        cancelled = true;
        staged_.discard();
        return;
    }
    staged_.commit();
}

void TSTEPRenderer::endRendering() {
    step("endRendering", [&] { write(); });
}

} // namespace

const std::vector<TStepShellObject>& stepShellObjects() {
    return shellObjects;
}

void setStepProgress(TStepProgress progress) {
    progressReport = std::move(progress);
}

bool stepExportCancelled() {
    return cancelled;
}

void useSTEPRenderer() {
    setCurrentRenderer(std::make_unique<TSTEPRenderer>());
}
