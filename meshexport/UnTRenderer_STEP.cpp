// The STEP exporter: each object's welded faces joined into planar faces and built into an exact
// solid (or a shell where they do not close), named and coloured through OpenCASCADE's XDE, and
// written as AP214 in millimetres, Z up, through the staged save.
#include "meshexport/UnTRenderer_STEP.h"
#include "meshexport/UnStepFaces.h"
#include "meshexport/UnTRenderer_Mesh.h"

#include <APIHeaderSection_MakeHeader.hxx>
#include <BRepCheck.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepCheck_ListOfStatus.hxx>
#include <BRepCheck_Result.hxx>
#include <BRep_Builder.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_Line.hxx>
#include <Geom_Plane.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_StepModelType.hxx>
#include <STEPControl_Writer.hxx>
#include <StepData_StepModel.hxx>
#include <TCollection_HAsciiString.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_Color.hxx> // Quantity_Color
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <unordered_map>

namespace {

std::vector<TStepShellObject> shellObjects;

using P3 = std::array<double, 3>;

// World coordinates in the file's: Y up becomes Z up (world Z becomes -Y), as in STL and 3MF.
P3 zUp(const P3& p) {
    return {p[0], -p[2], p[1]};
}

// m applied to p (w = 1 for a point, 0 for a direction).
P3 transform(const Matrix4& m, const P3& p, double w) {
    const double* e = m.m;
    return {p[0] * e[0] + p[1] * e[4] + p[2] * e[8] + w * e[12],
            p[0] * e[1] + p[1] * e[5] + p[2] * e[9] + w * e[13],
            p[0] * e[2] + p[1] * e[6] + p[2] * e[10] + w * e[14]};
}

// A name stored as 8-bit text, Latin-1 in the document.
TCollection_ExtendedString latin1(const std::string& text) {
    TCollection_ExtendedString result;
    for (const char c : text)
        result.AssignCat(Standard_Utf16Char(static_cast<unsigned char>(c)));
    return result;
}

// What the checker found wrong with shape, in words.
std::string firstFault(const BRepCheck_Analyzer& check, const TopoDS_Shape& shape) {
    for (TopExp_Explorer faces(shape, TopAbs_FACE); faces.More(); faces.Next())
        if (!check.IsValid(faces.Current())) {
            for (TopExp_Explorer wires(faces.Current(), TopAbs_WIRE); wires.More(); wires.Next()) {
                const Handle(BRepCheck_Result)& result = check.Result(wires.Current());
                if (result.IsNull()) continue;
                for (const BRepCheck_Status status : result->StatusOnShape(faces.Current()))
                    if (status == BRepCheck_SelfIntersectingWire)
                        return "the outline of a face crosses itself";
            }
            return "a face is not valid";
        }
    const Handle(BRepCheck_Result)& result = check.Result(shape);
    if (!result.IsNull() && !result->Status().IsEmpty()) {
        std::ostringstream text;
        BRepCheck::Print(result->Status().First(), text);
        std::string s = text.str();
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return "the checker reports " + s;
    }
    return "its faces do not make a valid solid";
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
            fail(stepName, e.what());
        } catch (const Standard_Failure& e) {
            fail(stepName, e.GetMessageString());
        } catch (...) {
            fail(stepName, "unknown error");
        }
    }
    [[noreturn]] void fail(const char* stepName, const char* cause) {
        staged_.discard();
        rendererError(10, std::string("Error in STEP:") + stepName + " " + cause);
    }
    void addFace(const Vec3* p, int n);
    void buildObject();
    // The object's faces as topology: each corner and each side made once and shared.
    // invalid receives the numbers of the faces the checker rejects.
    TopoDS_Shape buildShape(const std::vector<TPlanarFace>& faces, const std::vector<P3>& points,
                            double tolerance, std::string& shellReason,
                            std::vector<uint32_t>& invalid);

    TStagedFiles staged_;
    std::string target_, stagedName_;
    const TExportUnit unit_ = exportUnit();
    Handle(TDocStd_Document) document_;
    Handle(XCAFDoc_ShapeTool) shapes_;
    Handle(XCAFDoc_ColorTool) colors_;
    std::string name_;
    ColorF color_;
    int32_t run_ = -1; // the current colour's run; -1 after a colour change
    std::vector<ColorF> runColors_;
    std::vector<TMeshTriangle> triangles_;
    uint32_t faceCount_ = 0;
    size_t objects_ = 0;
};

