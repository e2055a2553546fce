// Writes the entities of a STEP file of planar polyhedra, each shared where it can be: a corner's
// point is also the origin of the lines leaving it and of its faces' planes, and equal directions,
// vectors and colour styles are written once.
#include "meshexport/UnStepWriter.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

using P3 = std::array<double, 3>;
constexpr size_t FlushSize = 1 << 20; // bytes of text kept before they go to the file

void appendId(std::string& out, uint32_t id) {
    char buffer[16];
    buffer[0] = '#';
    const auto end = std::to_chars(buffer + 1, buffer + sizeof buffer, id).ptr;
    out.append(buffer, size_t(end - buffer));
}

std::string ref(uint32_t id) {
    std::string out;
    appendId(out, id);
    return out;
}

void appendReal(std::string& out, double value) {
    if (value == 0) value = 0; // no "-0."
    char buffer[40];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    const std::string_view text(buffer, size_t(end - buffer));
    const size_t e = text.find('e');
    const std::string_view mantissa = text.substr(0, e);
    out += mantissa;
    if (mantissa.find('.') == std::string_view::npos) out += '.';
    if (e != std::string_view::npos) {
        out += 'E';
        out += text.substr(e + 1);
    }
}

void appendTriple(std::string& out, const P3& p) {
    out += '(';
    for (size_t a = 0; a < 3; ++a) {
        if (a > 0) out += ',';
        appendReal(out, p[a]);
    }
    out += ')';
}

void appendList(std::string& out, const std::vector<uint32_t>& ids) {
    out += '(';
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) out += ',';
        appendId(out, ids[i]);
    }
    out += ')';
}

std::array<uint64_t, 3> bitsOf(const P3& p) {
    std::array<uint64_t, 3> bits;
    std::memcpy(bits.data(), p.data(), sizeof bits);
    return bits;
}

} // namespace

std::string stepReal(double value) {
    std::string out;
    appendReal(out, value);
    return out;
}

std::string stepString(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\'' || c == '\\') {
            out += c;
            out += c;
        } else if (u < 0x20 || u >= 0x7F) {
            out += "\\X\\";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

TStepWriter::TStepWriter(std::string& text, const std::string& fileName, std::FILE* out)
    : text_(text), out_(out) {
    if (out_) text_.reserve(FlushSize + 4096);
    const size_t slash = fileName.find_last_of('/');
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    // A fixed time stamp, so that a document always gives the same bytes.
    text_ += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('Palvorin solids'),'2;1');\n"
             "FILE_NAME('" +
             stepString(name) +
             "','2000-01-01T00:00:00',(''),(''),'Palvorin','Palvorin','');\n"
             "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n";
    const uint32_t application =
        emit("APPLICATION_CONTEXT('core data for automotive mechanical design processes')");
    emit("APPLICATION_PROTOCOL_DEFINITION('international standard','automotive_design',2000," +
         ref(application) + ")");
    productContext_ = emit("PRODUCT_CONTEXT(''," + ref(application) + ",'mechanical')");
    definitionContext_ =
        emit("PRODUCT_DEFINITION_CONTEXT('part definition'," + ref(application) + ",'design')");
    millimetre_ = emit("(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.))");
    radian_ = emit("(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.))");
    steradian_ = emit("(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT())");
    const uint32_t zero = emit("CARTESIAN_POINT('',(0.,0.,0.))");
    const uint32_t z = emit("DIRECTION('',(0.,0.,1.))");
    const uint32_t x = emit("DIRECTION('',(1.,0.,0.))");
    origin_ = emit("AXIS2_PLACEMENT_3D(''," + ref(zero) + "," + ref(z) + "," + ref(x) + ")");
}

void TStepWriter::flush() {
    if (written_ && std::fwrite(text_.data(), 1, text_.size(), out_) != text_.size()) {
        written_ = false;
        error_ = errno;
    }
    text_.clear();
}

uint32_t TStepWriter::emit(const std::string& entity) {
    if (out_ && text_.size() > FlushSize) flush();
    const uint32_t id = next_++;
    appendId(text_, id);
    text_ += '=';
    text_ += entity;
    text_ += ";\n";
    return id;
}

uint32_t TStepWriter::point(const P3& p) {
    line_ = "CARTESIAN_POINT('',";
    appendTriple(line_, p);
    line_ += ')';
    return emit(line_);
}

