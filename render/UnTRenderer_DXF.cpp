// The DXF exporter: one 3DFACE entity per quad or triangle, in world coordinates, on one layer.
#include "render/UnTRenderer_Exporters.h"

#include <cstring>

namespace {

constexpr const char* HeaderLines[] = {"0",        "SECTION", "2",      "HEADER",  "9",
                                       "$ACADVER", "1",       "AC1012", "0",       "ENDSEC",
                                       "0",        "SECTION", "2",      "ENTITIES"};
constexpr const char* ClosingLines[] = {"0", "ENDSEC", "0", "EOF"};

void appendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append("\r\n");
}

// Copies a literal without its terminator.
template <size_t N> char* put(char* out, const char (&text)[N]) {
    std::memcpy(out, text, N - 1);
    return out + (N - 1);
}

// The group codes of corners 0..3: "1c" before X, "2c" after it, "3c" after Y.
constexpr const char XCodes[4][5] = {"10\r\n", "11\r\n", "12\r\n", "13\r\n"};
constexpr const char YCodes[4][7] = {"\r\n20\r\n", "\r\n21\r\n", "\r\n22\r\n", "\r\n23\r\n"};
constexpr const char ZCodes[4][7] = {"\r\n30\r\n", "\r\n31\r\n", "\r\n32\r\n", "\r\n33\r\n"};

// The most one face can take: its fixed lines, the colour number and twelve coordinates.
constexpr size_t MaxFaceLength = 64 + MaxDecimalLength + 12 * (MaxFixed6Length + 8);

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
    outFile.openStaged(fileName);
    exportStep(outFile, 10, "Error in DXF:initRendering ", [&] {
        for (const char* line : HeaderLines)
            outFile.writeLine(line);
    });
    colorNumber = 0;
}

void TDXFRenderer::writeFace(const Vec3* vertices, int n, const char* literal) {
    exportStep(outFile, 10, literal, [&] {
        Vec3 corners[4];
        for (int c = 0; c < n; ++c)
            corners[c] = TransformPoint(vertices[c], objectMatrix);
        // A triangle's fourth corner repeats its third.
        if (n == 3) corners[3] = corners[2];
        char* p = outFile.reserve(MaxFaceLength);
        p = put(p, "0\r\n3DFACE\r\n8\r\nLAYER1\r\n62\r\n");
        p = putDecimal(p, colorNumber);
        p = put(p, "\r\n");
        for (int c = 0; c < 4; ++c) {
            std::memcpy(p, XCodes[c], 4);
            p = putFixed6(p + 4, corners[c].X);
            std::memcpy(p, YCodes[c], 6);
            p = putFixed6(p + 6, corners[c].Y);
            std::memcpy(p, ZCodes[c], 6);
            p = putFixed6(p + 6, corners[c].Z);
            p = put(p, "\r\n");
        }
        outFile.commit(p);
    });
}

void TDXFRenderer::quads(const TQuadVerts& vertices, bool, const TQuadVerts&) {
    writeFace(vertices.data(), 4, "Error in DXF:quads ");
}

void TDXFRenderer::triangle(const TTriVerts& vertices, bool, const TTriVerts&) {
    writeFace(vertices.data(), 3, "Error in DXF:triangle ");
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
