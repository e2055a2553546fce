// Files and bytes shared by the core tests: whole-file reads and writes, little-endian bytes, BMP
// pictures, the message of a thrown exception and a fresh scratch folder per test.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An export's text with the name a STEP header gives its file left out: the same export through a
// pipe names the pipe.
inline std::string withoutStepFileName(std::string text) {
    const size_t at = text.find("FILE_NAME('");
    if (at != std::string::npos) text.erase(at + 11, text.find('\'', at + 11) - (at + 11));
    return text;
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The little-endian number of n bytes at at, in a file's bytes or text.
template <class Data> uint32_t readLE(const Data& data, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n; i-- > 0;)
        v = v << 8 | uint8_t(data.at(at + size_t(i)));
    return v;
}

// Builds bytes: little-endian numbers, raw text and strings after a 4-byte length.
struct ByteWriter {
    Bytes b;
    ByteWriter& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    ByteWriter& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    ByteWriter& i32(int32_t v) { return u16(uint16_t(v)).u16(uint16_t(uint32_t(v) >> 16)); }
    ByteWriter& f32(float v) { return i32(std::bit_cast<int32_t>(v)); }
    ByteWriter& raw(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    ByteWriter& str(const std::string& s) { return i32(int32_t(s.size())).raw(s); }
};

struct PaletteEntry {
    uint8_t R, G, B;
};

// A BMP file: rows are the stored bytes of each row, bottom row first, without their padding.
struct BmpLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Bits = 24;
    uint32_t Compression = 0;
    uint32_t HeaderSize = 40;
    uint32_t UsedColours = 0;
    std::vector<PaletteEntry> Palette = {};
    std::vector<Bytes> Rows = {};
    uint8_t PadByte = 0xEE; // filler of the row padding, so a reader that does not skip it shows it
};

inline Bytes buildBmp(const BmpLayout& s) {
    ByteWriter body;
    for (const PaletteEntry& p : s.Palette)
        body.u8(p.B).u8(p.G).u8(p.R).u8(0);
    const uint32_t pixelOffset = 54 + uint32_t(body.b.size());
    for (const Bytes& row : s.Rows) {
        body.b.insert(body.b.end(), row.begin(), row.end());
        body.b.insert(body.b.end(), (row.size() + 3) / 4 * 4 - row.size(), s.PadByte);
    }
    ByteWriter w;
#pragma GCC diagnostic push
// GCC 12 -O3 false positive: it takes the 2 bytes just allocated for "BM" for a region of size 0.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif
    w.raw("BM").i32(int32_t(54 + body.b.size())).i32(0).i32(int32_t(pixelOffset));
#pragma GCC diagnostic pop
    w.i32(int32_t(s.HeaderSize)).i32(s.Width).i32(s.Height).u16(1).u16(s.Bits);
    w.i32(int32_t(s.Compression)).i32(0).i32(2835).i32(2835).i32(int32_t(s.UsedColours)).i32(0);
    w.b.insert(w.b.end(), body.b.begin(), body.b.end());
    return w.b;
}

// A 24-bit picture of width x height pixels, all of one colour.
inline Bytes solidBmp(int32_t width, int32_t height, PaletteEntry colour) {
    Bytes row;
    for (int32_t x = 0; x < width; ++x)
        row.insert(row.end(), {colour.B, colour.G, colour.R});
    return buildBmp({.Width = width, .Height = height, .Rows = std::vector<Bytes>(height, row)});
}

// The message of the exception E that f throws, "(nothing thrown)" when it returns.
template <class E = std::exception, class F> std::string thrownMessage(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

// A fresh folder per test, removed afterwards.
class ScratchTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;

    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "palvorin-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name) const { return (dir / name).string(); }
    std::string write(const std::string& name, const Bytes& bytes) const {
        writeBytes(dir / name, bytes);
        return file(name);
    }
};
