// Helical paths and lathe pitches: vertices, heights, hand, and the values refused with a message.
#include "ModelTestUtil.h"
#include "model/UnHelixPath.h"
#include "model/UnLathePitch.h"

#include <cmath>

TEST(HelixPath, VerticesHeightsAndHand) {
    THelixShape s;
    s.Radius = 50;
    s.RisePerTurn = 30;
    s.Turns = 3;
    s.StepsPerTurn = 24;
    const THelixPath right = makeHelixPath(s, 10); // tenths of a millimetre
    ASSERT_EQ(right.Count, 73);
    EXPECT_EQ(right.Vertices[0].X, 0);
    EXPECT_EQ(right.Vertices[0].Y, 500);
    EXPECT_EQ(right.Vertices[6].X, 500); // a quarter turn on: +X
    EXPECT_FLOAT_EQ(right.Heights[72], 900);
    s.LeftHand = true;
    s.StartAngle = 90;
    const THelixPath left = makeHelixPath(s, 100);
    EXPECT_EQ(left.Vertices[0].X, 50);
    EXPECT_EQ(left.Vertices[6].Y, 50);
    EXPECT_EQ(left.Vertices[6].X, 0);
    EXPECT_EQ(left.Vertices[12].X, -50);
}

TEST(HelixPath, RefusedValuesSayWhy) {
    const struct {
        double radius, rise, turns;
        int steps;
        const char* says;
    } cases[] = {
        {50, 30, 5, 24, "would need 121 vertices"},
        {50, 30, 1e300, 24, "would need too many vertices"},
        {0, 30, 1, 24, "radius"},
        {50, NAN, 1, 24, "rise per turn"},
        {50, 30, 0, 24, "turns"},
        {50, 30, 1, 2, "at least 3 steps"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        THelixShape s;
        s.Radius = c.radius, s.RisePerTurn = c.rise, s.Turns = c.turns, s.StepsPerTurn = c.steps;
        EXPECT_NE(helixProblem(s).find(c.says), std::string::npos) << helixProblem(s);
        EXPECT_THROW(makeHelixPath(s, 100), std::invalid_argument);
    }
    EXPECT_EQ(lathePitchError(24, 30, 4), "");
    EXPECT_NE(lathePitchError(24, 30, 5).find("would need 121 vertices"), std::string::npos);
    EXPECT_NE(lathePitchError(24, NAN, 1).find("rise per turn"), std::string::npos);
    EXPECT_NE(lathePitchError(24, 5, -1).find("turns"), std::string::npos);
}

// The warning that turns overlap compares the rise with the profile's height in millimetres.
TEST(HelixPath, OverlapWarning) {
    TExtrObj o;
    SetOutline(o.Profile, o.ProfileCount, {V(0, 0), V(20, 0), V(20, 40), V(0, 0)});
    o.SetProfileScale(50); // 20 mm high
    o.LatheRise = 15;
    EXPECT_NE(lathePitchWarning(o).find("overlap"), std::string::npos);
    o.LatheRise = -25;
    EXPECT_EQ(lathePitchWarning(o), "");
}
