// Rulers as the user sees them: ticks, labels and hair lines read back from the painted pixels.
#include "editor/RsRuler.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

constexpr int Length = 400;
// Labels and half-way marks stand beyond the long ticks.
constexpr int LongTickEnd = 8;

QImage shot(TRsRuler& ruler) {
    return ruler.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool dark(QRgb p) {
    return qGray(p) < 128;
}

// The pixel pos along and depth out from the inner edge of a flat ruler (the drawing's side).
QRgb pixelAt(const QImage& img, TRulerDir dir, int pos, int depth) {
    const int t = RulerThickness - 1;
    switch (dir) {
    case rdTop:
        return img.pixel(pos, t - depth);
    case rdBottom:
        return img.pixel(pos, depth);
    case rdLeft:
        return img.pixel(t - depth, pos);
    case rdRight:
        break;
    }
    return img.pixel(depth, pos);
}

// Dark pixels with pos in [pos0, pos1] and depth in [depth0, depth1]: count and extents.
struct Ink {
    int count = 0, posMin = 1 << 20, posMax = -1, depthMin = 1 << 20, depthMax = -1;
    double posSum = 0;
};
Ink ink(const QImage& img, TRulerDir dir, int pos0, int pos1, int depth0, int depth1) {
    Ink r;
    for (int p = pos0; p <= pos1; ++p)
        for (int d = depth0; d <= depth1; ++d)
            if (dark(pixelAt(img, dir, p, d))) {
                ++r.count;
                r.posSum += p;
                r.posMin = std::min(r.posMin, p), r.posMax = std::max(r.posMax, p);
                r.depthMin = std::min(r.depthMin, d), r.depthMax = std::max(r.depthMax, d);
            }
    return r;
}

// A flat custom-unit ruler, 400 pixels long, one label every 150 pixels.
struct CustomRuler {
    TRsRuler ruler;
    explicit CustomRuler(TRulerDir dir) {
        ruler.resize(Length, RulerThickness);
        ruler.SetDirection(dir);
        ruler.SetFlat(true);
        ruler.SetUnits(ruCustom);
        ruler.SetAdvance(15);
    }
};

class RulerDirections : public ::testing::TestWithParam<TRulerDir> {};

TEST_P(RulerDirections, CustomUnitsTicksAndLabels) {
    const TRulerDir dir = GetParam();
    CustomRuler c(dir);
    const bool vertical = dir == rdLeft || dir == rdRight;
    EXPECT_EQ(c.ruler.size(),
              vertical ? QSize(RulerThickness, Length) : QSize(Length, RulerThickness));
    const QImage img = shot(c.ruler);

    // Minor ticks every 30 pixels, 8 long at 0, 150, 300 and 6 long elsewhere; none in between.
    for (int pos : {0, 150, 300})
        EXPECT_TRUE(dark(pixelAt(img, dir, pos, 7))) << pos;
    for (int pos : {30, 60, 120, 330}) {
        EXPECT_TRUE(dark(pixelAt(img, dir, pos, 5))) << pos;
        EXPECT_FALSE(dark(pixelAt(img, dir, pos, 6))) << pos;
    }
    EXPECT_EQ(ink(img, dir, 31, 59, 0, 7).count, 0);

    // "1" and "2" centred on 150 and 300, beyond the ticks; no number before 140.
    for (int pos : {150, 300}) {
        const Ink label = ink(img, dir, pos - 20, pos + 20, LongTickEnd, RulerThickness - 1);
        ASSERT_GT(label.count, 4) << pos;
        EXPECT_NEAR(label.posSum / label.count, pos, 2.5) << pos;
    }
    EXPECT_EQ(ink(img, dir, 80, 140, LongTickEnd, RulerThickness - 1).count, 0);
    // Labels read along the ruler (turned on vertical ones): the "1" is narrow along it.
    const Ink one = ink(img, dir, 130, 170, LongTickEnd, RulerThickness - 1);
    EXPECT_LT(one.posMax - one.posMin, one.depthMax - one.depthMin);
    // Half-way marks at 75 and 225, from 12 to 15 pixels out.
    for (int pos : {75, 225}) {
        const Ink mark = ink(img, dir, pos - 3, pos + 3, 0, RulerThickness - 1);
        EXPECT_EQ(mark.posMin, pos);
        EXPECT_EQ(mark.posMax, pos);
        EXPECT_EQ(mark.depthMin, 12);
        EXPECT_EQ(mark.depthMax, 15);
    }
}

INSTANTIATE_TEST_SUITE_P(Rulers, RulerDirections,
                         ::testing::Values(rdTop, rdLeft, rdRight, rdBottom));

TEST(RsRuler, RejectedValuesChangeNothing) {
    CustomRuler c(rdTop);
    c.ruler.SetScale(100);
    const QImage before = shot(c.ruler);
    for (double advance : {0.0, -3.0})
        c.ruler.SetAdvance(advance);
    c.ruler.SetScale(0);
    EXPECT_EQ(c.ruler.Advance(), 15.0);
    EXPECT_EQ(c.ruler.Scale(), 100);
    EXPECT_EQ(shot(c.ruler), before);
}

TEST(RsRuler, HairLineInvertsTheBandOnly) {
    CustomRuler c(rdTop);
    const QImage plain = shot(c.ruler);
    c.ruler.SetHairLine(true);
    EXPECT_EQ(shot(c.ruler), plain) << "position -1 draws no hair line";

    struct Case {
        THairLineStyle style;
        int pos, firstColumn;
    };
    for (const Case& k : {Case{hlsLine, 77, 77}, Case{hlsRect, 77, 0}}) {
        c.ruler.SetHairLineStyle(k.style);
        c.ruler.SetHairLinePos(k.pos);
        const QImage img = shot(c.ruler);
        int changed = 0;
        for (int x = 0; x < Length; ++x)
            for (int y = 0; y < RulerThickness; ++y) {
                if (img.pixel(x, y) == plain.pixel(x, y)) continue;
                ++changed;
                EXPECT_TRUE(x >= k.firstColumn && x <= k.pos) << x;
                EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, ~plain.pixel(x, y) & 0xFFFFFF);
            }
        const int columns = k.pos - k.firstColumn + 1;
        EXPECT_EQ(changed, columns * TRulerBand::depth(true)) << k.style;
        c.ruler.SetHairLinePos(-1);
        EXPECT_EQ(shot(c.ruler), plain);
    }
}

