// The DXF exporter: one 3DFACE entity per quad or triangle, in world coordinates, on one layer.
#include "render/UnTRenderer_Exporters.h"

namespace {

constexpr const char* HeaderLines[] = {"0",        "SECTION", "2",      "HEADER",  "9",
                                       "$ACADVER", "1",       "AC1012", "0",       "ENDSEC",
                                       "0",        "SECTION", "2",      "ENTITIES"};
constexpr const char* ClosingLines[] = {"0", "ENDSEC", "0", "EOF"};

void appendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append("\r\n");
}

} // namespace

void TDXFRenderer::initObject(const std::string&) {}

void TDXFRenderer::endObject(int32_t, int32_t, bool) {}

void TDXFRenderer::beginPrimitive(int32_t mode) {
    primMode = mode;
    lastVertex = -1;
}

void TDXFRenderer::texturedVertex(Vec3 vertex, Vec3, Vec3 normal) {
    this->vertex(vertex, normal);
}

void TDXFRenderer::initRendering(const std::string& fileName) {
    // A file that cannot be created is reported by the file layer itself, unwrapped.
    outFile.open(fileName);
    exportStep(outFile, 10, "Error in DXF:initRendering ", [&] {
        for (const char* line : HeaderLines)
            outFile.writeLine(line);
    });
    colorNumber = 0;
}

void TDXFRenderer::writeFace(const Vec3* corners, const char* literal) {
    exportStep(outFile, 10, literal, [&] {
        std::string& t = faceText_;
        t.clear();
        t.append("0\r\n3DFACE\r\n8\r\nLAYER1\r\n62\r\n");
        appendDecimal(t, colorNumber);
        t.append("\r\n");
        for (int c = 0; c < 4; ++c) {
            Vec3 p = TransformPoint(corners[c], objectMatrix);
            appendDecimal(t, 10 + c);
            t.append("\r\n");
            appendFixed6(t, p.X);
            t.append("\r\n");
            appendDecimal(t, 20 + c);
            t.append("\r\n");
            appendFixed6(t, p.Y);
            t.append("\r\n");
            appendDecimal(t, 30 + c);
            t.append("\r\n");
            appendFixed6(t, p.Z);
            t.append("\r\n");
        }
        outFile.write(t);
    });
}

void TDXFRenderer::quads(const TQuadVerts& vertices, bool, const TQuadVerts&) {
    writeFace(vertices.data(), "Error in DXF:quads ");
}

void TDXFRenderer::triangle(const TTriVerts& vertices, bool, const TTriVerts&) {
    const Vec3 corners[4] = {vertices[0], vertices[1], vertices[2], vertices[2]};
    writeFace(corners, "Error in DXF:triangle ");
}

void TDXFRenderer::endRendering() {
    exportStep(outFile, 10, "Error in DXF:endRendering ", [&] {
        std::string t;
        for (const char* line : ClosingLines)
            appendLine(t, line);
        outFile.write(t);
        outFile.close();
    });
}
