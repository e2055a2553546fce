// The VRML 2.0 exporter: a Group per object, a Shape with an IndexedFaceSet per face.
#include "render/UnTRenderer_Exporters.h"

#include <cstring>

namespace {

// Line breaks inside the bracketed lists, each followed by the indent of the next list line.
constexpr std::string_view PointBreak12 = "\r\n            ";
constexpr std::string_view PointBreak13 = "\r\n             ";
constexpr std::string_view TexBreak = "\r\n             ";
constexpr std::string_view QuadIndexEnd = " -1 \r\n            ";
constexpr std::string_view TriangleIndexEnd = " -1 \r\n              ";
static_assert(PointBreak12.size() == 2 + 12 && PointBreak13.size() == 2 + 13);
static_assert(TexBreak.size() == 2 + 13);
static_assert(QuadIndexEnd.size() == 6 + 12 && TriangleIndexEnd.size() == 6 + 14);

char* put(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// The file's texture URL: the stored image path with its extension replaced by ".jpg".
std::string jpegName(const std::string& fileName) {
    size_t sep = fileName.find_last_of("\\/:");
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return fileName + ".jpg";
    return fileName.substr(0, dot) + ".jpg";
}

// A VRML string's content: backslash and double quote are escaped by a backslash.
void appendVrmlString(std::string& out, const std::string& text) {
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
}

} // namespace

// Faces opened before any colour was given take OpenGL's default diffuse grey, as the screen does.
TVRMLRenderer::TVRMLRenderer() : faceColor{0.8f, 0.8f, 0.8f, 1.0f} {}

void TVRMLRenderer::initRendering(const std::string& fileName) {
    // A file that cannot be created is reported by the file layer itself, unwrapped.
    outFile.openStaged(fileName);
    exportStep(outFile, 10, "Error in VRML:initRendering ", [&] {
        outFile.writeLine("#VRML V2.0 utf8");
        outFile.writeLine("# exported by Palvorin v 1.0");
    });
}

void TVRMLRenderer::initObject(const std::string&) {
    // Unprotected step: the lines wait in the buffer and reach the disk with the next protected
    // one.
    outFile.writeDeferred("Group { \r\n");
    outFile.writeDeferred("\tchildren  [ \r\n");
    faceNumber = -1;
    vertexNumber = -1;
    lastVertex = -1;
    faceChanged = false;
    faceOpen = false;
}

void TVRMLRenderer::setTexture(TTextureObj texture) {
    textureName = texture.TexId != -1 ? jpegName(texture.FileName) : std::string();
    faceChanged = true;
}

void TVRMLRenderer::setColor(ColorF color) {
    faceColor = color;
    faceChanged = true;
}

void TVRMLRenderer::initFace() {
    exportStep(outFile, 10, "Error in VRML:initFace ", [&] {
        if (faceOpen) endFace();
        ++faceNumber;
        std::string t;
        t.reserve(512);
        t.append("#---- face ");
        appendDecimal(t, faceNumber);
        t.append(" -----------------\r\n");
        t.append("\t   Shape{appearance Appearance  { \r\n");
        t.append("\t\t   material Material {  \r\n");
        t.append("\t\t\tdiffuseColor ");
        appendFixed6(t, faceColor.R);
        t.append(" ");
        appendFixed6(t, faceColor.G);
        t.append(" ");
        appendFixed6(t, faceColor.B);
        t.append(" \r\n");
        t.append("\t\t\tspecularColor 0.2 0.2 0.2 \r\n");
        t.append("\t\t\tambientIntensity 0.2 \r\n");
        t.append("\t\t\temissiveColor 0.0 0.0 0.0 \r\n");
        t.append("\t\t\tshininess 0.2 \r\n");
        t.append("\t\t\ttransparency 0.0 \r\n");
        t.append("\t\t   } \r\n");
        if (!textureName.empty()) {
            t.append("\t\t   texture ImageTexture { \r\n");
            t.append("\t\t        url [\"");
            appendVrmlString(t, textureName);
            t.append("\"]\r\n");
            t.append("\t\t   } \r\n");
        }
        t.append("\t         } \r\n");
        outFile.write(t);
        vertexNumber = -1;
        lastVertex = -1;
        pointText.clear();
        texCoordText.clear();
        indexText.clear();
        faceChanged = false;
        faceOpen = true;
        faceTextured = !textureName.empty();
    });
}

void TVRMLRenderer::endFace() {
    exportStep(outFile, 10, "Error in VRML:endFace ", [&] {
        outFile.write("\t  geometry IndexedFaceSet { \r\n"
                      "        coord Coordinate { \r\n"
                      "           point [");
        outFile.write(pointText);
        outFile.write("]\r\n"
                      "        } \r\n"
                      "        coordIndex[");
        outFile.write(indexText);
        outFile.write("]\r\n");
        if (!texCoordText.empty()) {
            outFile.write("        texCoord TextureCoordinate { \r\n"
                          "           point [");
            outFile.write(texCoordText);
            outFile.write("]\r\n"
                          "        } \r\n");
        }
        outFile.write("\t  colorPerVertex FALSE \r\n"
                      "\t  ccw TRUE \r\n"
                      "\t  solid FALSE \r\n"
                      "      } # end faceset \r\n"
                      "   } # end shape \r\n");
        faceOpen = false;
    });
}

void TVRMLRenderer::addPolygon(const Vec3* vertices, const Vec3* texCoords, int n, bool textured) {
    // Geometry that arrives before any colour or texture still gets a Shape of its own.
    if (faceChanged || !faceOpen) initFace();
    // The polygon's share of each list is formatted here and appended in one piece.
    char points[4 * (3 * MaxFixed6Length + 5) + 16];
    char indices[4 * (MaxDecimalLength + 1) + 24];
    char texts[4 * (2 * MaxFixed6Length + 3) + 16];
    char* pp = points;
    char* ip = indices;
    char* tp = texts;
    for (int k = 0; k < n; ++k) {
        const Vec3 p = TransformPoint(vertices[k], objectMatrix);
        pp = putFixed6(pp, p.X);
        *pp++ = ' ';
        pp = putFixed6(pp, p.Y);
        *pp++ = ' ';
        pp = putFixed6(pp, p.Z);
        pp = put(pp, " ,");
        ++vertexNumber;
        ip = putDecimal(ip, vertexNumber);
        *ip++ = ' ';
        // A textured face keeps one texture coordinate per point, even for untextured geometry.
        if (faceTextured) {
            tp = putFixed6(tp, textured ? texCoords[k].X : 0.0f);
            *tp++ = ' ';
            tp = putFixed6(tp, textured ? texCoords[k].Y : 0.0f);
            tp = put(tp, " ,");
        }
    }
    pp = put(pp, n == 4 ? PointBreak13 : PointBreak12);
    ip = put(ip, n == 4 ? QuadIndexEnd : TriangleIndexEnd);
    pointText.append(points, size_t(pp - points));
    indexText.append(indices, size_t(ip - indices));
    if (faceTextured) {
        tp = put(tp, TexBreak);
        texCoordText.append(texts, size_t(tp - texts));
    }
}

void TVRMLRenderer::quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) {
    exportStep(outFile, 10, "Error in VRML:quads ",
               [&] { addPolygon(vertices.data(), texCoords.data(), 4, textured); });
}

void TVRMLRenderer::triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) {
    exportStep(outFile, 10, "Error in VRML:triangle ",
               [&] { addPolygon(vertices.data(), texCoords.data(), 3, textured); });
}

void TVRMLRenderer::beginPrimitive(int32_t mode) {
    initFace();
    primMode = mode;
    lastVertex = -1;
}

void TVRMLRenderer::texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    bufferTexturedVertex(vertex, texCoord, normal);
}

void TVRMLRenderer::endPrimitive() {
    if (lastVertex > 1) flushPrimitive();
    // The triangles closed their own polygons; only the list lines are broken here.
    pointText += PointBreak12;
    if (faceTextured) texCoordText += TexBreak;
}

void TVRMLRenderer::endObject(int32_t, int32_t, bool) {
    exportStep(outFile, 100, "Error in VRML:endObject ", [&] {
        if (faceOpen) endFace();
        outFile.write("  ] # end children \r\n"
                      "} # end group  \r\n");
    });
}

void TVRMLRenderer::endRendering() {
    exportStep(outFile, 100, "Error in VRML:endRendering ", [&] { outFile.close(); });
}
