// Extrusion builder: sweeps the profile along the path into side faces, corner bands, wedges and
// caps.
#include "mesh/UnExtrusionBuilder.h"

#include "mesh/UnEndCaps.h"
#include "mesh/UnFaceAppearance.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <cmath>
#include <vector>

namespace {

// A mitre section stretches the profile across the path by 1 / cos of its cutting angle. Where a
// path turns back on itself that factor grows without bound; beyond this limit the vertex ring is
// the profile turned onto the bisector instead, as with round corners.
constexpr long double MinMitreCos = 1e-3L;

// Side faces are drawn only for slices longer than this.
constexpr float MinSliceLength = 0.05f;

Vec3 placed(const Matrix4& frame, float x, float y, float z) {
    return TransformPoint(Vec3{x, y, z}, frame);
}

Vec3 texCoord(float u, float v) {
    return Vec3{u, v, 0};
}

} // namespace

void segmentHeading(const Vec3& a, const Vec3& b, float& angle, Vec3& axis, float& heading) {
    const Vec3 direction{b.X - a.X, b.Y - a.Y, b.Z - a.Z};
    angle = AngleBetween(Vec3{0, 0, 1}, direction, true, axis);
    if (angle == 180.0f) {
        axis = Vec3{0, 1, 0};
        heading = 180;
    } else {
        heading = axis.Y < 0 ? 360 - angle : angle;
    }
}

Matrix4 frameMatrix(const Vec3& point, const Vec3& axis, float angle) {
    const Matrix4 translation = TranslationMatrix(point);
    if (angle > 0) return MultiplyMatrix(translation, RotationMatrix(angle, axis));
    return translation;
}

float trimFraction(const Vec3& a, const Vec3& b, float halfWidth, float turn) {
    if (turn == 0 || turn == 360) return 0;
    long double h = turn <= 180 ? turn / 2.0L : (360.0L - turn) / 2.0L;
    h *= DegToRad;
    const long double length = Distance(a, b);
    if (!(length > 0) || !(halfWidth > 0))
        return 0; // no length to cut, or nothing to make room for
    const long double s = std::sin(h);
    const long double c2 = 1 - s * s;
    if (!(c2 > 0)) return 0.5f; // the path turns back on itself: cut as far as allowed
    const long double t = s / std::sqrt(c2) * halfWidth / length;
    if (!(t > 0)) return 0;
    if (t > 0.5L) return 0.5f;
    return static_cast<float>(t);
}

TProfileObj vertexRing(const TProfileObj& profile, const Vec3& vertex, const Matrix4& frame,
                       float heading, float otherHeading, bool mitre) {
    const float d = heading - otherHeading;
    const float mid = std::fabs(d) <= 180 ? otherHeading + d / 2 : otherHeading + d / 2 + 180;

    Vec3 cutNormal{};
    bool useMitre = mitre;
    if (mitre) {
        float a = mid - heading;
        if (a < 0) a += 360;
        const long double radians = a * DegToRad;
        const long double c = std::cos(radians);
        if (std::fabs(c) < MinMitreCos) {
            useMitre = false;
        } else {
            cutNormal = Vec3{static_cast<float>(std::sin(radians)), 0, static_cast<float>(c)};
        }
    }
    const Matrix4 turned = useMitre ? Matrix4{} : frameMatrix(vertex, Vec3{0, 1, 0}, mid);

    TProfileObj ring;
    const int m = profile.Count();
    for (int k = 0; k < m; ++k) {
        const Vec3& p = profile.Items(k).Point;
        TProfileElementObj e;
        if (useMitre) {
            // Carry the profile point along the sweep direction onto the bisecting plane.
            const Vec3 q =
                LinePlaneIntersection(cutNormal, Vec3{}, Vec3{p.X, p.Y, 0}, Vec3{p.X, p.Y, 1});
            e.Point = TransformPoint(q, frame);
        } else {
            e.Point = placed(turned, p.X, p.Y, 0);
        }
        ring.Add(e);
    }
    return ring;
}

