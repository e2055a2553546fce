// Typed binary stream of the object file: little-endian integers, singles, Booleans, colours and
// strings.
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

class EExtrStrError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class TExtrStreamMode { Create, Read };

// Every failure raises EExtrStrError "<code>: ExtrStream: Error in <operation> <cause>".
// The key names the value for the caller; it is neither stored nor reported.
// Strings are Windows-1252 in the file and UTF-8 in memory: the reads and writes convert them.
class TExtrStream {
  public:
    // The longest string (in stored bytes) that is written or read back.
    static constexpr int32_t MaxStringLength = 65535;

    TExtrStream(const std::string& fileName, TExtrStreamMode mode);
    // A stream over bytes in memory: reads memory, or (Create) replaces it by the bytes written
    // once Free succeeds. memory must outlive the stream.
    TExtrStream(std::string& memory, TExtrStreamMode mode);
    virtual ~TExtrStream();
    TExtrStream(const TExtrStream&) = delete;
    TExtrStream& operator=(const TExtrStream&) = delete;

    // Flushes and closes the file (code 11); the destructor closes silently if Free was not called.
    virtual void Free();
    virtual int32_t readInteger(const std::string& key);
    virtual float readSingle(const std::string& key);
    virtual TColor readColor(const std::string& key);
    virtual void readString(const std::string& key, int32_t length, std::string& out);
    virtual bool readBoolean(const std::string& key);
    virtual void writeInteger(const std::string& key, int32_t value);
    virtual void writeSingle(const std::string& key, float value);
    virtual void writeBoolean(const std::string& key, bool value);
    virtual void writeColor(const std::string& key, TColor value);
    virtual void writeString(const std::string& key, const std::string& value);
    virtual void writeStringBuffer(const std::string& key, const std::string& value);

    // Reads a length-prefixed string, refusing lengths outside 0..maxLength or beyond the file's
    // end.
    std::string readCheckedString(const std::string& key, int32_t maxLength = MaxStringLength);
    // Bytes left to read (read mode).
    int64_t remaining() const;

  private:
    std::FILE* FileStream = nullptr;
    std::string FileName;
    int64_t Size = 0;
    int64_t Pos = 0;
    bool Writing = false;
    std::vector<char> Buffer;      // stdio buffer, lives as long as FileStream
    std::string* Memory = nullptr; // the bytes of a memory stream
    char* MemoryBuffer = nullptr;  // what a memory stream has written so far
    size_t MemorySize = 0;
    void readBytes(void* dst, size_t n, int code, const char* word);
    void writeBytes(const void* src, size_t n, int code, const char* word);
};
