// palvorin-export's PNG pictures, made as a process with no display: size, where the solid shows
// in its colour, textures, and refusals.
#include "export_fixtures.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace fixtures;

namespace {

struct Result {
    int exitCode = -1;
    std::string err;
};

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[size_t(y * width + x) * 3]; }
};

// The view's background, (0.7, 0.8, 0.8) in 8 bits.
bool isBackground(const uint8_t* p) {
    return std::abs(p[0] - 179) <= 1 && std::abs(p[1] - 204) <= 1 && std::abs(p[2] - 204) <= 1;
}

// Lit red: from dark red to the pink of the specular highlight, never another hue.
bool isRed(const uint8_t* p) {
    return p[0] >= p[1] + 40 && std::abs(p[1] - p[2]) <= 8;
}

class ExportPicture : public ScratchTest {
  protected:
    // palvorin-export with args, DISPLAY and WAYLAND_DISPLAY unset as for a thumbnailer.
    Result cli(const std::vector<std::string>& args) {
        std::string line = "env -u DISPLAY -u WAYLAND_DISPLAY '" PALVORIN_EXPORT_BIN "'";
        for (const std::string& a : args)
            line += " '" + a + "'";
        const int status = std::system((line + " 2>'" + file("err.txt") + "'").c_str());
        Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(dir / "err.txt")};
        fs::remove(dir / "err.txt");
        return r;
    }

    static Image readPng(const fs::path& path) {
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        Image image;
        if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
        png.format = PNG_FORMAT_RGB;
        image.rgb.resize(PNG_IMAGE_SIZE(png));
        if (png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
            image.width = int(png.width);
            image.height = int(png.height);
        }
        png_image_free(&png);
        return image;
    }
};

TEST_F(ExportPicture, SolidShowsInItsColourWhereItIsAfterFitAll) {
    // The block alone, red on every face, turned so that its length runs across the picture.
    auto block = makeBlock();
    block->Groups = oneGroup(0x0000FF, "");
    for (auto& v : block->Profile)
        v.Groups[0] = 1;
    block->SetTopColor(0x0000FF);
    block->SetBottomColor(0x0000FF);
    makeDoc(dir.string(), std::move(block))->SaveToFile(file("red.plv"));

    const Result r = cli({file("red.plv"), file("red.png"), "--size", "120x80"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Image image = readPng(dir / "red.png");
    ASSERT_EQ(image.width, 120);
    ASSERT_EQ(image.height, 80);

    // Fit all centres the solid and fills the picture across; the corners stay background.
    EXPECT_TRUE(isBackground(image.at(0, 0)));
    EXPECT_TRUE(isBackground(image.at(119, 79)));
    int left = image.width, right = -1, red = 0, other = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (isBackground(p)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            (isRed(p) ? red : other)++;
        }
    EXPECT_GT(right - left, image.width * 6 / 10) << left << ".." << right;
    EXPECT_LT(std::abs((left + right) / 2 - image.width / 2), 6) << left << ".." << right;
    EXPECT_GT(red, 20 * (other + 1)) << red << " red pixels, " << other << " others";
    EXPECT_TRUE(isRed(image.at(60, 40)));
}

TEST_F(ExportPicture, ExampleIsDrawnTexturedAndSquareThroughTheFormatOption) {
    const Result r = cli({"--format", "png", "--size", "128",
                          PALVORIN_SOURCE_DIR "/examples/frame.PLV", file("frame")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Image image = readPng(dir / "frame");
    ASSERT_EQ(image.width, 128);
    ASSERT_EQ(image.height, 128);
    // The middle of the frame shows the checker image: light and dark squares.
    int light = 0, dark = 0;
    for (int y = 54; y < 74; ++y)
        for (int x = 54; x < 74; ++x) {
            const uint8_t* p = image.at(x, y);
            const int sum = p[0] + p[1] + p[2];
            (sum > 500 ? light : dark) += !isBackground(p);
        }
    EXPECT_GT(light, 50);
    EXPECT_GT(dark, 50);
}

TEST_F(ExportPicture, BadSizesAndBadDocumentsAreRefusedAsForOtherFormats) {
    const std::string vase = PALVORIN_SOURCE_DIR "/examples/vase.PLV";
    for (const char* size : {"15", "8193", "64x8193", "10x", "x64", "abc", "64x48x2", "-64"}) {
        const Result r = cli({vase, file("out.png"), "--size", size});
        EXPECT_EQ(r.exitCode, 2) << size;
        EXPECT_NE(r.err.find("16..8192"), std::string::npos) << r.err;
    }
    EXPECT_EQ(cli({vase, file("out.dxf"), "--size", "64"}).exitCode, 2);

    // Damaged (truncated) and without any complete object: the DXF export's message and status.
    Bytes whole = readBytes(vase);
    write("damaged.plv", Bytes(whole.begin(), whole.begin() + 120));
    makeDoc(dir.string(), makeIncomplete())->SaveToFile(file("unfinished.plv"));
    for (const char* doc : {"damaged.plv", "unfinished.plv"}) {
        const Result picture = cli({file(doc), file("out.png")});
        const Result drawing = cli({file(doc), file("out.dxf")});
        EXPECT_EQ(picture.exitCode, 1) << doc;
        EXPECT_EQ(picture.exitCode, drawing.exitCode) << doc;
        EXPECT_EQ(picture.err, drawing.err) << doc;
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

} // namespace
