// Small value records shared by every layer (points, outline vertices, matrices, colours) and the
// vector maths on them.
#pragma once

#include <cstdint>
#include <vector>

struct Vec3 {
    float X = 0, Y = 0, Z = 0;
};

struct Point2 {
    int32_t X = 0, Y = 0;
};

// One stored outline vertex; Groups[0..9] are the group slots 1..10 of the file format.
struct OutlineVertex {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Groups[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
};
static_assert(sizeof(OutlineVertex) == 48, "outline vertex is stored as 48 bytes");

constexpr int MaxOutlineVertices = 100;

// Sixteen doubles in OpenGL column-major order (element = column * 4 + row).
struct Matrix4 {
    double m[16] = {0};
    static Matrix4 Identity();
};

struct ColorF {
    float R = 0, G = 0, B = 0, A = 0;
};

// Colour value 0x00BBGGRR.
using TColor = uint32_t;

// 3.1415926 / 180: the degree factor used by the builders, the scene and the sine table.
constexpr long double DegToRad = 3.1415926L / 180.0L;

void Normalize(Vec3& v);
Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2, bool normalize);
Vec3 TransformPoint(const Vec3& p, const Matrix4& m);
// Angle in degrees (0..180) between a and b; axis receives the normalised rotation axis or (0,0,0).
float AngleBetween(const Vec3& a, const Vec3& b, bool normalizeInputs, Vec3& axis);
float Dot(const Vec3& a, const Vec3& b);
// Intersection of the line L0-L1 with the plane (N, P); a line parallel to the plane yields L0.
Vec3 LinePlaneIntersection(const Vec3& N, const Vec3& P, const Vec3& L0, const Vec3& L1);
Vec3 Lerp(const Vec3& a, const Vec3& b, float t);
float Distance(const Vec3& a, const Vec3& b);
bool SamePoint(const Vec3& a, const Vec3& b);
ColorF ColorToRGB(TColor c);
// Nearest whole number, halves to even; NaN gives 0, values beyond 32 bits stop at the bounds.
int32_t RoundHalfEven(long double value);
// Adds delta to every byte of a bottom-up or top-down 24-bit bitmap (rows of width * 3 bytes).
int AdjustBrightness(std::vector<uint8_t>& pixels, int width, int height, int delta);

// Matrix product a * b in the column-major convention (b applied first).
Matrix4 MultiplyMatrix(const Matrix4& a, const Matrix4& b);
Matrix4 TranslationMatrix(const Vec3& t);
// Rotation of angleDeg degrees about axis, as glRotatef builds it.
Matrix4 RotationMatrix(double angleDeg, const Vec3& axis);
