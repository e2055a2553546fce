// Vector maths: normals, the sine-table angle, point transformation, interpolation and colour
// conversion.
#include "model/unVectorCalc.h"

#include <cmath>

namespace {

using Ext = long double;

double SineTable[91];
bool SineTableFilled = false;

void FillSineTable() {
    for (int i = 0; i < 90; ++i)
        SineTable[i] = static_cast<double>(std::sin(static_cast<Ext>(i) * DegToRad));
    SineTable[90] = 1.0;
    SineTableFilled = true;
}

} // namespace

Matrix4 Matrix4::Identity() {
    Matrix4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
    return r;
}

void Normalize(Vec3& v) {
    Ext len = std::sqrt(static_cast<Ext>(v.X) * v.X + static_cast<Ext>(v.Y) * v.Y +
                        static_cast<Ext>(v.Z) * v.Z);
    if (len == 0) return;
    v.X = static_cast<float>(v.X / len);
    v.Y = static_cast<float>(v.Y / len);
    v.Z = static_cast<float>(v.Z / len);
}

Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2, bool normalize) {
    Ext ax = Ext(p1.X) - p0.X, ay = Ext(p1.Y) - p0.Y, az = Ext(p1.Z) - p0.Z;
    Ext bx = Ext(p2.X) - p0.X, by = Ext(p2.Y) - p0.Y, bz = Ext(p2.Z) - p0.Z;
    Ext nx = ay * bz - az * by;
    Ext ny = az * bx - ax * bz;
    Ext nz = ax * by - ay * bx;
    if (normalize) {
        Ext len = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (len > 0) {
            nx /= len;
            ny /= len;
            nz /= len;
        }
    }
    return Vec3{static_cast<float>(nx), static_cast<float>(ny), static_cast<float>(nz)};
}

Vec3 TransformPoint(const Vec3& p, const Matrix4& m) {
    const double* e = m.m;
    Ext x = p.X, y = p.Y, z = p.Z;
    return Vec3{static_cast<float>(x * e[0] + y * e[4] + z * e[8] + e[12]),
                static_cast<float>(x * e[1] + y * e[5] + z * e[9] + e[13]),
                static_cast<float>(x * e[2] + y * e[6] + z * e[10] + e[14])};
}

float AngleBetween(const Vec3& a, const Vec3& b, bool normalizeInputs, Vec3& axis) {
    Vec3 na = a, nb = b;
    if (normalizeInputs) {
        Normalize(na);
        Normalize(nb);
    }
    Vec3 cross = TriangleNormal(Vec3{}, na, nb, false);
    Ext s = std::sqrt(Ext(cross.X) * cross.X + Ext(cross.Y) * cross.Y + Ext(cross.Z) * cross.Z);
    Ext d = Ext(na.X) * nb.X + Ext(na.Y) * nb.Y + Ext(na.Z) * nb.Z;
    if (s == 0) {
        axis = Vec3{0, 0, 0};
    } else {
        axis = Vec3{static_cast<float>(cross.X / s), static_cast<float>(cross.Y / s),
                    static_cast<float>(cross.Z / s)};
    }
    if (!SineTableFilled) FillSineTable();
    Ext sa = std::fabs(s);
    Ext angle;
    if (sa <= 0) {
        angle = 0;
    } else if (sa >= 1) {
        angle = 90;
    } else {
        int i = 0;
        while (i < 91 && SineTable[i] <= sa)
            ++i;
        if (i >= 91) i = 90;
        angle = (i - 1) + (sa - SineTable[i - 1]) / (Ext(SineTable[i]) - SineTable[i - 1]);
    }
    if (d < 0) angle = 180 - angle;
    return static_cast<float>(angle);
}

float Dot(const Vec3& a, const Vec3& b) {
    return static_cast<float>(Ext(a.X) * b.X + Ext(a.Y) * b.Y + Ext(a.Z) * b.Z);
}