TEST(RsRuler, StepsOfTheMeasuringUnits) {
    TRsRuler ruler;
    const double dpi = ruler.logicalDpiX();
    struct Case {
        TRulerUnit units;
        int scale;
        double factor, step; // step in pixels
    };
    const Case cases[] = {
        {ruMilli, 100, 1, dpi / 25.4},
        {ruCenti, 1, 100, dpi / 25.4},
        {ruCenti, 2, 50, dpi / 25.4},
        {ruCenti, 5, 25, 5 * 25 * dpi / 2540},
        {ruCenti, 6, 20, 6 * 20 * dpi / 2540},
        {ruCenti, 12, 10, 12 * 10 * dpi / 2540},
        {ruCenti, 13, 5, 13 * 5 * dpi / 2540},
        {ruCenti, 125, 1, 125 * dpi / 2540},
        {ruInch, 126, 0.5, 126 * 0.5 * dpi / 1000},
        {ruInch, 1000, 0.1, dpi / 10},
        {ruInch, 3000, 0.1, 3 * dpi / 10},
        {ruCustom, 50, 1, 1.0},
    };
    for (const Case& k : cases) {
        ruler.SetUnits(k.units);
        ruler.SetScale(k.scale);
        EXPECT_DOUBLE_EQ(ruler.LabelFactor(), k.factor) << k.scale;
        EXPECT_NEAR(ruler.Step(), k.step, 1e-9) << k.scale;
    }
}

} // namespace