void TSTEPRenderer::initRendering(const std::string& fileName) {
    shellObjects.clear();
    // As with the other exporters, a file that cannot be created is reported by the file layer.
    target_ = fileName;
    stagedName_ = staged_.add(fileName);
    step("initRendering", [&] {
        // The library's progress lines would go to standard output, which may be the file.
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
        XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document_);
        shapes_ = XCAFDoc_DocumentTool::ShapeTool(document_->Main());
        colors_ = XCAFDoc_DocumentTool::ColorTool(document_->Main());
    });
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
    // Placed in millimetres, Z up, each corner rounded to single precision as STL places it: the
    // placement is a rigid motion and a scaling by the unit, so planes stay planes.
    Matrix4 placement = objectMatrix;
    for (int i = 0; i < 16; ++i)
        if (i % 4 != 3) placement.m[i] *= unit_.Millimetres;
    std::vector<P3> placed(count);
    for (size_t i = 0; i < count; ++i) {
        const P3 p = transform(placement, local[i], 1);
        placed[i] = zUp({float(p[0]), float(p[1]), float(p[2])});
    }
    // Corners rounded to single precision lie off their exact plane by a few units in the last
    // place of the largest coordinate: within that, faces are one plane. Where a joined face
    // fails the check (a fold of a round corner laps over itself in its plane), its triangles
    // stay faces of their own, and the solid is built once more.
    std::vector<uint8_t> apart(triangles_.size(), 0);
    std::vector<TPlanarFace> faces;
    TopoDS_Shape shape;
    std::string shellReason;
    for (int attempt = 0; attempt < 2; ++attempt) {
        faces = joinPlanarFaces(local, ids, runs, std::max(largest, 1.0) * 2e-6, &apart);
        double deviation = 0; // of a boundary corner from its face's plane
        for (TPlanarFace& face : faces) {
            face.Origin = zUp(transform(placement, face.Origin, 1));
            const P3 d = zUp(transform(placement, face.Normal, 0));
            const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            face.Normal = {d[0] / length, d[1] / length, d[2] / length};
            for (const std::vector<uint32_t>& loop : face.Loops)
                for (const uint32_t c : loop) {
                    double off = 0;
                    for (size_t a = 0; a < 3; ++a)
                        off += (placed[c][a] - face.Origin[a]) * face.Normal[a];
                    deviation = std::max(deviation, std::fabs(off));
                }
        }
        const double tolerance = std::max(Precision::Confusion(), 2 * deviation);
        std::vector<uint32_t> invalid;
        shellReason.clear();
        shape = buildShape(faces, placed, tolerance, shellReason, invalid);
        bool retry = false;
        for (const uint32_t f : invalid)
            if (faces[f].Triangles.size() > 1) {
                retry = true;
                for (const uint32_t t : faces[f].Triangles)
                    apart[t] = 1;
            }
        if (!retry) break;
    }
    if (!shellReason.empty()) shellObjects.push_back(TStepShellObject{name_, shellReason});
    const std::vector<TPlanarFace>& placedFaces = faces;

    const TDF_Label label = shapes_->AddShape(shape, Standard_False, Standard_False);
    TDataStd_Name::Set(label, latin1(name_));
    // The solid takes the colour of most of its faces, the others their own.
    std::vector<size_t> faceCounts(runColors_.size());
    for (const TPlanarFace& face : placedFaces)
        ++faceCounts[face.Run];
    const uint32_t common =
        uint32_t(std::max_element(faceCounts.begin(), faceCounts.end()) - faceCounts.begin());
    auto color = [&](uint32_t run) {
        const ColorF& c = runColors_[run];
        return Quantity_Color(c.R, c.G, c.B, Quantity_TOC_sRGB);
    };
    colors_->SetColor(label, color(common), XCAFDoc_ColorSurf);
    size_t i = 0;
    for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next(), ++i)
        if (placedFaces[i].Run != common)
            colors_->SetColor(shapes_->AddSubShape(label, it.Current()), color(placedFaces[i].Run),
                              XCAFDoc_ColorSurf);
    ++objects_;
}