void buildCornerBands(const TProfileElementObj& S, TProfileObj& profile, const TProfileObj& ring,
                      const Matrix4& startFrame, const std::vector<Vec3>& prev) {
    TRenderer& renderer = *currentRenderer();
    bool textured = false;
    applyAppearance(renderer, S.Texture, S.Color, textured);

    const int m = profile.Count();
    if (ring.Count() < m || static_cast<int>(prev.size()) < m) return;
    for (int k = 0; k + 1 < m; ++k) {
        const TProfileElementObj& a = profile.Items(k);
        const TProfileElementObj& b = profile.Items(k + 1);
        const float vk = a.TexV, vk1 = b.TexV;
        const Vec3& ringK = ring.Items(k).Point;
        const Vec3& ringK1 = ring.Items(k + 1).Point;
        renderer.quads(
            TQuadVerts{ringK, prev[k], prev[k + 1], ringK1}, textured,
            TQuadVerts{texCoord(0.5f, vk), texCoord(1, vk), texCoord(1, vk1), texCoord(0.5f, vk1)});
        renderer.quads(
            TQuadVerts{placed(startFrame, a.Point.X, a.Point.Y, 0), ringK, ringK1,
                       placed(startFrame, b.Point.X, b.Point.Y, 0)},
            textured,
            TQuadVerts{texCoord(0, vk), texCoord(0.5f, vk), texCoord(0.5f, vk1), texCoord(0, vk1)});
    }
}

