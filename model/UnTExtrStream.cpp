// Typed binary stream of the object file: fixed little-endian encodings over a buffered stdio file.
#include "model/UnTExtrStream.h"

#include "model/UnAnsiText.h"

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t StreamBufferSize = 1 << 16;

[[noreturn]] void raiseStreamError(int code, const char* word, const std::string& cause) {
    throw EExtrStrError(std::to_string(code) + ": ExtrStream: " + word + cause);
}

// The bytes a string is stored as; text Windows-1252 cannot hold is refused.
std::string storedText(const std::string& value, int code, const char* word) {
    try {
        return utf8ToAnsi(value);
    } catch (const EAnsiTextError& e) {
        raiseStreamError(code, word, "\"" + value + "\" cannot be stored: " + e.what());
    }
}

std::string systemText(int err) {
    return std::strerror(err);
}

void putU32(uint8_t* b, uint32_t v) {
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
    b[2] = static_cast<uint8_t>(v >> 16);
    b[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t getU32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

constexpr int CodeCreate = 10, CodeFree = 11, CodeReadInteger = 12, CodeReadSingle = 13,
              CodeReadString = 14, CodeWriteInteger = 15, CodeWriteSingle = 16,
              CodeWriteString = 17, CodeReadColor = 18, CodeReadBoolean = 19, CodeWriteBoolean = 20,
              CodeWriteColor = 21, CodeWriteStringBuffer = 22;

constexpr const char* WordCreate = "Error in create ";
constexpr const char* WordFree = "Error in Free ";
constexpr const char* WordReadInteger = "Error in readInteger ";
constexpr const char* WordReadSingle = "Error in readSingle ";
constexpr const char* WordReadColor = "Error in readColor ";
constexpr const char* WordReadString = "Error in readString ";
constexpr const char* WordReadBoolean = "Error in readBoolean ";
constexpr const char* WordWriteInteger = "Error in writeInteger ";
constexpr const char* WordWriteSingle = "Error in writeSingle ";
constexpr const char* WordWriteBoolean = "Error in writeBoolean ";
constexpr const char* WordWriteColor = "Error in writeColor ";
constexpr const char* WordWriteString = "Error in writeString ";
constexpr const char* WordWriteStringBuffer = "Error in writeStringBuffer ";

} // namespace

TExtrStream::TExtrStream(const std::string& fileName, TExtrStreamMode mode)
    : FileName(fileName), Writing(mode == TExtrStreamMode::Create) {
    const char* verb = Writing ? "Cannot create file \"" : "Cannot open file \"";
    std::FILE* f = std::fopen(fileName.c_str(), Writing ? "wb" : "rb");
    if (!f) raiseStreamError(CodeCreate, WordCreate, verb + fileName + "\": " + systemText(errno));
    struct stat st {};
    if (fstat(fileno(f), &st) != 0) {
        int err = errno;
        std::fclose(f);
        raiseStreamError(CodeCreate, WordCreate, verb + fileName + "\": " + systemText(err));
    }
    if (S_ISDIR(st.st_mode)) {
        std::fclose(f);
        raiseStreamError(CodeCreate, WordCreate, verb + fileName + "\": " + systemText(EISDIR));
    }
    // Devices and pipes have no known size: reads then stop only at their real end.
    Size = Writing ? 0 : (S_ISREG(st.st_mode) ? st.st_size : std::numeric_limits<int64_t>::max());
    Buffer.resize(StreamBufferSize);
    std::setvbuf(f, Buffer.data(), _IOFBF, Buffer.size());
    FileStream = f;
}

TExtrStream::TExtrStream(std::string& memory, TExtrStreamMode mode)
    : FileName("(memory)"), Writing(mode == TExtrStreamMode::Create), Memory(&memory) {
    static char nothing = 0; // an empty buffer still needs an address
    std::FILE* f = Writing ? open_memstream(&MemoryBuffer, &MemorySize)
                           : fmemopen(memory.empty() ? &nothing : memory.data(),
                                      memory.empty() ? 1 : memory.size(), "rb");
    if (!f) raiseStreamError(CodeCreate, WordCreate, "Cannot use memory: " + systemText(errno));
    Size = Writing ? 0 : static_cast<int64_t>(memory.size());
    FileStream = f;
}

TExtrStream::~TExtrStream() {
    if (FileStream) std::fclose(FileStream);
    std::free(MemoryBuffer);
}

void TExtrStream::Free() {
    if (!FileStream) return;
    std::FILE* f = FileStream;
    FileStream = nullptr;
    if (Memory) {
        const bool closed = std::fclose(f) == 0;
        if (closed && Writing) Memory->assign(MemoryBuffer, MemorySize);
        std::free(MemoryBuffer);
        MemoryBuffer = nullptr;
        if (!closed)
            raiseStreamError(CodeFree, WordFree, "Cannot write memory: " + systemText(errno));
        return;
    }
    if (Writing) {
        if (std::fflush(f) != 0) {
            int err = errno;
            std::fclose(f);
            raiseStreamError(CodeFree, WordFree,
                             "Cannot write file \"" + FileName + "\": " + systemText(err));
        }
        // Devices refuse fsync with EINVAL; only a real failure to reach the disk counts.
        if (fsync(fileno(f)) != 0 && errno != EINVAL && errno != EROFS) {
            int err = errno;
            std::fclose(f);
            raiseStreamError(CodeFree, WordFree,
                             "Cannot write file \"" + FileName + "\": " + systemText(err));
        }
    }
    if (std::fclose(f) != 0)
        raiseStreamError(CodeFree, WordFree,
                         "Cannot close file \"" + FileName + "\": " + systemText(errno));
}

int64_t TExtrStream::remaining() const {
    if (Writing || !FileStream) return 0;
    return Size > Pos ? Size - Pos : 0;
}

void TExtrStream::readBytes(void* dst, size_t n, int code, const char* word) {
    if (!FileStream) raiseStreamError(code, word, "the stream is closed");
    if (Writing) raiseStreamError(code, word, "the stream is open for writing");
    if (n == 0) return;
    if (static_cast<uint64_t>(remaining()) < n)
        raiseStreamError(code, word, "unexpected end of file");
    size_t got = std::fread(dst, 1, n, FileStream);
    if (got != n) {
        if (std::ferror(FileStream))
            raiseStreamError(code, word,
                             "Cannot read file \"" + FileName + "\": " + systemText(errno));
        raiseStreamError(code, word, "unexpected end of file");
    }
    Pos += static_cast<int64_t>(n);
}

void TExtrStream::writeBytes(const void* src, size_t n, int code, const char* word) {
    if (!FileStream) raiseStreamError(code, word, "the stream is closed");
    if (!Writing) raiseStreamError(code, word, "the stream is open for reading");
    if (n == 0) return;
    if (std::fwrite(src, 1, n, FileStream) != n)
        raiseStreamError(code, word,
                         "Cannot write file \"" + FileName + "\": " + systemText(errno));
}

int32_t TExtrStream::readInteger(const std::string& /*key*/) {
    uint8_t b[4];
    readBytes(b, 4, CodeReadInteger, WordReadInteger);
    return static_cast<int32_t>(getU32(b));
}

float TExtrStream::readSingle(const std::string& /*key*/) {
    uint8_t b[4];
    readBytes(b, 4, CodeReadSingle, WordReadSingle);
    return std::bit_cast<float>(getU32(b));
}

TColor TExtrStream::readColor(const std::string& /*key*/) {
    uint8_t b[4];
    readBytes(b, 4, CodeReadColor, WordReadColor);
    return getU32(b);
}

void TExtrStream::readString(const std::string& /*key*/, int32_t length, std::string& out) {
    if (length < 0)
        raiseStreamError(CodeReadString, WordReadString,
                         "string length " + std::to_string(length) + " is negative");
    if (remaining() < length)
        raiseStreamError(CodeReadString, WordReadString, "unexpected end of file");
    std::string text(static_cast<size_t>(length), '\0');
    readBytes(text.data(), text.size(), CodeReadString, WordReadString);
    out = ansiToUtf8(text);
}

bool TExtrStream::readBoolean(const std::string& /*key*/) {
    uint8_t b = 0;
    readBytes(&b, 1, CodeReadBoolean, WordReadBoolean);
    return b != 0;
}

void TExtrStream::writeInteger(const std::string& /*key*/, int32_t value) {
    uint8_t b[4];
    putU32(b, static_cast<uint32_t>(value));
    writeBytes(b, 4, CodeWriteInteger, WordWriteInteger);
}

void TExtrStream::writeSingle(const std::string& /*key*/, float value) {
    uint8_t b[4];
    putU32(b, std::bit_cast<uint32_t>(value));
    writeBytes(b, 4, CodeWriteSingle, WordWriteSingle);
}

void TExtrStream::writeBoolean(const std::string& /*key*/, bool value) {
    uint8_t b = value ? 1 : 0;
    writeBytes(&b, 1, CodeWriteBoolean, WordWriteBoolean);
}

void TExtrStream::writeColor(const std::string& /*key*/, TColor value) {
    uint8_t b[4];
    putU32(b, value);
    writeBytes(b, 4, CodeWriteColor, WordWriteColor);
}

void TExtrStream::writeString(const std::string& /*key*/, const std::string& value) {
    const std::string stored = storedText(value, CodeWriteString, WordWriteString);
    if (stored.size() > static_cast<size_t>(MaxStringLength))
        raiseStreamError(CodeWriteString, WordWriteString,
                         "a text of " + std::to_string(stored.size()) +
                             " characters is longer than the " + std::to_string(MaxStringLength) +
                             " a file holds");
    uint8_t b[4];
    putU32(b, static_cast<uint32_t>(stored.size()));
    writeBytes(b, 4, CodeWriteString, WordWriteString);
    writeBytes(stored.data(), stored.size(), CodeWriteString, WordWriteString);
}

void TExtrStream::writeStringBuffer(const std::string& /*key*/, const std::string& value) {
    const std::string stored = storedText(value, CodeWriteStringBuffer, WordWriteStringBuffer);
    writeBytes(stored.data(), stored.size(), CodeWriteStringBuffer, WordWriteStringBuffer);
}

std::string TExtrStream::readCheckedString(const std::string& key, int32_t maxLength) {
    int32_t length = readInteger(key);
    if (length < 0 || length > maxLength)
        raiseStreamError(CodeReadString, WordReadString,
                         "string length " + std::to_string(length) + " is outside 0.." +
                             std::to_string(maxLength));
    if (remaining() < length)
        raiseStreamError(CodeReadString, WordReadString,
                         "string length " + std::to_string(length) + " exceeds the " +
                             std::to_string(remaining()) + " bytes left in the file");
    std::string text;
    readString(key, length, text);
    return text;
}
