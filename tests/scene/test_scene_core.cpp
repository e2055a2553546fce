// Tests of the context-free scene parts: list ids, placement matrices and error message layouts.
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectPoint(const Vec3& got, float x, float y, float z) {
    EXPECT_NEAR(got.X, x, 1e-5);
    EXPECT_NEAR(got.Y, y, 1e-5);
    EXPECT_NEAR(got.Z, z, 1e-5);
}

} // namespace

TEST(ListRegistry, IdsRunFromOneAndNonZeroIdsStay) {
    clearListRegistry();
    int32_t a = 0, b = 0, kept = 7;
    allocListId(a);
    allocListId(b);
    allocListId(kept);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(kept, 7);
    allocListId(a); // a known id is not registered twice
    EXPECT_EQ(a, 1);
    EXPECT_EQ(listRegistry, (std::vector<int32_t>{1, 2}));
    clearListRegistry();
    int32_t c = 0;
    allocListId(c);
    EXPECT_EQ(c, 1);
}

TEST(ListRegistry, RefusesMoreIdsThanTheNumberingHolds) {
    clearListRegistry();
    int32_t id = 0;
    for (int32_t i = 0; i < MaxListIds; ++i) {
        id = 0;
        allocListId(id);
    }
    EXPECT_EQ(id, MaxListIds);
    // the largest id's lists still stay clear of the special lists
    EXPECT_LT(id + PlacementListOffset, BackgroundList);
    int32_t more = 0;
    try {
        allocListId(more);
        FAIL() << "id beyond the numbering handed out";
    } catch (const EPfdError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("1900-UnOpenGL: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(more, 0);
    EXPECT_EQ(listRegistry.size(), size_t(MaxListIds));
    clearListRegistry();
}

TEST(Placement, MatrixTranslatesThenRotatesAboutXThenYThenZ) {
    Matrix4 m = CalcTraslRotObjMatrix({0, 0, 0}, {0, 90, 0});
    expectPoint(TransformPoint({1, 0, 0}, m), 0, 0, -1);
    expectPoint(TransformPoint({0, 0, 1}, m), 1, 0, 0);

    m = CalcTraslRotObjMatrix({1, 2, 3}, {90, 0, 0});
    expectPoint(TransformPoint({0, 1, 0}, m), 1, 2, 4);
    EXPECT_DOUBLE_EQ(m.m[12], 1);
    EXPECT_DOUBLE_EQ(m.m[13], 2);
    EXPECT_DOUBLE_EQ(m.m[14], 3);
    EXPECT_DOUBLE_EQ(m.m[15], 1);

    m = CalcTraslRotObjMatrix({0, 0, 0}, {0, 0, 90});
    expectPoint(TransformPoint({1, 0, 0}, m), 0, 1, 0);

    // the Z rotation acts on the point first, X last: (1,0,0) -> Y turn -> (0,0,-1) -> X turn ->
    // (0,1,0)
    m = CalcTraslRotObjMatrix({0, 0, 0}, {90, 90, 0});
    expectPoint(TransformPoint({1, 0, 0}, m), 0, 1, 0);
    m = CalcTraslRotObjMatrix({0, 0, 0}, {0, 90, 90});
    expectPoint(TransformPoint({1, 0, 0}, m), 0, 1, 0);

    // translation is applied after the rotations
    m = CalcTraslRotObjMatrix({10, 0, 0}, {0, 0, 180});
    expectPoint(TransformPoint({1, 0, 0}, m), 9, 0, 0);

    // 30 degrees about Y, by hand
    m = CalcTraslRotObjMatrix({0, 0, 0}, {0, 30, 0});
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    EXPECT_NEAR(m.m[0], c, 1e-6);
    EXPECT_NEAR(m.m[2], -s, 1e-6);
    EXPECT_NEAR(m.m[8], s, 1e-6);
    EXPECT_NEAR(m.m[10], c, 1e-6);
    EXPECT_NEAR(m.m[5], 1, 1e-12);
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

TEST(SceneErrors, MessagesCarryCodeAndContext) {
    try {
        raiseGLError(1282, "Set projection error ");
        FAIL();
    } catch (const EOGLError& e) {
        EXPECT_STREQ(e.what(), "1282: OpenGL: Set projection error ");
    }
    try {
        raiseGLError(100902, "Insufficient OpenGL memory to load BMP texture");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "100902: OpenGL: Insufficient OpenGL memory to load BMP texture");
    }
    try {
        raisePfdError(1300, "Could not set pixel format!");
        FAIL();
    } catch (const EPfdError& e) {
        EXPECT_STREQ(e.what(), "1300-UnOpenGL: Could not set pixel format!");
    }
    try {
        raisePfdError(0, "error in GLinit");
        FAIL();
    } catch (const EPfdError& e) {
        EXPECT_STREQ(e.what(), "0-UnOpenGL: error in GLinit");
    }
}
