// The renderer base: tessellator buffering and flush, the current renderer, the export file.
#include "render/UnTRenderer.h"
#include "render/UnTRenderer_Exporters.h"
#include "model/UnSaveTarget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------------------------------------
// Errors and number formatting

void rendererError(int32_t code, const std::string& text) {
    throw EDXFError(std::to_string(code) + ": Renderer: " + text);
}

void raiseNotFinite(double v) {
    throw std::runtime_error(std::string("the number ") +
                             (std::isnan(v) ? "nan"
                              : v > 0       ? "inf"
                                            : "-inf") +
                             " cannot be written: it is not finite");
}

char* putFixed6Slow(char* out, double v) {
    if (!std::isfinite(v)) raiseNotFinite(v);
    auto res = std::to_chars(out, out + MaxFixed6Length, v, std::chars_format::fixed, 6);
    if (res.ec != std::errc()) {
        std::memcpy(out, "0.000000", 8);
        return out + 8;
    }
    return res.ptr;
}

void appendFixed6(std::string& out, double v) {
    char buf[MaxFixed6Length];
    out.append(buf, size_t(putFixed6(buf, v) - buf));
}

void appendFixed6(std::string& out, float v) {
    char buf[MaxFixed6Length];
    out.append(buf, size_t(putFixed6(buf, v) - buf));
}

void appendDecimal(std::string& out, int64_t v) {
    char buf[MaxDecimalLength];
    out.append(buf, size_t(putDecimal(buf, v) - buf));
}

// ---------------------------------------------------------------------------------------------
// TRenderer

TRenderer::TRenderer() : objectMatrix(Matrix4::Identity()) {}

void TRenderer::initObject(const std::string&) {}
void TRenderer::initList(int32_t) {}
void TRenderer::setTexture(TTextureObj) {}
void TRenderer::setColor(ColorF) {}
void TRenderer::quads(const TQuadVerts&, bool, const TQuadVerts&) {}
void TRenderer::triangle(const TTriVerts&, bool, const TTriVerts&) {}

void TRenderer::gridQuads(const TPointGrid& grid, const TQuadIndices* corners,
                          const TQuadVerts* texCoords, int32_t count, bool textured) {
    const Vec3* p = grid.Points.data();
    for (int32_t i = 0; i < count; ++i) {
        const TQuadIndices& c = corners[i];
        quads(TQuadVerts{p[c[0]], p[c[1]], p[c[2]], p[c[3]]}, textured, texCoords[i]);
    }
}

void TPointGrid::reset(size_t count) {
    Points.resize(count);
    Shared.assign(count, 0);
    Serial = nextGridSerial();
}

uint64_t nextGridSerial() {
    static std::atomic<uint64_t> serial{0};
    return ++serial;
}
void TRenderer::endList() {}
void TRenderer::endObject(int32_t, int32_t, bool) {}

void TRenderer::beginPrimitive(int32_t mode) {
    primMode = mode;
    lastVertex = -1;
}

void TRenderer::texturedVertex(Vec3, Vec3, Vec3) {}

void TRenderer::bufferTexturedVertex(Vec3 vertex, Vec3 texCoord, Vec3 normal) {
    this->vertex(vertex, normal);
    primTexCoords[lastVertex] = texCoord;
}

void TRenderer::vertex(Vec3 vertex, Vec3 normal) {
    if (primMode == PrimTriangles) {
        if (lastVertex >= 2) flushPrimitive();
    } else if (lastVertex >= 3) {
        flushPrimitive();
    }
    // A mode that flushes nothing would overrun the four slots: start the buffer afresh instead.
    if (lastVertex >= 3 || lastVertex < -1) lastVertex = -1;
    ++lastVertex;
    primVertices[lastVertex] = vertex;
    primNormals[lastVertex] = normal;
}

void TRenderer::endPrimitive() {
    if (lastVertex > 1) flushPrimitive();
}

void TRenderer::initRendering(const std::string&) {}
void TRenderer::endRendering() {}

