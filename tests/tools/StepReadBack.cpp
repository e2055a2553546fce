// Reads a STEP file with OpenCASCADE's XDE reader: names, colours, validity, volume and extent.
#include "StepReadBack.h"

#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Vertex.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>

std::vector<StepShape> readStepShapes(const std::string& path) {
    std::vector<StepShape> out;
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    STEPCAFControl_Reader reader;
    reader.SetColorMode(true);
    reader.SetNameMode(true);
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone || !reader.Transfer(doc)) return out;
    const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    const Handle(XCAFDoc_ColorTool) colours = XCAFDoc_DocumentTool::ColorTool(doc->Main());
    TDF_LabelSequence labels;
    shapes->GetFreeShapes(labels);
    for (const TDF_Label& label : labels) {
        StepShape s;
        const TopoDS_Shape shape = shapes->GetShape(label);
        Handle(TDataStd_Name) name;
        if (label.FindAttribute(TDataStd_Name::GetID(), name))
            s.Name = TCollection_AsciiString(name->Get()).ToCString();
        s.Solid = shape.ShapeType() == TopAbs_SOLID;
        s.Valid = BRepCheck_Analyzer(shape).IsValid();
        if (s.Solid) {
            GProp_GProps props;
            BRepGProp::VolumeProperties(shape, props);
            s.Volume = props.Mass();
        }
        s.Box = {1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
        for (TopExp_Explorer v(shape, TopAbs_VERTEX); v.More(); v.Next()) {
            const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(v.Current()));
            for (int a = 0; a < 3; ++a) {
                s.Box[size_t(a)] = std::min(s.Box[size_t(a)], p.Coord(a + 1));
                s.Box[size_t(a) + 3] = std::max(s.Box[size_t(a) + 3], p.Coord(a + 1));
            }
        }
        Quantity_Color own;
        const bool shapeColoured = colours->GetColor(label, XCAFDoc_ColorSurf, own);
        for (TopExp_Explorer f(shape, TopAbs_FACE); f.More(); f.Next()) {
            ++s.Faces;
            Quantity_Color c = own;
            TDF_Label faceLabel;
            const bool coloured = (shapes->FindSubShape(label, f.Current(), faceLabel) &&
                                   colours->GetColor(faceLabel, XCAFDoc_ColorSurf, c)) ||
                                  shapeColoured;
            if (!coloured) continue;
            ++s.ColouredFaces;
            Standard_Real r, g, b;
            c.Values(r, g, b, Quantity_TOC_sRGB);
            const std::array<float, 3> rgb{float(r), float(g), float(b)};
            if (std::none_of(s.Colours.begin(), s.Colours.end(), [&](const auto& k) {
                    return std::abs(k[0] - rgb[0]) + std::abs(k[1] - rgb[1]) +
                               std::abs(k[2] - rgb[2]) <
                           1e-3f;
                }))
                s.Colours.push_back(rgb);
        }
        out.push_back(std::move(s));
    }
    return out;
}
