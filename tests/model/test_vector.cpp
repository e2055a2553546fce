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

} // namespace

TEST(VectorAngle, ParallelAndOppositeGiveZeroAxis) {
    Vec3 axis{9, 9, 9};
    EXPECT_FLOAT_EQ(AngleBetween(Vec3{1, 0, 0}, Vec3{1, 0, 0}, false, axis), 0.0f);
    ExpectVec(axis, 0, 0, 0, 0);
    axis = Vec3{9, 9, 9};
    EXPECT_FLOAT_EQ(AngleBetween(Vec3{0, 1, 0}, Vec3{0, -1, 0}, false, axis), 180.0f);
    ExpectVec(axis, 0, 0, 0, 0);
}

TEST(VectorAngle, RightAngleAxisSignTellsTurnDirection) {
    Vec3 axis;
    EXPECT_FLOAT_EQ(AngleBetween(Vec3{1, 0, 0}, Vec3{0, 0, 1}, false, axis), 90.0f);
    ExpectVec(axis, 0, -1, 0);
    EXPECT_FLOAT_EQ(AngleBetween(Vec3{1, 0, 0}, Vec3{0, 0, -1}, false, axis), 90.0f);
    ExpectVec(axis, 0, 1, 0);
}

TEST(VectorAngle, ThirtyDegreesWithinTableInterpolation) {
    Vec3 axis;
    const float c = static_cast<float>(std::cos(Pi / 6)), s = static_cast<float>(std::sin(Pi / 6));
    EXPECT_NEAR(AngleBetween(Vec3{1, 0, 0}, Vec3{c, 0, s}, false, axis), 30.0f, 0.001f);
    ExpectVec(axis, 0, -1, 0);
    // Obtuse angles come from the same table, mirrored about 90 degrees.
    EXPECT_NEAR(AngleBetween(Vec3{1, 0, 0}, Vec3{-c, 0, s}, false, axis), 150.0f, 0.001f);
}

TEST(VectorAngle, InterpolatesBetweenWholeDegrees) {
    Vec3 axis;
    for (double deg : {0.5, 10.25, 44.7, 67.5}) {
        const double r = deg * Pi / 180;
        const Vec3 b{static_cast<float>(std::cos(r)), static_cast<float>(std::sin(r)), 0};
        EXPECT_NEAR(AngleBetween(Vec3{1, 0, 0}, b, false, axis), deg, 0.01) << deg;
        ExpectVec(axis, 0, 0, 1);
    }
}

TEST(VectorAngle, NormalizesInputsOnRequest) {
    Vec3 axis;
    EXPECT_FLOAT_EQ(AngleBetween(Vec3{10, 0, 0}, Vec3{0, 0, 5}, true, axis), 90.0f);
    ExpectVec(axis, 0, -1, 0);
    // A zero vector stays zero: no turn and no axis, never a NaN.
    const float a = AngleBetween(Vec3{0, 0, 0}, Vec3{0, 0, 5}, true, axis);
    EXPECT_EQ(a, 0.0f);
    ExpectVec(axis, 0, 0, 0, 0);
}

TEST(VectorMaths, NormalizeLeavesZeroVectorAndScalesOthers) {
    Vec3 z{0, 0, 0};
    Normalize(z);
    ExpectVec(z, 0, 0, 0, 0);
    Vec3 v{3, 0, -4};
    Normalize(v);
    ExpectVec(v, 0.6f, 0, -0.8f);
}

TEST(VectorMaths, SamePointToleranceIsPerAxis) {
    const Vec3 o{1, 2, 3};
    EXPECT_TRUE(SamePoint(o, Vec3{1.05f, 2, 3}));
    EXPECT_TRUE(SamePoint(o, Vec3{1, 1.95f, 3}));
    EXPECT_FALSE(SamePoint(o, Vec3{1.2f, 2, 3}));
    EXPECT_FALSE(SamePoint(o, Vec3{1, 2, 2.8f}));
    // 0.09 on each axis is 0.156 apart in space, yet the same point.
    EXPECT_TRUE(SamePoint(o, Vec3{1.09f, 2.09f, 3.09f}));
}

TEST(VectorMaths, ColorToRgbReadsLowThreeBytes) {
    ColorF c = ColorToRGB(0xFFFFFF);
    EXPECT_FLOAT_EQ(c.R, 1);
    EXPECT_FLOAT_EQ(c.G, 1);
    EXPECT_FLOAT_EQ(c.B, 1);
    c = ColorToRGB(0x0000FF);
    EXPECT_FLOAT_EQ(c.R, 1);
    EXPECT_FLOAT_EQ(c.G, 0);
    EXPECT_FLOAT_EQ(c.B, 0);
    c = ColorToRGB(0xAB804020);
    EXPECT_FLOAT_EQ(c.R, 0x20 / 255.0f);
    EXPECT_FLOAT_EQ(c.G, 0x40 / 255.0f);
    EXPECT_FLOAT_EQ(c.B, 0x80 / 255.0f);
}

TEST(VectorMaths, TriangleNormalOrientationAndNormalisation) {
    const Vec3 p0{1, 1, 1}, p1{3, 1, 1}, p2{1, 3, 1};
    ExpectVec(TriangleNormal(p0, p1, p2, false), 0, 0, 4);
    ExpectVec(TriangleNormal(p0, p2, p1, true), 0, 0, -1);
    // A degenerate triangle stays the zero vector when normalised.
    ExpectVec(TriangleNormal(p0, p1, Vec3{5, 1, 1}, true), 0, 0, 0, 0);
}

TEST(VectorMaths, TransformPointUsesColumnMajorElementsWithoutW) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = i + 1;
    // x' = 1*1 + 2*5 + 3*9 + 13, y' = 1*2 + 2*6 + 3*10 + 14, z' = 1*3 + 2*7 + 3*11 + 15.
    ExpectVec(TransformPoint(Vec3{1, 2, 3}, m), 51, 58, 65);
    ExpectVec(TransformPoint(Vec3{0, 0, 0}, TranslationMatrix(Vec3{4, 5, 6})), 4, 5, 6);
}

TEST(VectorMaths, LineHelpers) {
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
