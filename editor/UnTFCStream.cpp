// In-memory byte stream of the figures' fixed-layout records: little-endian integers, IEEE 754
// doubles and short strings (a length byte and the field's full capacity).
#include "editor/UnTFCStream.h"

#include <algorithm>
#include <cstring>

void TFCStream::WriteUInt32(uint32_t v) {
    for (int i = 0; i < 4; ++i)
        WriteByte(static_cast<uint8_t>(v >> (8 * i)));
}

void TFCStream::WriteDouble(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        WriteByte(static_cast<uint8_t>(bits >> (8 * i)));
}

void TFCStream::WriteShortString(const std::string& s, int capacity) {
    const size_t n = std::min(s.size(), static_cast<size_t>(capacity));
    WriteByte(static_cast<uint8_t>(n));
    Data.insert(Data.end(), s.begin(), s.begin() + n);
    Data.insert(Data.end(), capacity - n, 0);
}

const uint8_t* TFCStream::take(size_t n) {
    if (n > Remaining()) throw EFCStreamError("Stream read error");
    const uint8_t* p = Data.data() + Pos;
    Pos += n;
    return p;
}

uint8_t TFCStream::ReadByte() {
    return *take(1);
}

uint32_t TFCStream::ReadUInt32() {
    const uint8_t* p = take(4);
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}

double TFCStream::ReadDouble() {
    const uint8_t* p = take(8);
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(p[i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

std::string TFCStream::ReadShortString(int capacity) {
    const uint8_t* p = take(capacity + 1);
    if (p[0] > capacity) throw EFCStreamError("Stream read error: string too long");
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}