uint32_t TStepWriter::direction(const P3& d) {
    const auto [found, added] = directions_.emplace(bitsOf(d), 0);
    if (added) {
        line_ = "DIRECTION('',";
        appendTriple(line_, d);
        line_ += ')';
        found->second = emit(line_);
    }
    return found->second;
}

uint32_t TStepWriter::vector(const P3& d) {
    const auto [found, added] = vectors_.emplace(bitsOf(d), 0);
    if (added) found->second = emit("VECTOR(''," + ref(direction(d)) + ",1.)");
    return found->second;
}

uint32_t TStepWriter::styleOf(const std::array<float, 3>& colour) {
    const auto [found, added] =
        styles_.emplace(bitsOf({double(colour[0]), double(colour[1]), double(colour[2])}), 0);
    if (added) {
        line_ = "COLOUR_RGB('',";
        for (size_t a = 0; a < 3; ++a) {
            if (a > 0) line_ += ',';
            appendReal(line_, double(colour[a]));
        }
        line_ += ')';
        uint32_t id = emit(line_);
        id = emit("FILL_AREA_STYLE_COLOUR(''," + ref(id) + ")");
        id = emit("FILL_AREA_STYLE('',(" + ref(id) + "))");
        id = emit("SURFACE_STYLE_FILL_AREA(" + ref(id) + ")");
        id = emit("SURFACE_SIDE_STYLE('',(" + ref(id) + "))");
        id = emit("SURFACE_STYLE_USAGE(.BOTH.," + ref(id) + ")");
        found->second = emit("PRESENTATION_STYLE_ASSIGNMENT((" + ref(id) + "))");
    }
    return found->second;
}

