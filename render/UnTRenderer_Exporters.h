// The three file exporters (DXF, VRML 2.0, 3DS) and the buffered export file they write through.
// See docs/architecture.md (Saving an export).
#pragma once

#include "model/UnSaveTarget.h"
#include "render/UnTRenderer.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// The exporters store binary data by copying native values; other byte orders take the slow way.
constexpr bool NativeLittleEndian = std::endian::native == std::endian::little;

// The longest text putFixed6 writes (sign, 309 integer digits, point, six decimals).
constexpr size_t MaxFixed6Length = 320;
// The longest text putDecimal writes.
constexpr size_t MaxDecimalLength = 20;

#if defined(__GNUC__)
#define EXPORT_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define EXPORT_ALWAYS_INLINE inline
#endif

namespace exportDigits {

inline constexpr char Pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

inline constexpr uint64_t PowersOfTen[20] = {1ull,
                                             10ull,
                                             100ull,
                                             1000ull,
                                             10000ull,
                                             100000ull,
                                             1000000ull,
                                             10000000ull,
                                             100000000ull,
                                             1000000000ull,
                                             10000000000ull,
                                             100000000000ull,
                                             1000000000000ull,
                                             10000000000000ull,
                                             100000000000000ull,
                                             1000000000000000ull,
                                             10000000000000000ull,
                                             100000000000000000ull,
                                             1000000000000000000ull,
                                             10000000000000000000ull};

inline void putPair(char* at, uint32_t v) {
    std::memcpy(at, Pairs + 2 * v, 2);
}

// Writes v in decimal at out, two digits at a time from the end; returns the end.
inline char* putUnsigned(char* out, uint64_t v) {
    size_t n = 1;
    while (n < 20 && v >= PowersOfTen[n])
        ++n;
    char* const end = out + n;
    char* p = end;
    while (v >= 100) {
        const uint64_t q = v / 100;
        p -= 2;
        putPair(p, uint32_t(v - q * 100));
        v = q;
    }
    if (v >= 10)
        putPair(p - 2, uint32_t(v));
    else
        p[-1] = char('0' + v);
    return end;
}

// The whole part of a fixed-point number: short ones (all a scene usually has) by hand.
inline char* putWhole(char* out, uint64_t v) {
    if (v < 100) {
        if (v < 10) {
            *out = char('0' + v);
            return out + 1;
        }
        putPair(out, uint32_t(v));
        return out + 2;
    }
    if (v < 10000) {
        const uint32_t high = uint32_t(v) / 100;
        const uint32_t low = uint32_t(v) - high * 100;
        if (high < 10) {
            *out = char('0' + high);
            putPair(out + 1, low);
            return out + 3;
        }
        putPair(out, high);
        putPair(out + 2, low);
        return out + 4;
    }
    if (v < 100000000) {
        // Up to eight digits (every index of a large mesh): the high half as above, then the low
        // four digits with their zeros.
        const uint32_t high = uint32_t(v) / 10000;
        const uint32_t low = uint32_t(v) - high * 10000;
        out = putWhole(out, high);
        putPair(out, low / 100);
        putPair(out + 2, low % 100);
        return out + 4;
    }
    return putUnsigned(out, v);
}

// v rounded to six decimals (ties to even, as printf does in the default rounding mode) when v
// holds a float value below 2^42. A float's 24-bit significand times 1e6 = 15625 * 2^6 needs at
// most 38 bits, so |v| * 1e6 is exact in double and below 2^62.
EXPORT_ALWAYS_INLINE char* putFloatFixed6(char* out, double v) {
    const double scaled = std::fabs(v) * 1e6;
#if defined(__x86_64__) || defined(_M_X64)
    // One instruction rounds to an integer in the current rounding mode.
    const uint64_t units = uint64_t(_mm_cvtsd_si64(_mm_set_sd(scaled)));
#elif FLT_EVAL_METHOD == 0
    // Adding and removing 2^52 rounds to an integer in the current rounding mode; from 2^52 on
    // every double is an integer already.
    const uint64_t units = uint64_t(int64_t(scaled < 0x1p52 ? (scaled + 0x1p52) - 0x1p52 : scaled));
#else
    const uint64_t units = uint64_t(int64_t(std::nearbyint(scaled)));
#endif
    const uint64_t whole = units / 1000000;
    const uint32_t fraction = uint32_t(units - whole * 1000000);
    if (std::signbit(v)) *out++ = '-';
    out = putWhole(out, whole);
    *out = '.';
    const uint32_t high = fraction / 10000;
    const uint32_t rest = fraction - high * 10000;
    const uint32_t middle = rest / 100;
    putPair(out + 1, high);
    putPair(out + 3, middle);
    putPair(out + 5, rest - middle * 100);
    return out + 7;
}

} // namespace exportDigits

// "%.6f" through the standard library, for the values putFixed6 does not take itself. No export
// ever holds "nan" or "inf": a value that is not finite throws (see raiseNotFinite).
char* putFixed6Slow(char* out, double v);

// Throws std::runtime_error "the number <v> cannot be written: it is not finite".
[[noreturn]] void raiseNotFinite(double v);

// Binary formats store floats as they are: their values are checked here instead.
inline void requireFinite(const Vec3& v) {
    if (!std::isfinite(v.X) || !std::isfinite(v.Y) || !std::isfinite(v.Z))
        raiseNotFinite(!std::isfinite(v.X) ? v.X : !std::isfinite(v.Y) ? v.Y : v.Z);
}

