// Tests of the vector maths: table angle and its axis, tolerant equality, colours, normals,
// transforms.
#include "model/unVectorCalc.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVec(const Vec3& v, float x, float y, float z, float tol = 1e-6f) {
    EXPECT_NEAR(v.X, x, tol);
    EXPECT_NEAR(v.Y, y, tol);
    EXPECT_NEAR(v.Z, z, tol);
}

const double Pi = 3.14159265358979323846;

Vec3 Dir(double deg, bool inXY) {
    const float c = static_cast<float>(std::cos(deg * Pi / 180));
    const float s = static_cast<float>(std::sin(deg * Pi / 180));
    return inXY ? Vec3{c, s, 0} : Vec3{c, 0, s};
}

} // namespace

TEST(VectorAngle, AngleAndAxisFromTheTable) {
    // angleTol 0 asks for the float-exact angle; a zero axis must be exactly zero (never NaN).
    struct Case {
        const char* what;
        Vec3 a, b;
        bool normalize;
        double angle, angleTol;
        Vec3 axis;
    } cases[] = {
        {"parallel", {1, 0, 0}, {1, 0, 0}, false, 0, 0, {0, 0, 0}},
        {"opposite", {0, 1, 0}, {0, -1, 0}, false, 180, 0, {0, 0, 0}},
        {"right angle up", {1, 0, 0}, {0, 0, 1}, false, 90, 0, {0, -1, 0}},
        {"right angle down", {1, 0, 0}, {0, 0, -1}, false, 90, 0, {0, 1, 0}},
        {"30", {1, 0, 0}, Dir(30, false), false, 30, 0.001, {0, -1, 0}},
        {"150 mirrored about 90", {1, 0, 0}, Dir(150, false), false, 150, 0.001, {0, -1, 0}},
        {"0.5", {1, 0, 0}, Dir(0.5, true), false, 0.5, 0.01, {0, 0, 1}},
        {"10.25", {1, 0, 0}, Dir(10.25, true), false, 10.25, 0.01, {0, 0, 1}},
        {"44.7", {1, 0, 0}, Dir(44.7, true), false, 44.7, 0.01, {0, 0, 1}},
        {"67.5", {1, 0, 0}, Dir(67.5, true), false, 67.5, 0.01, {0, 0, 1}},
        {"normalized on request", {10, 0, 0}, {0, 0, 5}, true, 90, 0, {0, -1, 0}},
        {"zero vector normalized", {0, 0, 0}, {0, 0, 5}, true, 0, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Vec3 axis{9, 9, 9};
        const float a = AngleBetween(c.a, c.b, c.normalize, axis);
        if (c.angleTol == 0)
            EXPECT_FLOAT_EQ(a, static_cast<float>(c.angle));
        else
            EXPECT_NEAR(a, c.angle, c.angleTol);
        const bool zeroAxis = c.axis.X == 0 && c.axis.Y == 0 && c.axis.Z == 0;
        ExpectVec(axis, c.axis.X, c.axis.Y, c.axis.Z, zeroAxis ? 0 : 1e-6f);
    }
}

TEST(VectorMaths, NormalizeAndSamePoint) {
    Vec3 z{0, 0, 0};
    Normalize(z);
    ExpectVec(z, 0, 0, 0, 0);
    Vec3 v{3, 0, -4};
    Normalize(v);
    ExpectVec(v, 0.6f, 0, -0.8f);

    // The tolerance is per axis: 0.09 on each axis is 0.156 apart in space, yet the same point.
    const Vec3 o{1, 2, 3};
    const std::pair<Vec3, bool> near[] = {{{1.05f, 2, 3}, true},
                                          {{1, 1.95f, 3}, true},
                                          {{1.2f, 2, 3}, false},
                                          {{1, 2, 2.8f}, false},
                                          {{1.09f, 2.09f, 3.09f}, true}};
    for (const auto& [p, same] : near)
        EXPECT_EQ(SamePoint(o, p), same) << p.X << " " << p.Y << " " << p.Z;
}

TEST(VectorMaths, ColorToRgbReadsLowThreeBytes) {
    const struct {
        TColor c;
        float r, g, b;
    } cases[] = {{0xFFFFFF, 1, 1, 1},
                 {0x0000FF, 1, 0, 0},
                 {0xAB804020, 0x20 / 255.0f, 0x40 / 255.0f, 0x80 / 255.0f}};
    for (const auto& k : cases) {
        const ColorF c = ColorToRGB(k.c);
        EXPECT_FLOAT_EQ(c.R, k.r) << std::hex << k.c;
        EXPECT_FLOAT_EQ(c.G, k.g) << std::hex << k.c;
        EXPECT_FLOAT_EQ(c.B, k.b) << std::hex << k.c;
    }
}

TEST(VectorMaths, TriangleNormalOrientationAndNormalisation) {
    const Vec3 p0{1, 1, 1}, p1{3, 1, 1}, p2{1, 3, 1};
    ExpectVec(TriangleNormal(p0, p1, p2, false), 0, 0, 4);
    ExpectVec(TriangleNormal(p0, p2, p1, true), 0, 0, -1);
    // A degenerate triangle stays the zero vector when normalised.
    ExpectVec(TriangleNormal(p0, p1, Vec3{5, 1, 1}, true), 0, 0, 0, 0);
}

TEST(VectorMaths, TransformsAndLineHelpers) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = i + 1;
    // Column-major, no w: x' = 1*1 + 2*5 + 3*9 + 13, y' = 1*2 + 2*6 + 3*10 + 14, z' = ... + 15.
    ExpectVec(TransformPoint(Vec3{1, 2, 3}, m), 51, 58, 65);
    ExpectVec(TransformPoint(Vec3{0, 0, 0}, TranslationMatrix(Vec3{4, 5, 6})), 4, 5, 6);
    ExpectVec(LinePlaneIntersection(Vec3{0, 1, 0}, Vec3{0, 2, 0}, Vec3{1, 0, 1}, Vec3{1, 4, 3}), 1,
              2, 2);
    ExpectVec(Lerp(Vec3{0, 0, 0}, Vec3{10, -10, 4}, 0.25f), 2.5f, -2.5f, 1);
    EXPECT_FLOAT_EQ(Distance(Vec3{1, 1, 1}, Vec3{4, 5, 1}), 5);
    EXPECT_FLOAT_EQ(Dot(Vec3{1, 2, 3}, Vec3{4, -5, 6}), 12);
}

TEST(VectorMaths, AdjustBrightnessClampsEveryByte) {
    // Two rows of two pixels.
    std::vector<uint8_t> px{230, 20, 100, 255, 0, 128, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(AdjustBrightness(px, 2, 2, 40), 0);
    EXPECT_EQ(px, (std::vector<uint8_t>{255, 60, 140, 255, 40, 168, 41, 42, 43, 44, 45, 46}));
    std::vector<uint8_t> dark{20, 40, 41, 255, 0, 39};
    AdjustBrightness(dark, 2, 1, -40);
    EXPECT_EQ(dark, (std::vector<uint8_t>{0, 0, 1, 215, 0, 0}));
}
