// In-memory byte stream of the figures' fixed-layout records: little-endian integers, IEEE 754
// doubles and short strings (a length byte and the field's full capacity).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A read past the end or a string longer than its field.
class EFCStreamError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TFCStream {
  public:
    TFCStream() = default;
    explicit TFCStream(std::vector<uint8_t> bytes) : Data(std::move(bytes)) {}

    const std::vector<uint8_t>& Bytes() const { return Data; }
    size_t Remaining() const { return Data.size() - Pos; }

    void WriteByte(uint8_t v) { Data.push_back(v); }
    void WriteBoolean(bool v) { WriteByte(v ? 1 : 0); }
    void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
    void WriteUInt32(uint32_t v);
    void WriteDouble(double v);
    // Capacity + 1 bytes; a longer string is cut to the capacity, unused bytes are zeros.
    void WriteShortString(const std::string& s, int capacity);

    uint8_t ReadByte();
    bool ReadBoolean() { return ReadByte() != 0; }
    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    uint32_t ReadUInt32();
    double ReadDouble();
    std::string ReadShortString(int capacity);

  private:
    std::vector<uint8_t> Data;
    size_t Pos = 0;
    const uint8_t* take(size_t n);
};
