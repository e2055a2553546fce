// Extrusion builder: sweeps the profile along the path into side faces, corner bands, wedges and
// caps.
#include "mesh/UnExtrusionBuilder.h"

#include "mesh/UnEndCaps.h"
#include "mesh/UnFaceAppearance.h"
#include "mesh/UnRisingSweep.h"
#include "render/UnTRenderer.h"
#include "scene/UnBmpTex.h"
#include "scene/UnOpenGL.h"

#include <algorithm>
#include <cmath>
#include <limits>
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

// Two computations of one corner along different routes (another frame, another segment) differ
// in the last bits of the largest coordinate they involve, and by what the table-interpolated
// angles of the headings and turns leave between them: up to a quarter of a degree each, so by up
// to this fraction of the corners' distance from the point their frame was placed at.
constexpr float JointUlps = 16;
constexpr float JointAngleFraction = 1e-2f;

// The farthest of points from a vertex.
float reachFrom(const std::vector<Vec3>& points, const Vec3& vertex) {
    float reach = 0;
    for (const Vec3& q : points)
        reach = std::max(reach, Distance(q, vertex));
    return reach;
}

// The distance that stands for two computations of one vertex ring in the tolerance: a mitre
// stretches the profile by 1 / cos of its cutting angle and an error of that angle by about the
// square of it, so a ring that reaches farther than the profile counts as farther still.
float ringSpread(const std::vector<Vec3>& a, const std::vector<Vec3>& b, const Vec3& vertex,
                 float profileReach) {
    const float reach = std::max(reachFrom(a, vertex), reachFrom(b, vertex));
    return profileReach > 0 ? std::max(reach, reach * reach / profileReach) : reach;
}

// How far apart a segment's corners and its neighbours' may lie and still be taken as one.
class TJointTolerance {
  public:
    static constexpr int AllCorners = 2;

    TJointTolerance(const TProfileObj& p, const Vec3& Pi, const Vec3& Pj) : profile_(p) {
        float scale = 0;
        for (const Vec3& q : {Pi, Pj})
            scale = std::max({scale, std::fabs(q.X), std::fabs(q.Y), std::fabs(q.Z)});
        for (int k = 0; k < p.Count(); ++k) {
            const Vec3& q = p.Items(k).Point;
            reach_ = std::max({reach_, std::fabs(q.X), std::fabs(q.Y)});
        }
        widest_ = p.Count() > 0 ? p.MaxAbsX() : 0.0f;
        rounding_ = JointUlps * std::numeric_limits<float>::epsilon() * (scale + reach_);
    }
    // The profile's largest distance from the path.
    float reach() const { return reach_; }
    // The limit for the corners of profile element k that lie up to `from` away from where their
    // frames were placed. side: AllCorners when every corner is meant to be shared; +1 or -1 when
    // those at the widest x on that side are (a mitre's inner corners, which the trim puts on the
    // mitre plane); 0 when none is.
    float at(size_t k, int side, float from) const {
        const bool meant =
            side == AllCorners || (side != 0 && profile_.Items(int(k)).Point.X == side * widest_);
        return meant ? std::max(rounding_, JointAngleFraction * std::max(from, reach_)) : rounding_;
    }

  private:
    const TProfileObj& profile_;
    float reach_ = 0, widest_ = 0, rounding_ = 0;
};

bool near(const Vec3& p, const Vec3& q, float tolerance) {
    return std::fabs(p.X - q.X) <= tolerance && std::fabs(p.Y - q.Y) <= tolerance &&
           std::fabs(p.Z - q.Z) <= tolerance;
}