TopoDS_Shape TSTEPRenderer::buildShape(const std::vector<TPlanarFace>& faces,
                                       const std::vector<P3>& points, double tolerance,
                                       std::string& shellReason, std::vector<uint32_t>& invalid) {
    BRep_Builder builder;
    std::vector<TopoDS_Vertex> vertices(points.size());
    auto vertex = [&](uint32_t id) -> const TopoDS_Vertex& {
        if (vertices[id].IsNull())
            builder.MakeVertex(vertices[id], gp_Pnt(points[id][0], points[id][1], points[id][2]),
                               tolerance);
        return vertices[id];
    };
    struct Side {
        TopoDS_Edge edge;
        uint32_t from; // the corner the edge starts at
        uint32_t uses;
    };
    std::unordered_map<uint64_t, Side> sides;
    sides.reserve(points.size() * 3);
    TopoDS_Shell shell;
    builder.MakeShell(shell);
    for (const TPlanarFace& face : faces) {
        const gp_Pln plane(gp_Pnt(face.Origin[0], face.Origin[1], face.Origin[2]),
                           gp_Dir(face.Normal[0], face.Normal[1], face.Normal[2]));
        TopoDS_Face f;
        builder.MakeFace(f, new Geom_Plane(plane), tolerance);
        for (const std::vector<uint32_t>& loop : face.Loops) {
            TopoDS_Wire wire;
            builder.MakeWire(wire);
            for (size_t k = 0; k < loop.size(); ++k) {
                const uint32_t a = loop[k], b = loop[(k + 1) % loop.size()];
                const uint64_t key = uint64_t(std::min(a, b)) << 32 | std::max(a, b);
                auto found = sides.find(key);
                if (found == sides.end()) {
                    // A line from a to b, parametrised by length.
                    const gp_Pnt pa(points[a][0], points[a][1], points[a][2]);
                    const gp_Pnt pb(points[b][0], points[b][1], points[b][2]);
                    const double length = pa.Distance(pb);
                    if (!(length > 0)) throw std::runtime_error("an edge of no length");
                    TopoDS_Edge edge;
                    builder.MakeEdge(edge, new Geom_Line(pa, gp_Dir(gp_Vec(pa, pb))), tolerance);
                    TopoDS_Vertex start = vertex(a), end = vertex(b);
                    builder.Add(edge, start.Oriented(TopAbs_FORWARD));
                    builder.Add(edge, end.Oriented(TopAbs_REVERSED));
                    builder.Range(edge, 0, length);
                    builder.UpdateVertex(start, 0, edge, tolerance);
                    builder.UpdateVertex(end, length, edge, tolerance);
                    found = sides.emplace(key, Side{edge, a, 0}).first;
                }
                ++found->second.uses;
                const TopoDS_Edge& edge = found->second.edge;
                // Its line in the face's plane, given here so that no one works it out again.
                const uint32_t from = found->second.from;
                const gp_Pnt start(points[from][0], points[from][1], points[from][2]);
                const uint32_t to = from == a ? b : a;
                const gp_Vec along(start, gp_Pnt(points[to][0], points[to][1], points[to][2]));
                const gp_Ax3& axes = plane.Position();
                const gp_Vec offset(axes.Location(), start);
                builder.UpdateEdge(
                    edge,
                    new Geom2d_Line(
                        gp_Pnt2d(offset.Dot(axes.XDirection()), offset.Dot(axes.YDirection())),
                        gp_Dir2d(along.Dot(axes.XDirection()), along.Dot(axes.YDirection()))),
                    f, tolerance);
                builder.Add(wire, found->second.from == a ? edge : TopoDS::Edge(edge.Reversed()));
            }
            wire.Closed(Standard_True);
            builder.Add(f, wire);
        }
        builder.Add(shell, f);
    }
    const bool closed =
        std::all_of(sides.begin(), sides.end(), [](const auto& s) { return s.second.uses == 2; });
    shell.Closed(closed);
    if (!closed) {
        shellReason = "its faces leave gaps";
        return shell;
    }
    TopoDS_Solid solid;
    builder.MakeSolid(solid);
    builder.Add(solid, shell);
    const BRepCheck_Analyzer check(solid, Standard_True, Standard_True);
    if (!check.IsValid()) {
        shellReason = firstFault(check, solid);
        uint32_t i = 0;
        for (TopExp_Explorer it(shell, TopAbs_FACE); it.More(); it.Next(), ++i)
            if (!check.IsValid(it.Current())) invalid.push_back(i);
        return shell;
    }
    return solid;
}

void TSTEPRenderer::endRendering() {
    step("endRendering", [&] {
        // The writer defines the settings it reads when the first one is made.
        STEPCAFControl_Writer writer;
        Interface_Static::SetCVal("write.step.schema", "AP214IS");
        Interface_Static::SetCVal("write.step.unit", "MM");
        // Edges of planar faces need no curves in the planes besides their lines.
        Interface_Static::SetIVal("write.surfacecurve.mode", 0);
        writer.SetColorMode(Standard_True);
        writer.SetNameMode(Standard_True);
        if (!writer.Transfer(document_, STEPControl_AsIs))
            throw std::runtime_error("the solids could not be translated");
        // A header naming the file and the program, with a fixed time stamp, so that a document
        // always gives the same bytes.
        APIHeaderSection_MakeHeader header(writer.ChangeWriter().Model());
        const size_t slash = target_.find_last_of('/');
        header.SetName(new TCollection_HAsciiString(
            (slash == std::string::npos ? target_ : target_.substr(slash + 1)).c_str()));
        header.SetTimeStamp(new TCollection_HAsciiString("2000-01-01T00:00:00"));
        header.SetAuthorValue(1, new TCollection_HAsciiString(""));
        header.SetOrganizationValue(1, new TCollection_HAsciiString(""));
        header.SetOriginatingSystem(new TCollection_HAsciiString("Palvorin"));
        header.SetAuthorisation(new TCollection_HAsciiString(""));
        header.SetDescriptionValue(1, new TCollection_HAsciiString("Palvorin solids"));
        if (writer.Write(stagedName_.c_str()) != IFSelect_RetDone)
            throw std::runtime_error("the file could not be written");
        staged_.commit();
    });
}

} // namespace

const std::vector<TStepShellObject>& stepShellObjects() {
    return shellObjects;
}

void useSTEPRenderer() {
    setCurrentRenderer(std::make_unique<TSTEPRenderer>());
}
