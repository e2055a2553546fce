// Helpers shared by the model tests: outline and group builders, settings tuples, a scratch folder.
#pragma once

#include "model/UnTExtrObj.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <tuple>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline OutlineVertex V(int32_t x, int32_t y, int32_t group = 0) {
    OutlineVertex v;
    v.X = x;
    v.Y = y;
    v.Groups[0] = group;
    return v;
}

inline void SetOutline(std::array<OutlineVertex, MaxOutlineVertices>& outline, int32_t& count,
                       std::initializer_list<OutlineVertex> vertices) {
    count = 0;
    for (const OutlineVertex& v : vertices)
        outline[static_cast<size_t>(count++)] = v;
}

inline TGroupRef MakeGroup(int32_t id, TColor color, const std::string& texture = "",
                           int32_t repeatU = 1, int32_t repeatV = 1, bool flipU = false,
                           bool flipV = false) {
    return std::make_shared<TGroupPropertyObj>(
        TGroupPropertyObj{id, color, texture, repeatU, repeatV, flipU, flipV});
}

// The settings an object and its options copy share, name, placement and textures folder aside.
template <class T> auto Settings(T& o) {
    return std::tie(o.Precision, o.ProfileScale, o.PathScale, o.Lathe, o.RoundCorner, o.EmbCorner,
                    o.CornersColor, o.CornersTexture, o.TopColor, o.TopTexture, o.BottomColor,
                    o.BottomTexture);
}

inline void ExpectOptionsMatchObject(const TExtrObj& o) {
    EXPECT_EQ(o.Options.Name, o.Name);
    EXPECT_EQ(o.Options.TexDir, o.TexDir);
    EXPECT_EQ(Settings(o.Options), Settings(o));
}

// A fresh folder per test, removed afterwards, with whole-file helpers.
class ScratchDirTest : public ::testing::Test {
  protected:
    std::filesystem::path dir;

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "palvorin-model-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name) const { return (dir / name).string(); }

    static Bytes readAll(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void writeAll(const std::string& name, const Bytes& bytes) {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
};
