// A TFCCanvas that logs every drawing call with the pen and brush in force, one line per call.
#pragma once

#include "editor/UnTFCCanvas.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

class RecordingCanvas : public TFCCanvas {
  public:
    std::vector<std::string> Calls;

    void Polyline(std::span<const Point2> p) override { log("Polyline" + points(p) + pen()); }
    void Polygon(std::span<const Point2> p) override {
        log("Polygon" + points(p) + pen() + brush());
    }
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        log("Rectangle" + points({{x1, y1}, {x2, y2}}) + pen() + brush());
    }
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        log("FillRect" + points({{x1, y1}, {x2, y2}}) + brush());
    }
    void TextOut(int32_t x, int32_t y, const std::string& text) override {
        log("TextOut" + points({{x, y}}) + " " + text);
    }
    int32_t TextWidth(const std::string& text) override { return int32_t(text.size()) * 7; }
    int32_t TextHeight(const std::string&) override { return 13; }
    void StretchDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const TFCBitmap& b) override {
        log("StretchDraw" + points({{x1, y1}, {x2, y2}}));
        Picture = b;
    }

    // Calls whose text starts with prefix.
    std::vector<std::string> Only(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(out),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        return out;
    }
    TFCBitmap Picture; // the last one drawn

  protected:
    void Line(Point2 a, Point2 b) override { log("Line" + points({a, b}) + pen()); }

  private:
    void log(const std::string& s) { Calls.push_back(s); }
    static std::string points(std::vector<Point2> p) {
        std::string s;
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
        for (auto& q : p)
            s += " " + std::to_string(q.X) + "," + std::to_string(q.Y);
#pragma GCC diagnostic pop
        return s;
    }
    static std::string points(std::span<const Point2> p) {
        return points(std::vector<Point2>(p.begin(), p.end()));
    }
    std::string pen() const {
        char b[40];
        std::snprintf(b, sizeof b, " pen %06X/%d/%d", Pen.Color, Pen.Style, Pen.Width);
        return b;
    }
    std::string brush() const {
        if (Brush.Style == TFCBrushStyle::Clear) return " brush clear";
        char b[40];
        std::snprintf(b, sizeof b, " brush %06X", Brush.Color);
        return b;
    }
};