void buildSegment(const TProfileElementObj& S, const TProfileElementObj& E, TProfileObj& profile,
                  TSegmentOptions options, const Vec3& Pi, const Vec3& Pj, float prevHeading,
                  const std::vector<Vec3>& prevEndRing, std::vector<Vec3>& endRing, float& heading,
                  int32_t precision, int32_t segListId) {
    TRenderer& renderer = *currentRenderer();
    const int m = profile.Count();
    if (static_cast<int>(endRing.size()) < m) endRing.resize(static_cast<size_t>(m));

    float angle = 0;
    Vec3 axis{};
    segmentHeading(Pi, Pj, angle, axis, heading);
    float nextHeading = heading + E.Angle;
    if (nextHeading > 360) nextHeading -= 360 * std::trunc(nextHeading / 360);

    const Matrix4 startFrame = frameMatrix(S.Point, axis, angle);
    const Matrix4 endFrame =
        (options & soEndCap) ? frameMatrix(E.Point, axis, angle) : Matrix4::Identity();

    const double len = Distance(S.Point, E.Point);
    int32_t slices = 1;
    float step = static_cast<float>(len);
    if (len > 1) {
        slices = precision < 1 ? 1 : precision;
        step = static_cast<float>(len / slices);
    }

    const bool embedded = options & soEmbedded;
    const bool fixed = options & soFixedTexCoords;
    const bool mitreRing = options & soMitreRing;
    TProfileObj ringS, ringE;
    if (options & (soCorner | soEmbedded))
        ringS =
            vertexRing(profile, Pi, frameMatrix(Pi, axis, angle), heading, prevHeading, mitreRing);
    if (embedded)
        ringE =
            vertexRing(profile, Pj, frameMatrix(Pj, axis, angle), heading, nextHeading, mitreRing);

    renderer.initList(segListId);

    if ((options & soCorner) && S.Angle != 0)
        buildCornerBands(S, profile, ringS, startFrame, prevEndRing);

    const float uspan = E.TexU - S.TexU;
    float du0 = 0, du1 = 0;
    float ustep = uspan / slices;

    if (options & soSides) {
        bool textured = false;
        // Edges before the first group start take the default appearance, stated here so that
        // neither the corner bands nor a list drawn earlier decide their look.
        if (m >= 2 && !profile.Items(0).GroupStart)
            applyAppearance(renderer, std::string(), DefaultFaceColor, textured);
        for (int k = 0; k + 1 < m; ++k) {
            const TProfileElementObj& a = profile.Items(k);
            const TProfileElementObj& b = profile.Items(k + 1);
            if (a.GroupStart) applyAppearance(renderer, a.Texture, a.Color, textured);

            const float vNear = a.TexV;
            const float vFar =
                b.GroupStart ? (a.FlipV ? 0.0f : static_cast<float>(a.RepeatV)) : b.TexV;
            const float R = static_cast<float>(a.RepeatU);
            const float xa = a.Point.X, ya = a.Point.Y, xb = b.Point.X, yb = b.Point.Y;
            const bool wedgeAtStart = embedded && !(options & soStartCap) && S.Angle > 0;
            const bool wedgeAtEnd = embedded && !(options & soEndCap) && E.Angle > 0;

            if (embedded && textured) {
                // The wedges take the share of U that their length has along the edge.
                du0 = du1 = 0;
                const float ringSpan = Distance(ringS.Items(k).Point, ringE.Items(k).Point);
                if (wedgeAtStart) {
                    const float dq = Distance(ringS.Items(k).Point, placed(startFrame, xa, ya, 0));
                    const double denom = (options & soEndCap) ? dq + len : ringSpan;
                    du0 = denom > 0 ? static_cast<float>(uspan * dq / denom) : 0.0f;
                }
                if (wedgeAtEnd) {
                    const float dr = Distance(ringE.Items(k).Point,
                                              placed(startFrame, xa, ya, static_cast<float>(len)));
                    const double denom = (options & soStartCap) ? dr + len : ringSpan;
                    du1 = denom > 0 ? static_cast<float>(uspan * dr / denom) : 0.0f;
                }
                ustep = (uspan - (du0 + du1)) / slices;
            }

            if (wedgeAtStart) {
                const float uOuter = (1 - (S.TexU + du0)) * R, uRing = (1 - S.TexU) * R;
                renderer.quads(TQuadVerts{placed(startFrame, xa, ya, 0), ringS.Items(k).Point,
                                          ringS.Items(k + 1).Point, placed(startFrame, xb, yb, 0)},
                               textured,
                               fixed ? FixedTexCoords
                                     : TQuadVerts{texCoord(uOuter, vNear), texCoord(uRing, vNear),
                                                  texCoord(uRing, vFar), texCoord(uOuter, vFar)});
            }

            if (step > MinSliceLength && slices > 0) {
                for (int32_t j = 1; j <= slices; ++j) {
                    const float zj = j * step, zp = (j - 1) * step;
                    const float uj = (1 - (j * ustep + S.TexU + du0)) * R;
                    const float up = (1 - ((j - 1) * ustep + S.TexU + du0)) * R;
                    const TQuadVerts v{
                        placed(startFrame, xa, ya, zj), placed(startFrame, xa, ya, zp),
                        placed(startFrame, xb, yb, zp), placed(startFrame, xb, yb, zj)};
                    renderer.quads(v, textured,
                                   fixed ? FixedTexCoords
                                         : TQuadVerts{texCoord(uj, vNear), texCoord(up, vNear),
                                                      texCoord(up, vFar), texCoord(uj, vFar)});
                    if (j == slices) {
                        endRing[k] = v[0];
                        if (k == m - 2) endRing[k + 1] = v[3];
                    }
                }
            }

            if (wedgeAtEnd) {
                const float L = slices * step;
                const float uRing = (1 - E.TexU) * R, uInner = (1 - (E.TexU - du1)) * R;
                renderer.quads(TQuadVerts{ringE.Items(k).Point, placed(startFrame, xa, ya, L),
                                          placed(startFrame, xb, yb, L), ringE.Items(k + 1).Point},
                               textured,
                               fixed ? FixedTexCoords
                                     : TQuadVerts{texCoord(uRing, vNear), texCoord(uInner, vNear),
                                                  texCoord(uInner, vFar), texCoord(uRing, vFar)});
            }
        }
    }

    // A segment too short for side faces keeps the previous segment's end ring for the next
    // corner; the first one has none, so its own end section stands in for it (left empty, the
    // next corner would reach back to the origin).
    if ((options & soSides) && !(options & soCorner) && !(step > MinSliceLength && slices > 0))
        for (int k = 0; k < m; ++k) {
            const Vec3& p = profile.Items(k).Point;
            endRing[size_t(k)] = placed(startFrame, p.X, p.Y, static_cast<float>(len));
        }

    if (options & soStartCap)
        buildCap(profile, S.Point, E.Point, S.Color, S.Texture, startFrame, true);
    if (options & soEndCap)
        buildCap(profile, S.Point, E.Point, E.Color, E.Texture, endFrame, false);

    renderer.endList();
}