// Writes v formatted as "%.6f" in the C locale at out and returns the end (no terminator).
// Negative values keep their sign, so -0.0 gives "-0.000000" just as printf does.
inline char* putFixed6(char* out, double v) {
    // Values that are no float, too large, infinite or NaN go the general way.
    if (!(std::fabs(v) < 0x1p42) || static_cast<double>(static_cast<float>(v)) != v)
        return putFixed6Slow(out, v);
    return exportDigits::putFloatFixed6(out, v);
}

inline char* putFixed6(char* out, float v) {
    if (!(std::fabs(v) < 0x1p42f)) return putFixed6Slow(out, v);
    return exportDigits::putFloatFixed6(out, v);
}

// Writes v as a plain decimal integer at out and returns the end.
inline char* putDecimal(char* out, int64_t v) {
    uint64_t magnitude = static_cast<uint64_t>(v);
    if (v < 0) {
        *out++ = '-';
        magnitude = 0 - magnitude;
    }
    return exportDigits::putWhole(out, magnitude);
}

// Appends v formatted as "%.6f" with "." whatever the locale.
void appendFixed6(std::string& out, double v);
void appendFixed6(std::string& out, float v);
// Appends v as a plain decimal integer.
void appendDecimal(std::string& out, int64_t v);

// Little-endian stores into a byte buffer; each returns the end of what it wrote.
inline char* storeU16(char* at, uint16_t v) {
    if constexpr (NativeLittleEndian) {
        std::memcpy(at, &v, 2);
    } else {
        at[0] = char(v & 0xFF);
        at[1] = char(v >> 8);
    }
    return at + 2;
}

inline char* storeU32(char* at, uint32_t v) {
    if constexpr (NativeLittleEndian) {
        std::memcpy(at, &v, 4);
    } else {
        for (int i = 0; i < 4; ++i)
            at[i] = char((v >> (8 * i)) & 0xFF);
    }
    return at + 4;
}

inline char* storeF32(char* at, float v) {
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return storeU32(at, bits);
}

// A binary export file with a large write buffer of its own. Every failing system call throws
// std::runtime_error with the system's message; abandon() releases the file after a failure.
class TExportFile {
  public:
    static constexpr size_t BufferSize = size_t(1) << 20;

    TExportFile() = default;
    TExportFile(const TExportFile&) = delete;
    TExportFile& operator=(const TExportFile&) = delete;
    ~TExportFile(); // abandons the file if still open: a staged one leaves nothing behind

    // Creates (truncates) the file; throws "Cannot create file "<name>": <reason>". A format that
    // writes its start last (seeksBack) and is given a file that cannot seek (a pipe, a device)
    // writes to an unnamed scratch file instead, which close() then copies to the file.
    void open(const std::string& fileName, bool seeksBack = false);
    // open() of a temporary file beside target (TSaveTarget) that close() renames over target;
    // abandon() removes it.
    void openStaged(const std::string& target, bool seeksBack = false);
    bool isOpen() const { return file_ != nullptr; }

    void write(std::string_view text) {
        // A closed file has no room at all, so the open check costs nothing here; even an
        // empty text takes the slow way then, which reports the closed file.
        if (text.size() < room_ - used_) {
            std::memcpy(buffer_.get() + used_, text.data(), text.size());
            used_ += text.size();
        } else {
            writeSlow(text);
        }
    }
    void writeLine(std::string_view text); // text + CR LF
    // Appends to the buffer without writing to disk now; the next write or close sends it.
    void writeDeferred(std::string_view text);
    void writeU16(uint16_t v);
    void writeU32(uint32_t v);
    void writeF32(float v);

    // Direct access for exporters that format in place: reserve(n) makes room for at least n
    // bytes (n <= BufferSize), sending the buffer when needed, and returns where they go;
    // commit(end) then takes the bytes written up to end. available() tells the room there is.
    char* reserve(size_t n) {
        if (n >= room_ - used_) makeRoom(n);
        return buffer_.get() + used_;
    }
    size_t available() const { return room_ - used_; }
    void commit(const char* end) { used_ = size_t(end - buffer_.get()); }

    // Bytes handed to the file so far (buffered ones included).
    uint64_t position() const { return written_ + used_; }
    // Sends the buffer, then overwrites four bytes at pos with v (little-endian).
    void patchU32(uint64_t pos, uint32_t v);
    // Sends the buffer, then appends the first length bytes of source (a file open for reading),
    // copied within the system where it can; throws "Cannot read "<sourceName>": ..." when
    // source falls short.
    void append(std::FILE* source, const std::string& sourceName, uint64_t length);
    // Whether the file is a regular one, whose start can be written after its end.
    bool isRegularFile() const;
    // Sends the buffer, then writes head over the first room bytes written (a placeholder) and
    // puts the rest of it before them: the file system makes room where it can (the rest's size
    // a multiple of its block size), else the bytes are moved. room is at most head's size.
    void prepend(std::string_view head, size_t room = 0);
    // Sends the buffer and closes the file (a staged one renamed over its target); the file is
    // released even when this throws.
    void close();
    // Releases the file without writing what is still buffered (a staged one removed); never
    // throws.
    void abandon() noexcept;

  private:
    void requireOpen() const;
    void flushBuffer();
    void writeRaw(const char* data, size_t size);
    void writeSlow(std::string_view text);
    void makeRoom(size_t n);

    std::FILE* file_ = nullptr;
    std::FILE* final_ = nullptr; // the file itself while file_ is a scratch file
    std::unique_ptr<TSaveTarget> staging_;
    // buffer_ holds capacity_ bytes; room_ is the part writes may fill (0 while closed).
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    size_t room_ = 0;
    size_t used_ = 0;
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
    // One 3DFACE from n = 3 or 4 vertices.
    void writeFace(const Vec3* vertices, int n, const char* literal);
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
