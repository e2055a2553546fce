// Rulers as the user sees them: ticks, labels and hair lines read back from the painted pixels.
#include "editor/RsRuler.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr int Length = 400, Deep = RulerThickness - 1;
constexpr int LongTickEnd = 8; // labels and half-way marks stand beyond the long ticks

QImage shot(TRsRuler& ruler) {
    return ruler.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Whether the pixel pos along and depth out from the inner edge (the drawing's side) is dark.
bool dark(const QImage& img, TRulerDir dir, int pos, int depth) {
    const bool vertical = dir == rdLeft || dir == rdRight;
    const int out = dir == rdTop || dir == rdLeft ? Deep - depth : depth;
    return qGray(vertical ? img.pixel(out, pos) : img.pixel(pos, out)) < 128;
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
            if (dark(img, dir, p, d)) {
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
        EXPECT_TRUE(dark(img, dir, pos, 7)) << pos;
    for (int pos : {30, 60, 120, 330})
        EXPECT_TRUE(dark(img, dir, pos, 5) && !dark(img, dir, pos, 6)) << pos;
    EXPECT_EQ(ink(img, dir, 31, 59, 0, 7).count, 0);

    // "1" and "2" centred on 150 and 300, beyond the ticks; no number before 140.
    for (int pos : {150, 300}) {
        const Ink label = ink(img, dir, pos - 20, pos + 20, LongTickEnd, Deep);
        ASSERT_GT(label.count, 4) << pos;
        EXPECT_NEAR(label.posSum / label.count, pos, 2.5) << pos;
    }
    EXPECT_EQ(ink(img, dir, 80, 140, LongTickEnd, Deep).count, 0);
    // Labels read along the ruler (turned on vertical ones): the "1" is narrow along it.
    const Ink one = ink(img, dir, 130, 170, LongTickEnd, Deep);
    EXPECT_LT(one.posMax - one.posMin, one.depthMax - one.depthMin);
    // Half-way marks at 75 and 225, from 12 to 15 pixels out.
    for (int pos : {75, 225}) {
        const Ink mark = ink(img, dir, pos - 3, pos + 3, 0, Deep);
        EXPECT_EQ(std::vector({mark.posMin, mark.posMax, mark.depthMin, mark.depthMax}),
                  std::vector({pos, pos, 12, 15}));
    }
}

INSTANTIATE_TEST_SUITE_P(Rulers, RulerDirections,
                         ::testing::Values(rdTop, rdLeft, rdRight, rdBottom));

TEST(RsRuler, RejectedValuesChangeNothingHairLineInvertsBesideTheTicksOnly) {
    CustomRuler c(rdTop);
    c.ruler.SetScale(100);
    const QImage plain = shot(c.ruler);
    for (double advance : {0.0, -3.0})
        c.ruler.SetAdvance(advance);
    c.ruler.SetScale(0);
    EXPECT_EQ(c.ruler.Advance(), 15.0);
    EXPECT_EQ(c.ruler.Scale(), 100);
    EXPECT_EQ(shot(c.ruler), plain);
    c.ruler.SetHairLine(true);
    EXPECT_EQ(shot(c.ruler), plain) << "position -1 draws no hair line";

    for (auto [style, pos, firstColumn] : {std::tuple{hlsLine, 77, 77}, {hlsRect, 77, 0}}) {
        c.ruler.SetHairLineStyle(style);
        c.ruler.SetHairLinePos(pos);
        const QImage img = shot(c.ruler);
        int changed = 0;
        for (int x = 0; x < Length; ++x)
            for (int y = 0; y < RulerThickness; ++y) {
                if (img.pixel(x, y) == plain.pixel(x, y)) continue;
                ++changed;
                EXPECT_TRUE(x >= firstColumn && x <= pos) << x;
                EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, ~plain.pixel(x, y) & 0xFFFFFF);
            }
        // Beside the ticks, never over a label.
        EXPECT_EQ(changed, (pos - firstColumn + 1) * HairLineDepth) << style;
        c.ruler.SetHairLinePos(-1);
        EXPECT_EQ(shot(c.ruler), plain);
    }
}

TEST_P(RulerDirections, EndLabelsStandWholeInsideTheRuler) {
    const TRulerDir dir = GetParam();
    const bool vertical = dir == rdLeft || dir == rdRight;
    // Millimetre labels every 50 pixels: "0" on the first pixel and "400" on the last of a ruler
    // 401 long, "400" well inside one 461 long.
    Ink ends[2], whole;
    for (int extra : {1, 61}) {
        CustomRuler c(dir);
        c.ruler.resize(c.ruler.width() + (vertical ? 0 : extra),
                       c.ruler.height() + (vertical ? extra : 0));
        c.ruler.SetDrawingUnits(1, 0, 1);
        const QImage img = shot(c.ruler);
        // Beyond the labelled ticks, which reach 10 pixels out.
        if (extra == 1) {
            ends[0] = ink(img, dir, 0, 12, 10, Deep);
            ends[1] = ink(img, dir, Length - 30, Length, 10, Deep);
        } else {
            whole = ink(img, dir, Length - 30, Length + 30, 10, Deep);
        }
    }
    EXPECT_GT(ends[0].posMin, 0);
    EXPECT_GT(ends[0].count, 4);
    EXPECT_LT(ends[1].posMax, Length);
    EXPECT_NEAR(ends[1].posMax - ends[1].posMin, whole.posMax - whole.posMin, 1)
        << "the last label is cut";
}

TEST(RsRuler, LabelsStayWholeAtTheEndsOfTheStripThatShowsTheRuler) {
    // A scrolled drawing: the ruler starts 50 pixels left of its strip, so "50" stands on the
    // strip's first pixel.
    QWidget strip;
    strip.resize(300, RulerThickness);
    TRsRuler inside(&strip), alone;
    for (TRsRuler* r : {&inside, &alone}) {
        r->resize(Length, RulerThickness);
        r->SetFlat(true);
        r->SetDrawingUnits(1, 0, 1);
    }
    inside.move(-50, 0);
    const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const Ink edge = ink(shown, rdTop, 0, 30, 10, Deep);
    const Ink whole = ink(shot(alone), rdTop, 30, 70, 10, Deep);
    EXPECT_GT(edge.posMin, 0);
    EXPECT_NEAR(edge.posMax - edge.posMin, whole.posMax - whole.posMin, 1)
        << "the label at the strip's end is cut";
}

TEST(RsRuler, StepsOfTheMeasuringUnits) {
    TRsRuler ruler;
    const double dpi = ruler.logicalDpiX();
    // Units, scale, label factor, step in pixels.
    const std::tuple<TRulerUnit, int, double, double> cases[] = {
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
    for (auto [units, scale, factor, step] : cases) {
        ruler.SetUnits(units);
        ruler.SetScale(scale);
        EXPECT_DOUBLE_EQ(ruler.LabelFactor(), factor) << scale;
        EXPECT_NEAR(ruler.Step(), step, 1e-9) << scale;
    }
}

} // namespace

TEST(RsRuler, DrawingUnitsLabelTheSolidsMillimetresFromTheOriginWithAReadableStep) {
    // Pixels per millimetre, the labelled step.
    const std::pair<double, double> steps[] = {{2, 50}, {1, 50}, {0.5, 100}, {0.2, 500},
                                               {5, 10}, {20, 5}, {40, 2},    {100, 0.5}};
    for (auto [ppm, step] : steps)
        EXPECT_DOUBLE_EQ(TRsRuler::DrawingLabelStep(ppm), step) << ppm;

    // Origin at 200 pixels, 2 pixels per millimetre: long ticks at every 50 mm (100 pixels),
    // both sides of the origin; none between them but the short ones.
    for (int sign : {1, -1}) {
        TRsRuler ruler;
        ruler.resize(Length, RulerThickness);
        ruler.SetDrawingUnits(2, 200, sign);
        const QImage img = shot(ruler);
        for (int pos : {0, 100, 200, 300})
            EXPECT_GT(ink(img, rdTop, pos, pos, 6, 9).count, 0) << pos;
        EXPECT_EQ(ink(img, rdTop, 150, 150, 6, 9).count, 0);
        // Labels stand beside the long ticks: "-50" takes more ink than "50" on its side.
        const Ink left = ink(img, rdTop, 60, 140, 10, Deep - 3);
        const Ink right = ink(img, rdTop, 260, 340, 10, Deep - 3);
        EXPECT_GT(left.count, 0);
        EXPECT_EQ(left.count > right.count, sign == 1) << sign;
    }
}