bool TStepWriter::addObject(const TStepObject& object,
                            const std::function<bool(size_t faces)>& written) {
    directions_.clear();
    vectors_.clear();
    directions_.reserve(object.Points.size() * 2);
    vectors_.reserve(object.Points.size() * 2);
    const std::vector<P3>& points = object.Points;
    std::vector<uint32_t> pointIds(points.size(), 0), vertexIds(points.size(), 0);
    auto vertex = [&](uint32_t i) {
        if (vertexIds[i] == 0) {
            pointIds[i] = point(points[i]);
            vertexIds[i] = emit("VERTEX_POINT(''," + ref(pointIds[i]) + ")");
        }
        return vertexIds[i];
    };
    struct Edge {
        uint32_t id;
        uint32_t from; // the corner its curve starts at
    };
    std::unordered_map<uint64_t, Edge> edges;
    edges.reserve(points.size() * 3);
    std::vector<uint32_t> faces, bounds, oriented;
    faces.reserve(object.Faces.size());
    for (const TPlanarFace& face : object.Faces) {
        if (written && faces.size() % 1024 == 1023 && !written(faces.size())) return false;
        bounds.clear();
        for (size_t l = 0; l < face.Loops.size(); ++l) {
            const std::vector<uint32_t>& loop = face.Loops[l];
            oriented.clear();
            for (size_t k = 0; k < loop.size(); ++k) {
                const uint32_t a = loop[k], b = loop[(k + 1) % loop.size()];
                const uint64_t key = uint64_t(std::min(a, b)) << 32 | std::max(a, b);
                auto found = edges.find(key);
                if (found == edges.end()) {
                    const uint32_t start = vertex(a), end = vertex(b);
                    P3 d{points[b][0] - points[a][0], points[b][1] - points[a][1],
                         points[b][2] - points[a][2]};
                    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                    for (double& c : d)
                        c /= length;
                    const uint32_t line =
                        emit("LINE(''," + ref(pointIds[a]) + "," + ref(vector(d)) + ")");
                    found = edges
                                .emplace(key, Edge{emit("EDGE_CURVE(''," + ref(start) + "," +
                                                        ref(end) + "," + ref(line) + ",.T.)"),
                                                   a})
                                .first;
                }
                line_ = "ORIENTED_EDGE('',*,*,";
                appendId(line_, found->second.id);
                line_ += found->second.from == a ? ",.T.)" : ",.F.)";
                oriented.push_back(emit(line_));
            }
            line_ = "EDGE_LOOP('',";
            appendList(line_, oriented);
            line_ += ')';
            const uint32_t edgeLoop = emit(line_);
            bounds.push_back(emit(std::string(l == 0 ? "FACE_OUTER_BOUND(''," : "FACE_BOUND('',") +
                                  ref(edgeLoop) + ",.T.)"));
        }
        // A triangle's plane passes through its first corner; a joined face's, whose corners lie
        // on it only within the rounding of their coordinates, through its centre, where it fits
        // them best.
        const uint32_t origin =
            face.Triangles.size() > 1 ? point(face.Origin) : pointIds[face.Loops[0][0]];
        const uint32_t axes = emit("AXIS2_PLACEMENT_3D(''," + ref(origin) + "," +
                                   ref(direction(face.Normal)) + ",$)");
        const uint32_t plane = emit("PLANE(''," + ref(axes) + ")");
        line_ = "ADVANCED_FACE('',";
        appendList(line_, bounds);
        line_ += ',' + ref(plane) + ",.T.)";
        faces.push_back(emit(line_));
    }

    line_ = object.Solid ? "CLOSED_SHELL(''," : "OPEN_SHELL('',";
    appendList(line_, faces);
    line_ += ')';
    const uint32_t shell = emit(line_);
    const uint32_t item = emit(object.Solid ? "MANIFOLD_SOLID_BREP(''," + ref(shell) + ")"
                                            : "SHELL_BASED_SURFACE_MODEL('',(" + ref(shell) + "))");
    line_ = "UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(";
    appendReal(line_, object.Uncertainty);
    line_ += ")," + ref(millimetre_) + ",'distance_accuracy_value','confusion accuracy')";
    const uint32_t uncertainty = emit(line_);
    const uint32_t context =
        emit("(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((" +
             ref(uncertainty) + "))GLOBAL_UNIT_ASSIGNED_CONTEXT((" + ref(millimetre_) + "," +
             ref(radian_) + "," + ref(steradian_) +
             "))REPRESENTATION_CONTEXT('Context #1','3D Context with UNIT and UNCERTAINTY'))");
    const uint32_t representation =
        emit(std::string(object.Solid ? "ADVANCED_BREP_SHAPE_REPRESENTATION"
                                      : "MANIFOLD_SURFACE_SHAPE_REPRESENTATION") +
             "('',(" + ref(origin_) + "," + ref(item) + ")," + ref(context) + ")");

    const std::string name = stepString(object.Name);
    const uint32_t product =
        emit("PRODUCT('" + name + "','" + name + "','',(" + ref(productContext_) + "))");
    const uint32_t formation = emit("PRODUCT_DEFINITION_FORMATION('',''," + ref(product) + ")");
    const uint32_t definition = emit("PRODUCT_DEFINITION('design',''," + ref(formation) + "," +
                                     ref(definitionContext_) + ")");
    const uint32_t shape = emit("PRODUCT_DEFINITION_SHAPE('',''," + ref(definition) + ")");
    emit("SHAPE_DEFINITION_REPRESENTATION(" + ref(shape) + "," + ref(representation) + ")");
    emit("PRODUCT_RELATED_PRODUCT_CATEGORY('part',$,(" + ref(product) + "))");

    // The solid (or shell) takes the colour of most of its faces, the other faces their own.
    if (object.Colours.empty()) return true;
    std::vector<size_t> counts(object.Colours.size(), 0);
    for (const TPlanarFace& face : object.Faces)
        ++counts[face.Run];
    const uint32_t common =
        uint32_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
    std::vector<uint32_t> styled;
    styled.push_back(emit("STYLED_ITEM('color',(" + ref(styleOf(object.Colours[common])) + ")," +
                          ref(item) + ")"));
    for (size_t f = 0; f < object.Faces.size(); ++f)
        if (object.Faces[f].Run != common)
            styled.push_back(emit("STYLED_ITEM('color',(" +
                                  ref(styleOf(object.Colours[object.Faces[f].Run])) + ")," +
                                  ref(faces[f]) + ")"));
    line_ = "MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',";
    appendList(line_, styled);
    line_ += ',' + ref(context) + ')';
    emit(line_);
    return true;
}

bool TStepWriter::finish() {
    text_ += "ENDSEC;\nEND-ISO-10303-21;\n";
    if (out_) flush();
    return written_;
}
