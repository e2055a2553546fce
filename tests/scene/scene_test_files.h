// Test helpers for the scene tests: a scratch-directory fixture, raw file I/O and a BMP builder.
#pragma once

#include "scene/UnBmpTex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace scenetest {

using Bytes = std::vector<uint8_t>;

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
    b.insert(b.end(), {uint8_t(v & 0xFF), uint8_t(v >> 8)});
}

inline void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xFF);
}

// The message of the exception E that f throws; a test failure when f throws nothing.
template <class E, class F> std::string messageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    ADD_FAILURE() << "nothing thrown";
    return "";
}

// A fresh directory per test and an empty texture table without uploader; both cleaned up after.
class ScratchTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("palvorin_scene_" + std::to_string(::getpid()) + "_" + info->test_suite_name() +
               "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        textureTable.clear();
        setTextureUploader(nullptr);
    }
    void TearDown() override {
        setTextureUploader(nullptr);
        textureTable.clear();
        std::filesystem::remove_all(dir);
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        writeFile(dir / name, bytes);
        return (dir / name).string();
    }
};

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
    std::vector<PaletteEntry> Palette = {};
    std::vector<Bytes> Rows = {};
    uint8_t PadByte = 0xEE; // filler of the row padding, so a reader that does not skip it shows it
};

inline Bytes buildBmp(const BmpLayout& s) {
    Bytes body;
    for (const PaletteEntry& p : s.Palette)
        body.insert(body.end(), {p.B, p.G, p.R, 0});
    const uint32_t pixelOffset = 14 + 40 + static_cast<uint32_t>(body.size());
    for (const Bytes& row : s.Rows) {
        body.insert(body.end(), row.begin(), row.end());
        body.insert(body.end(), (row.size() + 3) / 4 * 4 - row.size(), s.PadByte);
    }
    Bytes b{'B', 'M'};
    for (uint32_t v : {uint32_t(54 + body.size()), 0u, pixelOffset, s.HeaderSize, uint32_t(s.Width),
                       uint32_t(s.Height)})
        put32(b, v);
    put16(b, 1);
    put16(b, s.Bits);
    for (uint32_t v : {s.Compression, 0u, 2835u, 2835u, s.UsedColours, 0u})
        put32(b, v);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A small valid 24-bit picture of one colour, for tests that only need a loadable file.
inline Bytes solidBmp(int32_t width, int32_t height, PaletteEntry colour) {
    BmpLayout s{.Width = width, .Height = height};
    Bytes row;
    for (int32_t x = 0; x < width; ++x)
        row.insert(row.end(), {colour.B, colour.G, colour.R});
    s.Rows.assign(size_t(height), row);
    return buildBmp(s);
}

} // namespace scenetest