Vec3 LinePlaneIntersection(const Vec3& N, const Vec3& P, const Vec3& L0, const Vec3& L1) {
    Ext dx = Ext(L1.X) - L0.X, dy = Ext(L1.Y) - L0.Y, dz = Ext(L1.Z) - L0.Z;
    Ext denom = N.X * dx + N.Y * dy + N.Z * dz;
    if (denom == 0) return L0;
    Ext t = (N.X * (Ext(P.X) - L0.X) + N.Y * (Ext(P.Y) - L0.Y) + N.Z * (Ext(P.Z) - L0.Z)) / denom;
    return Vec3{static_cast<float>(L0.X + dx * t), static_cast<float>(L0.Y + dy * t),
                static_cast<float>(L0.Z + dz * t)};
}

Vec3 Lerp(const Vec3& a, const Vec3& b, float t) {
    return Vec3{static_cast<float>(a.X + (Ext(b.X) - a.X) * t),
                static_cast<float>(a.Y + (Ext(b.Y) - a.Y) * t),
                static_cast<float>(a.Z + (Ext(b.Z) - a.Z) * t)};
}

float Distance(const Vec3& a, const Vec3& b) {
    Ext dx = Ext(b.X) - a.X, dy = Ext(b.Y) - a.Y, dz = Ext(b.Z) - a.Z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

bool SamePoint(const Vec3& a, const Vec3& b) {
    return std::fabs(Ext(a.X) - b.X) <= 0.1L && std::fabs(Ext(a.Y) - b.Y) <= 0.1L &&
           std::fabs(Ext(a.Z) - b.Z) <= 0.1L;
}

ColorF ColorToRGB(TColor c) {
    ColorF r;
    r.R = static_cast<float>((c & 0xFF) / Ext(255));
    r.G = static_cast<float>(((c >> 8) & 0xFF) / Ext(255));
    r.B = static_cast<float>(((c >> 16) & 0xFF) / Ext(255));
    r.A = 1.0f;
    return r;
}

int32_t RoundHalfEven(long double value) {
    if (std::isnan(value)) return 0;
    const long double r = std::nearbyint(value); // the default rounding mode: halves to even
    if (r >= 2147483647.0L) return 2147483647;
    if (r <= -2147483648.0L) return -2147483647 - 1;
    return static_cast<int32_t>(r);
}

int AdjustBrightness(std::vector<uint8_t>& pixels, int width, int height, int delta) {
    size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int row = 0; row < height; ++row) {
        size_t base = static_cast<size_t>(row) * rowBytes;
        for (size_t i = 0; i < rowBytes && base + i < pixels.size(); ++i) {
            int v = pixels[base + i] + delta;
            pixels[base + i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
    return 0;
}

Matrix4 MultiplyMatrix(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            long double s = 0;
            for (int k = 0; k < 4; ++k)
                s += (long double)a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = static_cast<double>(s);
        }
    return r;
}

Matrix4 TranslationMatrix(const Vec3& t) {
    Matrix4 r = Matrix4::Identity();
    r.m[12] = t.X;
    r.m[13] = t.Y;
    r.m[14] = t.Z;
    return r;
}

Matrix4 RotationMatrix(double angleDeg, const Vec3& axis) {
    // glRotatef works in single precision with the exact pi; so do we.
    long double len = std::sqrt((long double)axis.X * axis.X + (long double)axis.Y * axis.Y +
                                (long double)axis.Z * axis.Z);
    if (len == 0) return Matrix4::Identity();
    long double x = axis.X / len, y = axis.Y / len, z = axis.Z / len;
    long double a = angleDeg * 3.14159265358979323846L / 180.0L;
    long double c = std::cos(a), s = std::sin(a), ic = 1 - c;
    Matrix4 r = Matrix4::Identity();
    r.m[0] = double(x * x * ic + c);
    r.m[1] = double(y * x * ic + z * s);
    r.m[2] = double(x * z * ic - y * s);
    r.m[4] = double(x * y * ic - z * s);
    r.m[5] = double(y * y * ic + c);
    r.m[6] = double(y * z * ic + x * s);
    r.m[8] = double(x * z * ic + y * s);
    r.m[9] = double(y * z * ic - x * s);
    r.m[10] = double(z * z * ic + c);
    return r;
}