int32_t buildExtrusion(const std::string& name, TProfileObj& path, TProfileObj& profile,
                       int32_t precision, bool closed, bool lathe, bool mitre, bool embCorner,
                       bool fixedTexCoords, bool selected, const ColorF* /*highlight*/,
                       int32_t listId) {
    if (lathe) return listId;
    allocListId(listId);
    TRenderer& renderer = *currentRenderer();
    renderer.initObject(name);

    const int n = path.Count();
    const int m = profile.Count();
    if (n > 0) path.ComputeTexCoords(1, false);
    const float W = m > 0 ? profile.MaxAbsX() : 0.0f;
    if (n >= 2)
        path.ComputeAngles();
    else if (n == 1)
        path.Items(0).Angle = 0;

    std::vector<Vec3> endRing(static_cast<size_t>(m)), prevEndRing(static_cast<size_t>(m));
    float prevHeading = 0, heading = 0;

    for (int i = 0; i + 1 < n; ++i) {
        const TProfileElementObj& Pa = path.Items(i);
        const TProfileElementObj& Pb = path.Items(i + 1);
        TSegmentOptions options = soSides;
        if (embCorner) options |= soEmbedded;
        if (mitre) options |= soMitreRing;
        if (i > 0 && !embCorner) options |= soCorner;
        if (i == 0 && !closed) options |= soStartCap;
        if (i == n - 2 && !closed) options |= soEndCap;
        if (fixedTexCoords) options |= soFixedTexCoords;

        if (i == 0) {
            float angle = 0;
            Vec3 axis{};
            segmentHeading(path.Items(n - 2).Point, path.Items(n - 1).Point, angle, axis,
                           prevHeading);
        }

        TProfileElementObj S, E;
        Pa.AssignAttributes(S);
        Pb.AssignAttributes(E);
        if (i == 0 && !closed) {
            S.Point = Pa.Point;
        } else {
            S.Point = Lerp(Pa.Point, Pb.Point, trimFraction(Pa.Point, Pb.Point, W, Pa.Angle));
        }
        if (i == n - 2 && !closed) {
            E.Point = Pb.Point;
        } else {
            E.Point = Lerp(Pa.Point, Pb.Point, 1 - trimFraction(Pa.Point, Pb.Point, W, Pb.Angle));
        }

        if (m > 0) profile.ComputeTexCoords(2, true);
        buildSegment(S, E, profile, options, Pa.Point, Pb.Point, prevHeading, prevEndRing, endRing,
                     heading, precision, faceListId(listId, i + 1));
        prevEndRing = endRing;
        prevHeading = heading;
    }

    // The corner at the first vertex of a closed path, joining the last segment to the first.
    if (closed && !embCorner && n >= 2) {
        const TProfileElementObj& P0 = path.Items(0);
        const TProfileElementObj& P1 = path.Items(1);
        TSegmentOptions options = soCorner;
        if (mitre) options |= soMitreRing;
        TProfileElementObj S, E;
        P0.AssignAttributes(S);
        P1.AssignAttributes(E);
        S.Point = Lerp(P0.Point, P1.Point, trimFraction(P0.Point, P1.Point, W, P0.Angle));
        E.Point = P1.Point;
        buildSegment(S, E, profile, options, P0.Point, P1.Point, prevHeading, prevEndRing, endRing,
                     heading, precision, faceListId(listId, n));
    }

    renderer.endObject(listId, n + 1, selected);
    return listId;
}
