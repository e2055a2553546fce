// Test helpers for the scene tests: a scratch directory, raw file I/O and a BMP file builder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace scenetest {

using Bytes = std::vector<uint8_t>;

// A fresh directory per test, removed afterwards.
inline std::filesystem::path makeScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string leaf = std::string("palvorin_scene_") + std::to_string(::getpid()) + "_" +
                       (info ? std::string(info->test_suite_name()) + "_" + info->name() : "x");
    auto dir = std::filesystem::temp_directory_path() / leaf;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void put16(Bytes& b, uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}

inline void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xFF);
}

struct PaletteEntry {
    uint8_t R, G, B;
};

// Description of a BMP file; rows are the stored bytes of each row, bottom row first, without
// padding.
struct BmpLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Bits = 24;
    uint32_t Compression = 0;
    uint32_t HeaderSize = 40;
    uint32_t UsedColours = 0;
    std::vector<PaletteEntry> Palette;
    std::vector<Bytes> Rows;
    uint8_t PadByte = 0xEE; // filler of the row padding, so a reader that does not skip it shows it
};

inline Bytes buildBmp(const BmpLayout& s) {
    Bytes body;
    for (const PaletteEntry& p : s.Palette) {
        body.push_back(p.B);
        body.push_back(p.G);
        body.push_back(p.R);
        body.push_back(0);
    }
    const uint32_t pixelOffset = 14 + 40 + static_cast<uint32_t>(body.size());
    for (const Bytes& row : s.Rows) {
        body.insert(body.end(), row.begin(), row.end());
        size_t padded = (row.size() + 3) / 4 * 4;
        body.insert(body.end(), padded - row.size(), s.PadByte);
    }
    Bytes b{'B', 'M'};
    put32(b, static_cast<uint32_t>(54 + body.size()));
    put32(b, 0);
    put32(b, pixelOffset);
    put32(b, s.HeaderSize);
    put32(b, static_cast<uint32_t>(s.Width));
    put32(b, static_cast<uint32_t>(s.Height));
    put16(b, 1);
    put16(b, s.Bits);
    put32(b, s.Compression);
    put32(b, 0);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, s.UsedColours);
    put32(b, 0);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A small valid 24-bit picture of one colour, for tests that only need a loadable file.
inline Bytes solidBmp(int32_t width, int32_t height, PaletteEntry colour) {
    BmpLayout s;
    s.Width = width;
    s.Height = height;
    for (int32_t y = 0; y < height; ++y) {
        Bytes row;
        for (int32_t x = 0; x < width; ++x) {
            row.push_back(colour.B);
            row.push_back(colour.G);
            row.push_back(colour.R);
        }
        s.Rows.push_back(row);
    }
    return buildBmp(s);
}

} // namespace scenetest