// Each corner of own that lies close enough to the same corner of shared becomes it (side and
// from: see TJointTolerance::at).
void takeShared(std::vector<Vec3>& own, const std::vector<Vec3>& shared,
                const TJointTolerance& tolerance, int side, float from) {
    if (shared.size() < own.size()) return;
    for (size_t k = 0; k < own.size(); ++k)
        if (near(own[k], shared[k], tolerance.at(k, side, from))) own[k] = shared[k];
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

std::vector<Vec3> vertexRing(const TProfileObj& profile, const Vec3& vertex, const Matrix4& frame,
                             float heading, float otherHeading, bool mitre, int* innerSide) {
    const float d = heading - otherHeading;
    const float mid = std::fabs(d) <= 180 ? otherHeading + d / 2 : otherHeading + d / 2 + 180;

    Vec3 cutNormal{};
    bool useMitre = mitre;
    if (innerSide) *innerSide = 0;
    if (mitre) {
        float a = mid - heading;
        if (a < 0) a += 360;
        const long double radians = a * DegToRad;
        const long double c = std::cos(radians);
        if (std::fabs(c) < MinMitreCos) {
            useMitre = false;
        } else {
            const long double sine = std::sin(radians);
            cutNormal = Vec3{static_cast<float>(sine), 0, static_cast<float>(c)};
            // The plane x sin a + z cos a = 0 meets the sections beyond the vertex (z > 0) on the
            // side where x has the sign of -tan a.
            if (innerSide && sine != 0) *innerSide = sine * c > 0 ? -1 : 1;
        }
    }
    const Matrix4 turned = useMitre ? Matrix4{} : frameMatrix(vertex, Vec3{0, 1, 0}, mid);

    std::vector<Vec3> ring;
    const int m = profile.Count();
    ring.reserve(size_t(m));
    for (int k = 0; k < m; ++k) {
        const Vec3& p = profile.Items(k).Point;
        if (useMitre) {
            // Carry the profile point along the sweep direction onto the bisecting plane.
            const Vec3 q =
                LinePlaneIntersection(cutNormal, Vec3{}, Vec3{p.X, p.Y, 0}, Vec3{p.X, p.Y, 1});
            ring.push_back(TransformPoint(q, frame));
        } else {
            ring.push_back(placed(turned, p.X, p.Y, 0));
        }
    }
    return ring;
}

void buildCornerBands(const TProfileElementObj& S, TProfileObj& profile,
                      const std::vector<Vec3>& ring, const std::vector<Vec3>& start,
                      const std::vector<Vec3>& prev) {
    TRenderer& renderer = *currentRenderer();
    bool textured = false;
    applyAppearance(renderer, S.Texture, S.Color, textured);

    const size_t m = size_t(profile.Count());
    if (m < 2 || ring.size() < m || start.size() < m || prev.size() < m) return;
    // Rows 0, 1 and 2 of the grid: the previous end, the ring and the start. Every point may be
    // met beyond the bands (the sides on either hand, the ring by the other band of a round
    // corner), so all are shared.
    TPointGrid grid;
    grid.reset(3 * m);
    std::copy_n(prev.begin(), m, grid.Points.begin());
    std::copy_n(ring.begin(), m, grid.Points.begin() + std::ptrdiff_t(m));
    std::copy_n(start.begin(), m, grid.Points.begin() + std::ptrdiff_t(2 * m));
    std::fill(grid.Shared.begin(), grid.Shared.end(), uint8_t(1));
    std::vector<TQuadIndices> corners;
    std::vector<TQuadVerts> texCoords;
    corners.reserve(2 * (m - 1));
    texCoords.reserve(2 * (m - 1));
    for (size_t k = 0; k + 1 < m; ++k) {
        const float vk = profile.Items(int(k)).TexV, vk1 = profile.Items(int(k) + 1).TexV;
        const int32_t p = int32_t(k), r = int32_t(m + k), s = int32_t(2 * m + k);
        corners.push_back({r, p, p + 1, r + 1});
        texCoords.push_back(
            {texCoord(0.5f, vk), texCoord(1, vk), texCoord(1, vk1), texCoord(0.5f, vk1)});
        corners.push_back({s, r, r + 1, s + 1});
        texCoords.push_back(
            {texCoord(0, vk), texCoord(0.5f, vk), texCoord(0.5f, vk1), texCoord(0, vk1)});
    }
    renderer.gridQuads(grid, corners.data(), texCoords.data(), int32_t(corners.size()), textured);
}

void buildSegment(const TProfileElementObj& S, const TProfileElementObj& E, TProfileObj& profile,
                  TSegmentOptions options, const Vec3& Pi, const Vec3& Pj, float prevHeading,
                  TSegmentJoints& joints, float& heading, int32_t precision, int32_t segListId) {
    TRenderer& renderer = *currentRenderer();
    const int m = profile.Count();

    float angle = 0;
    Vec3 axis{};
    segmentHeading(Pi, Pj, angle, axis, heading);
    float nextHeading = heading + E.Angle;
    if (nextHeading > 360) nextHeading -= 360 * std::trunc(nextHeading / 360);

    const Matrix4 startFrame = frameMatrix(S.Point, axis, angle);

    const double len = Distance(S.Point, E.Point);
    int32_t slices = 1;
    float step = static_cast<float>(len);
    if (len > 1) {
        slices = precision < 1 ? 1 : precision;
        step = static_cast<float>(len / slices);
    }
    const bool sides = (options & soSides) && step > MinSliceLength && slices > 0;

    const bool embedded = options & soEmbedded;
    const bool fixed = options & soFixedTexCoords;
    const bool mitreRing = options & soMitreRing;
    const bool wedgeAtStart = embedded && !(options & soStartCap) && S.Angle > 0;
    const bool wedgeAtEnd = embedded && !(options & soEndCap) && E.Angle > 0;

    // The profile placed across the path where the sides begin and end, and the vertex rings.
    const float L = slices * step;
    const size_t count = static_cast<size_t>(m);
    std::vector<Vec3> start(count), end(count), ringS, ringE;
    for (int k = 0; k < m; ++k) {
        const Vec3& p = profile.Items(k).Point;
        start[size_t(k)] = placed(startFrame, p.X, p.Y, 0);
        end[size_t(k)] = placed(startFrame, p.X, p.Y, L);
    }
    int sideS = 0, sideE = 0; // the mitres' inner sides, for the sections beyond each vertex
    if (options & (soCorner | soEmbedded))
        ringS = vertexRing(profile, Pi, frameMatrix(Pi, axis, angle), heading, prevHeading,
                           mitreRing, &sideS);
    if (embedded)
        ringE = vertexRing(profile, Pj, frameMatrix(Pj, axis, angle), heading, nextHeading,
                           mitreRing, &sideE);

    // Corners meant to be the neighbours' take their points. Corner bands run from the previous
    // end through the vertex ring to this start: where a mitre puts all three on one point, the
    // ring takes the previous end's point and the start the ring's (the ring takes the start's
    // when that was drawn before); a round corner's bands fold back from the ring and keep both
    // ends. Without bands the start is the previous end.
    constexpr int All = TJointTolerance::AllCorners;
    const TJointTolerance tolerance(profile, Pi, Pj);
    const std::vector<Vec3>& prev = joints.Before.Section;
    const float ringSReach = reachFrom(ringS, Pi), ringEReach = reachFrom(ringE, Pj);
    const float prevReach = std::max(joints.Before.Reach, ringSReach);
    const float endReach = L + tolerance.reach();
    const bool bands = (options & soCorner) && S.Angle != 0;
    // The inner sides whose widest corners meet on the mitre plane: where a trim had to stop at
    // half a segment they fall short of it.
    const int prevInner = joints.Before.OnMitre ? sideS : 0;
    const int startInner = joints.Start.OnMitre ? sideS : 0;
    const int endInner = joints.End.OnMitre ? -sideE : 0;
    if (embedded) {
        takeShared(ringS, joints.Before.Ring, tolerance, All,
                   ringSpread(ringS, joints.Before.Ring, Pi, tolerance.reach()));
        if (wedgeAtStart)
            takeShared(start, ringS, tolerance, startInner, ringSReach);
        else
            takeShared(start, prev, tolerance, All, prevReach);
    } else if (bands && joints.StartDrawn) {
        takeShared(ringS, start, tolerance, startInner, prevReach);
        takeShared(ringS, prev, tolerance, prevInner, prevReach);
    } else if (bands) {
        takeShared(ringS, prev, tolerance, prevInner, prevReach);
        takeShared(start, ringS, tolerance, startInner, prevReach);
    } else if (options & soCorner) {
        takeShared(start, prev, tolerance, All, prevReach);
    }
    // The last segment of a closed path comes back to the first one's start, by the same rules
    // (Ring and Side there are those of the corner that joins them). The closing vertex of a path
    // that goes straight on there has the turn 360.
    const bool straightEnd = E.Angle == 0 || E.Angle == 360;
    if (const TSegmentJoint* after = joints.After) {
        const float afterReach = std::max({endReach, ringEReach, reachFrom(after->Ring, Pj)});
        if (embedded) {
            if (!straightEnd)
                takeShared(
                    ringE, after->Ring, tolerance, All,
                    std::max(afterReach, ringSpread(ringE, after->Ring, Pj, tolerance.reach())));
            if (!wedgeAtEnd || straightEnd)
                takeShared(end, after->Section, tolerance, All, afterReach);
        } else if (after->Section.size() >= count && after->Ring.size() >= count) {
            const int side = after->OnMitre && joints.End.OnMitre ? after->Side : 0;
            for (size_t k = 0; k < count; ++k) {
                const float limit = tolerance.at(k, straightEnd ? All : side, afterReach);
                if ((straightEnd || near(after->Ring[k], after->Section[k], limit)) &&
                    near(end[k], after->Section[k], limit))
                    end[k] = after->Section[k];
            }
        }
    }
    // A wedge on a straight end has no area: its ring is the end section.
    if (wedgeAtEnd && straightEnd)
        takeShared(ringE, end, tolerance, All, endReach);
    else if (wedgeAtEnd)
        takeShared(end, ringE, tolerance, endInner, std::max(endReach, ringEReach));

    renderer.initList(segListId);

    if (bands) buildCornerBands(S, profile, ringS, start, prev);

    const float uspan = E.TexU - S.TexU;
    float du0 = 0, du1 = 0;
    float ustep = uspan / slices;

    // The sections from the start to the end, each profile corner placed once for the two edges
    // it joins: row j is the section at the end of slice j, row 0 the start. Between the start
    // and the end the corners are the sides' own, and a corner drawn twice in the profile is one.
    TPointGrid grid;
    std::vector<int32_t> column;
    const bool gridSides = (options & soSides) && sides;
    if (gridSides) {
        const size_t rows = size_t(slices) + 1;
        grid.reset(rows * count);
        column = sameCornerColumns(profile);
        for (size_t k = 0; k < count; ++k) {
            grid.Points[k] = start[k];
            grid.Points[size_t(slices) * count + k] = end[k];
            grid.Shared[k] = grid.Shared[size_t(slices) * count + k] = 1;
        }
        for (int32_t j = 1; j < slices; ++j)
            for (int k = 0; k < m; ++k) {
                const Vec3& p = profile.Items(k).Point;
                grid.Points[size_t(j) * count + size_t(k)] = placed(startFrame, p.X, p.Y, j * step);
            }
    }
    std::vector<TQuadIndices> gridCorners;
    std::vector<TQuadVerts> gridTexCoords;

    if (options & soSides) {
        TBandEdges edges(renderer, profile);
        const bool& textured = edges.textured;
        for (int k = 0; k + 1 < m; ++k) {
            const size_t ka = size_t(k), kb = ka + 1;
            const TBandEdge edge = edges.edge(k);
            const float R = edge.RepeatU;
            const float xa = profile.Items(k).Point.X, ya = profile.Items(k).Point.Y;

            if (embedded && textured) {
                // The wedges take the share of U that their length has along the edge.
                du0 = du1 = 0;
                const float ringSpan = Distance(ringS[ka], ringE[ka]);
                if (wedgeAtStart) {
                    const float dq = Distance(ringS[ka], placed(startFrame, xa, ya, 0));
                    const double denom = (options & soEndCap) ? dq + len : ringSpan;
                    du0 = denom > 0 ? static_cast<float>(uspan * dq / denom) : 0.0f;
                }
                if (wedgeAtEnd) {
                    const float dr =
                        Distance(ringE[ka], placed(startFrame, xa, ya, static_cast<float>(len)));
                    const double denom = (options & soStartCap) ? dr + len : ringSpan;
                    du1 = denom > 0 ? static_cast<float>(uspan * dr / denom) : 0.0f;
                }
                ustep = (uspan - (du0 + du1)) / slices;
            }

            if (wedgeAtStart) {
                const float uOuter = (1 - (S.TexU + du0)) * R, uRing = (1 - S.TexU) * R;
                renderer.quads(TQuadVerts{start[ka], ringS[ka], ringS[kb], start[kb]}, textured,
                               edge.quadTexCoords(uOuter, uRing, fixed));
            }

            if (gridSides) {
                auto at = [&](int32_t j, size_t k) {
                    const bool inside = j > 0 && j < slices;
                    return int32_t(size_t(j) * count + (inside ? size_t(column[k]) : k));
                };
                gridCorners.resize(size_t(slices));
                gridTexCoords.resize(size_t(slices));
                for (int32_t j = 1; j <= slices; ++j) {
                    const float uj = (1 - (j * ustep + S.TexU + du0)) * R;
                    const float up = (1 - ((j - 1) * ustep + S.TexU + du0)) * R;
                    gridCorners[size_t(j - 1)] = {at(j, ka), at(j - 1, ka), at(j - 1, kb),
                                                  at(j, kb)};
                    gridTexCoords[size_t(j - 1)] = edge.quadTexCoords(uj, up, fixed);
                }
                renderer.gridQuads(grid, gridCorners.data(), gridTexCoords.data(), slices,
                                   textured);
            }

            if (wedgeAtEnd) {
                const float uRing = (1 - E.TexU) * R, uInner = (1 - (E.TexU - du1)) * R;
                renderer.quads(TQuadVerts{ringE[ka], end[ka], end[kb], ringE[kb]}, textured,
                               edge.quadTexCoords(uRing, uInner, fixed));
            }
        }
    }

    if (options & soStartCap)
        buildCap(profile, S.Point, E.Point, S.Color, S.Texture, startFrame, true, &start);
    if (options & soEndCap)
        buildCap(profile, S.Point, E.Point, E.Color, E.Texture, frameMatrix(E.Point, axis, angle),
                 false, &end);

    renderer.endList();

    // A segment too short for side faces keeps the previous segment's end for the next corner;
    // the first one has none, so its own end section stands in for it (left empty, the next
    // corner would reach back to the origin).
    const bool keepsPrevious = (options & soCorner) && !sides && prev.size() >= size_t(m);
    joints.End.Section = keepsPrevious ? prev : end;
    joints.End.Reach = keepsPrevious ? joints.Before.Reach : endReach;
    if (keepsPrevious) joints.End.OnMitre = false; // that end belongs to another vertex
    joints.End.Ring = std::move(ringE);
    joints.Start.Section = std::move(start);
    joints.Start.Ring = std::move(ringS);
    joints.Start.Reach = tolerance.reach();
}

int32_t buildExtrusion(const std::string& name, TProfileObj& path, TProfileObj& profile,
                       int32_t precision, bool closed, bool lathe, bool mitre, bool embCorner,
                       bool fixedTexCoords, bool selected, const ColorF* /*highlight*/,
                       int32_t listId) {
    if (lathe) return listId;
    if (pathRises(path))
        return buildRisingExtrusion(name, path, profile, precision, closed, mitre, embCorner,
                                    fixedTexCoords, selected, listId);
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

    TSegmentJoints joints;
    TSegmentJoint first; // where a closed path's last segment comes back to
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
        joints.Start.OnMitre = joints.End.OnMitre = false;
        if (i == 0 && !closed) {
            S.Point = Pa.Point;
        } else {
            const float t = trimFraction(Pa.Point, Pb.Point, W, Pa.Angle);
            S.Point = Lerp(Pa.Point, Pb.Point, t);
            joints.Start.OnMitre = t < 0.5f;
        }
        if (i == n - 2 && !closed) {
            E.Point = Pb.Point;
        } else {
            const float t = trimFraction(Pa.Point, Pb.Point, W, Pb.Angle);
            E.Point = Lerp(Pa.Point, Pb.Point, 1 - t);
            joints.End.OnMitre = t < 0.5f;
        }

        if (m > 0) profile.ComputeTexCoords(2, true);
        joints.After = closed && i > 0 && i == n - 2 ? &first : nullptr;
        buildSegment(S, E, profile, options, Pa.Point, Pb.Point, prevHeading, joints, heading,
                     precision, faceListId(listId, i + 1));
        if (i == 0 && closed) {
            first = joints.Start;
            if (!embCorner) {
                // The ring of the corner that closes the path, as that corner will compute it.
                float angle = 0, h = 0;
                Vec3 axis{};
                segmentHeading(Pa.Point, Pb.Point, angle, axis, h);
                first.Ring = vertexRing(profile, Pa.Point, frameMatrix(Pa.Point, axis, angle), h,
                                        prevHeading, mitre, &first.Side);
            }
        }
        joints.Before = std::move(joints.End);
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
        const float t = trimFraction(P0.Point, P1.Point, W, P0.Angle);
        S.Point = Lerp(P0.Point, P1.Point, t);
        E.Point = P1.Point;
        joints.After = nullptr;
        joints.StartDrawn = true;
        joints.Start.OnMitre = t < 0.5f;
        buildSegment(S, E, profile, options, P0.Point, P1.Point, prevHeading, joints, heading,
                     precision, faceListId(listId, n));
    }

    renderer.endObject(listId, n + 1, selected);
    return listId;
}
