// The three file exporters (DXF, VRML 2.0, 3DS) and the buffered export file they write through.
#pragma once

#include "render/UnTRenderer.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Appends v formatted as "%.6f" with "." whatever the locale (negative values keep their sign,
// so -0.0 gives "-0.000000" just as printf does).
void appendFixed6(std::string& out, double v);
// Appends v as a plain decimal integer.
void appendDecimal(std::string& out, int64_t v);

// A binary export file with a large write buffer of its own. Every failing system call throws
// std::runtime_error with the system's message; abandon() releases the file after a failure.
class TExportFile {
  public:
    static constexpr size_t BufferSize = size_t(1) << 20;

    TExportFile() = default;
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;
    ~TExportFile(); // sends what is buffered and closes the file if still open, ignoring errors

    // Creates (truncates) the file; throws "Cannot create file "<name>": <reason>".
    void open(const std::string& fileName);
    bool isOpen() const { return file_ != nullptr; }

    void write(std::string_view text);
    void writeLine(std::string_view text); // text + CR LF
    // Appends to the buffer without writing to disk now; the next write or close sends it.
    void writeDeferred(std::string_view text);
    void writeU16(uint16_t v);
    void writeU32(uint32_t v);
    void writeF32(float v);
    // Bytes handed to the file so far (buffered ones included).
    uint64_t position() const { return written_ + buffer_.size(); }
    // Sends the buffer, then overwrites four bytes at pos with v (little-endian).
    void patchU32(uint64_t pos, uint32_t v);
    // Sends the buffer and closes the file; the file is released even when this throws.
    void close();
    // Releases the file without writing what is still buffered; never throws.
    void abandon() noexcept;

  private:
    void requireOpen() const;
    void flushBuffer();
    void writeRaw(const char* data, size_t size);

    std::FILE* file_ = nullptr;
    std::string buffer_;
    uint64_t written_ = 0;
};

// Runs one protected step of an exporter: any exception releases the export file and becomes the
// renderer error "<code>: Renderer: <literal><caught message>".
template <class Body>
void exportStep(TExportFile& file, int32_t code, const char* literal, Body&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        file.abandon();
        rendererError(code, std::string(literal) + e.what());
    } catch (...) {
        file.abandon();
        rendererError(code, std::string(literal) + "unknown error");
    }
}

class TDXFRenderer : public TRenderer {
  public:
    TExportFile outFile;
    int32_t colorNumber = 0;

    void initObject(const std::string& name) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;
    void beginPrimitive(int32_t mode) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;

  private:
    void writeFace(const Vec3* corners, const char* literal);
    std::string faceText_;
};

class TVRMLRenderer : public TRenderer {
  public:
    TVRMLRenderer();

    TExportFile outFile;
    bool faceChanged = false;
    int32_t faceNumber = -1;
    std::string pointText;
    int32_t vertexNumber = -1;
    std::string indexText;
    std::string texCoordText;
    ColorF faceColor;
    // A face is open from initFace until the next initFace or endObject.
    bool faceOpen = false;
    // Whether the open face carries an ImageTexture (and so one texture coordinate per point).
    bool faceTextured = false;

    void initObject(const std::string& name) override;
    void setTexture(TTextureObj texture) override;
    void setColor(ColorF color) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;
    void beginPrimitive(int32_t mode) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void endPrimitive() override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;

  private:
    void initFace();
    void endFace();
    void addPolygon(const Vec3* vertices, const Vec3* texCoords, int n, bool textured);
};

class T3DSRenderer : public TRenderer {
  public:
    T3DSRenderer();

    TExportFile outStream;
    // Lengths of the edit chunk's contents so far (64 bits so an oversized file is caught).
    uint64_t editLength = 0;
    bool faceChanged = false;
    std::string objectName;
    int32_t faceNumber = -1;
    std::vector<Vec3> points;
    std::vector<uint32_t> faceIndices; // three per triangle, into points
    std::vector<Vec3> texPoints;       // one per point when the face is textured, else empty
    int32_t materialNumber = -1;
    ColorF faceColor;
    bool faceOpen = false;
    bool faceTextured = false;
    char materialName[8] = {}; // name of the last material written, zero-terminated

    void initObject(const std::string& name) override;
    void setTexture(TTextureObj texture) override;
    void setColor(ColorF color) override;
    void quads(const TQuadVerts& vertices, bool textured, const TQuadVerts& texCoords) override;
    void triangle(const TTriVerts& vertices, bool textured, const TTriVerts& texCoords) override;
    void endObject(int32_t listId, int32_t listCount, bool selected) override;
    void beginPrimitive(int32_t mode) override;
    void texturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) override;
    void initRendering(const std::string& fileName) override;
    void endRendering() override;

    // Name of material number n: MAT0000 .. MAT9999, then X plus six base-36 digits.
    static std::string materialNameFor(int32_t n);

  private:
    void initFace();
    void endFace();
    void writeMaterial();
    void addPolygon(const Vec3* vertices, const Vec3* texCoords, int n, bool textured);
    void writeMesh(const std::string& name, uint32_t firstPoint, uint32_t pointCount,
                   size_t firstTriangle, size_t triangleCount);
};