void TRenderer::extendBounds(Vec3 point) {
    boundsMin.X = std::min(boundsMin.X, point.X);
    boundsMin.Y = std::min(boundsMin.Y, point.Y);
    boundsMin.Z = std::min(boundsMin.Z, point.Z);
    boundsMax.X = std::max(boundsMax.X, point.X);
    boundsMax.Y = std::max(boundsMax.Y, point.Y);
    boundsMax.Z = std::max(boundsMax.Z, point.Z);
}

void TRenderer::drawSelectionMark() {}

void TRenderer::flushPrimitive() {
    const bool textured = !textureName.empty();
    // Writes (a, b, c) when its right-hand normal agrees with the reference normal, else (c, b, a).
    auto emit = [&](int a, int b, int c, const Vec3& reference) {
        Vec3 n = TriangleNormal(primVertices[a], primVertices[b], primVertices[c], true);
        if (SamePoint(n, reference)) {
            triangle({primVertices[a], primVertices[b], primVertices[c]}, textured,
                     {primTexCoords[a], primTexCoords[b], primTexCoords[c]});
        } else {
            triangle({primVertices[c], primVertices[b], primVertices[a]}, textured,
                     {primTexCoords[c], primTexCoords[b], primTexCoords[a]});
        }
    };
    auto copySlot = [&](int to, int from) {
        primVertices[to] = primVertices[from];
        primNormals[to] = primNormals[from];
        primTexCoords[to] = primTexCoords[from];
    };
    if (lastVertex < 2 || lastVertex > 3) return;

    switch (primMode) {
    case PrimTriangles:
        emit(0, 1, 2, primNormals[0]);
        lastVertex = -1;
        break;
    case PrimTriangleStrip:
        emit(0, 1, 2, primNormals[0]);
        if (lastVertex == 3) emit(1, 3, 2, primNormals[1]);
        copySlot(0, 2);
        copySlot(1, 3);
        lastVertex = 1;
        break;
    case PrimTriangleFan:
        emit(0, 2, 1, primNormals[0]);
        if (lastVertex == 3) emit(0, 3, 2, primNormals[0]);
        copySlot(1, lastVertex);
        lastVertex = 1;
        break;
    default:
        break;
    }
}

void TRenderer::setObjectMatrix(const Matrix4& matrix) {
    objectMatrix = matrix;
}

// ---------------------------------------------------------------------------------------------
// The current renderer

namespace {
std::unique_ptr<TRenderer> theCurrentRenderer;
}

TRenderer* currentRenderer() {
    return theCurrentRenderer.get();
}

void setCurrentRenderer(std::unique_ptr<TRenderer> renderer) {
    // The old instance goes first, so an exporter releases its file before anything new starts.
    theCurrentRenderer.reset();
    theCurrentRenderer = std::move(renderer);
}

std::unique_ptr<TRenderer> exchangeCurrentRenderer(std::unique_ptr<TRenderer> renderer) {
    theCurrentRenderer.swap(renderer);
    return renderer;
}

void useDXFRenderer() {
    setCurrentRenderer(std::make_unique<TDXFRenderer>());
}
void useVRMLRenderer() {
    setCurrentRenderer(std::make_unique<TVRMLRenderer>());
}
void use3DSRenderer() {
    setCurrentRenderer(std::make_unique<T3DSRenderer>());
}

// ---------------------------------------------------------------------------------------------
// TExportFile

namespace {
std::runtime_error systemError(int err) {
    return std::runtime_error(err != 0 ? std::strerror(err) : "input/output error");
}

// Closes a file however the scope is left.
struct TGiveBackFile {
    std::FILE* file;
    ~TGiveBackFile() { std::fclose(file); }
};
} // namespace

TExportFile::~TExportFile() {
    abandon();
}

void TExportFile::openStaged(const std::string& target, bool seeksBack) {
    abandon();
    auto staging = std::make_unique<TSaveTarget>(target);
    open(staging->WritePath(), seeksBack);
    staging_ = std::move(staging);
}

