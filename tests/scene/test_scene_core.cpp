// Tests of the context-free scene parts: list ids, placement matrices and the fitting view.
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"
#include "scene_test_files.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ListRegistry, IdsRunFromOneNonZeroIdsStayAndTheNumberingIsBounded) {
    clearListRegistry();
    int32_t a = 0, b = 0, kept = 7;
    allocListId(a);
    allocListId(b);
    allocListId(kept);
    allocListId(a); // a known id is not registered twice
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(kept, 7);
    EXPECT_EQ(listRegistry, (std::vector<int32_t>{1, 2}));
    clearListRegistry();
    int32_t id = 0;
    allocListId(id);
    EXPECT_EQ(id, 1);

    for (int32_t i = 1; i < MaxListIds; ++i) {
        id = 0;
        allocListId(id);
    }
    EXPECT_EQ(id, MaxListIds);
    // the largest id's lists still stay clear of the special lists
    EXPECT_LT(id + PlacementListOffset, BackgroundList);
    int32_t more = 0;
    const std::string m = thrownMessage<EPfdError>([&] { allocListId(more); });
    EXPECT_EQ(m.rfind("1900-UnOpenGL: ", 0), 0u) << m;
    EXPECT_EQ(more, 0);
    EXPECT_EQ(listRegistry.size(), size_t(MaxListIds));
    clearListRegistry();
}

TEST(Placement, MatrixTranslatesThenRotatesAboutXThenYThenZ) {
    const float c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    struct Case {
        Vec3 position, rotation, point, want;
    } cases[] = {
        {{0, 0, 0}, {0, 90, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 0}, {0, 90, 0}, {0, 0, 1}, {1, 0, 0}},
        {{1, 2, 3}, {90, 0, 0}, {0, 1, 0}, {1, 2, 4}},
        {{0, 0, 0}, {0, 0, 90}, {1, 0, 0}, {0, 1, 0}},
        // (1,0,0) -> Y turn -> (0,0,-1) -> X turn -> (0,1,0)
        {{0, 0, 0}, {90, 90, 0}, {1, 0, 0}, {0, 1, 0}},
        {{0, 0, 0}, {0, 90, 90}, {1, 0, 0}, {0, 1, 0}},
        // translation is applied after the rotations
        {{10, 0, 0}, {0, 0, 180}, {1, 0, 0}, {9, 0, 0}},
        {{0, 0, 0}, {0, 30, 0}, {1, 0, 0}, {c, 0, -s}},
        {{0, 0, 0}, {0, 30, 0}, {0, 1, 0}, {0, 1, 0}},
        {{0, 0, 0}, {0, 30, 0}, {0, 0, 1}, {s, 0, c}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "rotation " << k.rotation.X << "," << k.rotation.Y << "," << k.rotation.Z);
        const Vec3 got = TransformPoint(k.point, CalcTraslRotObjMatrix(k.position, k.rotation));
        EXPECT_NEAR(got.X, k.want.X, 1e-5);
        EXPECT_NEAR(got.Y, k.want.Y, 1e-5);
        EXPECT_NEAR(got.Z, k.want.Z, 1e-5);
    }
    // column-major layout: the translation sits in elements 12 to 14
    const Matrix4 m = CalcTraslRotObjMatrix({1, 2, 3}, {90, 0, 0});
    EXPECT_EQ(std::vector<double>(m.m + 12, m.m + 16), (std::vector<double>{1, 2, 3, 1}));
}

TEST(Placement, PlaceObjectHandsTheMatrixToTheCurrentRenderer) {
    setCurrentRenderer(std::make_unique<TRenderer>());
    placeObject({5, -2, 1}, {0, 90, 0});
    Matrix4 want = CalcTraslRotObjMatrix({5, -2, 1}, {0, 90, 0});
    for (int i = 0; i < 16; ++i)
        EXPECT_DOUBLE_EQ(currentRenderer()->objectMatrix.m[i], want.m[i]);
    setCurrentRenderer(nullptr);
    EXPECT_NO_THROW(placeObject({1, 1, 1}, {0, 0, 0}));
}

// Fit all: every corner of a placed box inside the view from the fitting eye, one corner close
// to its edge; the clip planes around the whole box, the fixed 1 .. 1000 for a small scene.
TEST(SceneExtent, FittingEyeSeesEveryCornerAndClipPlanesHoldTheBox) {
    struct Case {
        Vec3 lo, hi, place, turn;
        float rx, ry;
        double aspect;
    };
    const Case cases[] = {
        {{-40, -40, -100}, {40, 40, 100}, {4000, 0, 0}, {0, 0, 0}, 0, 0, 1.5},
        {{0, 0, 0}, {2500, 10, 300}, {0, -900, -6000}, {30, 45, 0}, 20, 300, 0.6},
        {{-5, -5, -5}, {5, 5, 5}, {0, 0, 0}, {0, 0, 0}, 350, 10, 1.0},
    };
    const double tanY = std::tan(30 * 3.14159265358979323846 / 180);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place.X + c.place.Y + c.place.Z);
        TSceneExtent extent;
        ExtendWorldBox(extent, c.lo, c.hi, CalcTraslRotObjMatrix(c.place, c.turn));
        const Vec3 eye = FittingEye(extent, c.rx, c.ry, 0, 60, c.aspect);
        double zNear, zFar, tightest = 0;
        ClipPlanes(eye, ViewRotated(extent.Centre(), c.rx, c.ry, 0), extent.Radius(), zNear, zFar);
        for (int k = 0; k < 8; ++k) {
            const Vec3 p{(k & 1) ? extent.Hi.X : extent.Lo.X, (k & 2) ? extent.Hi.Y : extent.Lo.Y,
                         (k & 4) ? extent.Hi.Z : extent.Lo.Z};
            const Vec3 q = ViewRotated(p, c.rx, c.ry, 0);
            const double depth = double(eye.Z) - q.Z;
            const double x = std::abs(q.X - eye.X) / (depth * tanY * c.aspect);
            const double y = std::abs(q.Y - eye.Y) / (depth * tanY);
            EXPECT_LE(std::max(x, y), 1.0);
            tightest = std::max({tightest, x, y});
            EXPECT_GT(depth, zNear);
            EXPECT_LT(depth, zFar);
        }
        EXPECT_GT(tightest, 0.8);
    }
    double zNear, zFar;
    ClipPlanes(Vec3{0, 10, 500}, Vec3{0, 0, 0}, 200, zNear, zFar);
    EXPECT_EQ(std::make_pair(zNear, zFar), std::make_pair(1.0, 1000.0));
}