void TExportFile::open(const std::string& fileName, bool seeksBack) {
    abandon();
    errno = 0;
    std::FILE* f = openEmptied(fileName);
    if (!f) {
        int err = errno;
        throw std::runtime_error("Cannot create file \"" + fileName +
                                 "\": " + (err != 0 ? std::strerror(err) : "unknown error"));
    }
    // Our own buffer does the buffering, so every fwrite reaches the system at once.
    std::setvbuf(f, nullptr, _IONBF, 0);
    if (capacity_ < BufferSize) {
        try {
            buffer_.reset(new char[BufferSize]);
        } catch (...) {
            std::fclose(f);
            throw;
        }
        capacity_ = BufferSize;
    }
    file_ = f;
    if (seeksBack && !isRegularFile()) {
        errno = 0;
        std::FILE* scratch = openScratch();
        if (!scratch) {
            const int err = errno;
            abandon();
            throw std::runtime_error(std::string("Cannot create a scratch file: ") +
                                     (err != 0 ? std::strerror(err) : "unknown error"));
        }
        std::setvbuf(scratch, nullptr, _IONBF, 0);
        final_ = f;
        file_ = scratch;
    }
    written_ = 0;
    used_ = 0;
    room_ = BufferSize;
}

void TExportFile::requireOpen() const {
    if (!file_) throw std::runtime_error("the export file is not open");
}

void TExportFile::writeRaw(const char* data, size_t size) {
    // At most a buffer's worth per call: the system takes one very large write far more slowly
    // at times (tens of megabytes: ten times as long).
    for (size_t done = 0; done < size;) {
        const size_t n = std::min(size - done, BufferSize);
        errno = 0;
        if (std::fwrite(data + done, 1, n, file_) != n) throw systemError(errno);
        written_ += n;
        done += n;
    }
}

void TExportFile::flushBuffer() {
    requireOpen();
    // Drop the buffered bytes whatever happens, so a failed flush is not retried on close.
    const size_t pending = used_;
    used_ = 0;
    room_ = BufferSize;
    writeRaw(buffer_.get(), pending);
}

void TExportFile::writeSlow(std::string_view text) {
    flushBuffer();
    if (text.size() >= BufferSize) {
        writeRaw(text.data(), text.size());
        return;
    }
    std::memcpy(buffer_.get(), text.data(), text.size());
    used_ = text.size();
}

void TExportFile::makeRoom(size_t n) {
    if (n > BufferSize) throw std::logic_error("export buffer reservation too large");
    flushBuffer();
}

void TExportFile::writeLine(std::string_view text) {
    write(text);
    write("\r\n");
}

void TExportFile::writeDeferred(std::string_view text) {
    requireOpen();
    if (text.size() > capacity_ - used_) {
        // Rare: grow rather than send, since nothing may reach the disk here.
        const size_t grown = std::max(capacity_ * 2, used_ + text.size());
        std::unique_ptr<char[]> bigger(new char[grown]);
        std::memcpy(bigger.get(), buffer_.get(), used_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    std::memcpy(buffer_.get() + used_, text.data(), text.size());
    used_ += text.size();
    // Past the usual room, the next write sends everything first.
    room_ = std::max(room_, used_);
}

void TExportFile::writeU16(uint16_t v) {
    char b[2];
    storeU16(b, v);
    write(std::string_view(b, 2));
}

void TExportFile::writeU32(uint32_t v) {
    char b[4];
    storeU32(b, v);
    write(std::string_view(b, 4));
}

void TExportFile::writeF32(float v) {
    uint32_t bits;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof bits);
    writeU32(bits);
}

void TExportFile::patchU32(uint64_t pos, uint32_t v) {
    flushBuffer();
    if (pos + 4 > written_) throw std::runtime_error("length field lies outside the file");
    errno = 0;
    if (std::fseek(file_, static_cast<long>(pos), SEEK_SET) != 0) throw systemError(errno);
    char b[4];
    storeU32(b, v);
    errno = 0;
    if (std::fwrite(b, 1, 4, file_) != 4) throw systemError(errno);
    errno = 0;
    if (std::fseek(file_, 0, SEEK_END) != 0) throw systemError(errno);
}

void TExportFile::append(std::FILE* source, const std::string& sourceName, uint64_t length) {
    flushBuffer();
    auto cannotRead = [&](int err) {
        return std::runtime_error("Cannot read \"" + sourceName +
                                  "\": " + (err != 0 ? std::strerror(err) : "the file is shorter"));
    };
    errno = 0;
    if (std::fflush(source) != 0) throw cannotRead(errno);
    // The system copies between files without the bytes passing through here; a pipe, a device
    // or another file system may refuse, and the rest then goes the usual way.
    const int from = fileno(source), to = fileno(file_);
    loff_t offset = 0;
    while (uint64_t(offset) < length) {
        const ssize_t n = copy_file_range(
            from, &offset, to, nullptr,
            size_t(std::min<uint64_t>(length - uint64_t(offset), uint64_t(1) << 30)), 0);
        if (n <= 0) break;
        written_ += uint64_t(n);
    }
    errno = 0;
    if (std::fseek(file_, 0, SEEK_END) != 0 && offset > 0) throw systemError(errno);
    if (std::fseek(source, offset, SEEK_SET) != 0) throw cannotRead(errno);
    for (uint64_t left = length - uint64_t(offset); left > 0;) {
        const size_t n = size_t(std::min<uint64_t>(left, BufferSize));
        errno = 0;
        if (std::fread(buffer_.get(), 1, n, source) != n) throw cannotRead(errno);
        writeRaw(buffer_.get(), n);
        left -= n;
    }
}

bool TExportFile::isRegularFile() const {
    struct stat st {};
    return file_ && fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode);
}

void TExportFile::prepend(std::string_view head, size_t room) {
    flushBuffer();
    if (room > head.size() || room > written_)
        throw std::logic_error("the placeholder is larger than the head or the file");
    const int fd = fileno(file_);
    const off_t shift = off_t(head.size() - room), length = off_t(written_);
    auto check = [](bool ok) {
        if (!ok) throw systemError(errno);
    };
    errno = 0;
    if (shift > 0 && length > 0 && fallocate(fd, FALLOC_FL_INSERT_RANGE, 0, shift) != 0) {
        // Moved from the end backwards, so that nothing is overwritten before it is read.
        for (off_t end = length; end > 0;) {
            const size_t n = size_t(std::min<off_t>(end, off_t(BufferSize)));
            const off_t from = end - off_t(n);
            errno = 0;
            check(pread(fd, buffer_.get(), n, from) == ssize_t(n));
            check(pwrite(fd, buffer_.get(), n, from + shift) == ssize_t(n));
            end = from;
        }
    }
    errno = 0;
    check(pwrite(fd, head.data(), head.size(), 0) == ssize_t(head.size()));
    written_ += uint64_t(shift);
    check(std::fseek(file_, 0, SEEK_END) == 0);
}

void TExportFile::close() {
    requireOpen();
    try {
        flushBuffer();
        if (final_) {
            // The scratch file's bytes go to the file in one piece, now that its start is known.
            std::FILE* scratch = std::exchange(file_, std::exchange(final_, nullptr));
            const uint64_t length = std::exchange(written_, 0);
            const TGiveBackFile closeScratch{scratch};
            append(scratch, "the scratch file", length);
        }
    } catch (...) {
        abandon();
        throw;
    }
    std::FILE* f = file_;
    file_ = nullptr;
    room_ = 0;
    used_ = 0;
    errno = 0;
    if (std::fclose(f) != 0) {
        const int err = errno;
        staging_.reset();
        throw systemError(err);
    }
    if (staging_) {
        const std::unique_ptr<TSaveTarget> staging = std::move(staging_);
        staging->Commit();
    }
}

void TExportFile::abandon() noexcept {
    for (std::FILE** f : {&file_, &final_})
        if (*f) {
            std::fclose(*f);
            *f = nullptr;
        }
    staging_.reset();
    room_ = 0;
    used_ = 0;
}
