// Outline editor benchmark: painting the polyline edit control (a 100-vertex outline over a
// 1024 x 1024 background, zoom 250 %, grid on) into an offscreen image, and one drag step.
#include "bench/BenchClock.h"
#include "editor/LineLibrary.h"
#include "editor/UnMultiLineEdit.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

// Per-iteration wall and CPU milliseconds, the best of `runs` runs of `frames` iterations (the
// machine may be shared; the fastest run is the least disturbed).
struct PerFrame {
    double wallMs = 0, cpuMs = 0;
};

PerFrame measure(int runs, int frames, const std::function<void(int)>& step) {
    PerFrame best{1e30, 1e30};
    for (int run = 0; run < runs; ++run) {
        const double cpu0 = cpuSeconds();
        const auto start = Clock::now();
        for (int i = 0; i < frames; ++i)
            step(i);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        best.wallMs = std::min(best.wallMs, wall * 1000 / frames);
        best.cpuMs = std::min(best.cpuMs, (cpuSeconds() - cpu0) * 1000 / frames);
    }
    return best;
}

void print(const char* name, const PerFrame& t) {
    std::printf("%-34s %9.3f %9.3f %9.0f\n", name, t.wallMs, t.cpuMs, 1000 / t.wallMs);
    std::fflush(stdout);
}

TFCBitmap makeBackground(int size) {
    TFCBitmap picture;
    picture.Width = picture.Height = size;
    picture.Pixels.resize(size_t(size) * size * 3);
    for (size_t i = 0; i < picture.Pixels.size(); ++i)
        picture.Pixels[i] = static_cast<uint8_t>((i * 7 + i / 3072 * 13) & 0xFF);
    return picture;
}

// The editor window's set-up: 1275 x 1275 at 100 %, grid 15, then a 100-vertex star.
void setUp(TMultiLineEdit& edit) {
    edit.resize(1275, 1275);
    edit.snapToGrid = false;
    edit.SetGridDx(15);
    edit.SetGridDy(15);
    edit.SetZoomPercent(100);
    std::vector<OutlineVertex> outline(MaxOutlineVertices);
    for (int i = 0; i < MaxOutlineVertices; ++i) {
        const double a = 2 * M_PI * i / (MaxOutlineVertices - 1);
        const double r = i % 2 ? 300 : 450;
        outline[i] = {int32_t(638 + r * std::cos(a)), int32_t(638 + r * std::sin(a)), {}};
    }
    edit.SetVertices(outline.data(), MaxOutlineVertices);
    edit.SetBackgroundPicture(makeBackground(1024));
    edit.SetBackgroundBrightness(100);
    edit.SetZoomPercent(250);
}

} // namespace

int main(int argc, char** argv) {
    // Painting needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int frames = 100, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames")) frames = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    QApplication app(argc, argv);
    TMultiLineEdit edit;
    setUp(edit);
    const QSize full = edit.size();
    const QRect viewport(full.width() / 2 - 640, full.height() / 2 - 512, 1280, 1024);
    std::printf("control %d x %d (zoom %.3f), 100 vertices, 1024 x 1024 background, grid %d; "
                "best of %d runs of %d frames\n\n",
                full.width(), full.height(), edit.Zoom, edit.GridDx(), runs, frames);
    std::printf("%-34s %9s %9s %9s\n", "per frame", "wall ms", "cpu ms", "frames/s");

    QImage whole(full, QImage::Format_RGB32);
    QImage screen(viewport.size(), QImage::Format_RGB32);
    auto paintViewport = [&] { edit.render(&screen, QPoint(), QRegion(viewport)); };

    print("paint whole control", measure(runs, frames, [&](int) { edit.render(&whole); }));
    print("paint 1280 x 1024 viewport", measure(runs, frames, [&](int) { paintViewport(); }));

    // A new brightness rebuilds the adjusted picture and its converted copy once.
    int brightness = 100;
    print("paint viewport, new brightness", measure(runs, std::max(1, frames / 10), [&](int) {
              edit.SetBackgroundBrightness(++brightness % 200);
              paintViewport();
          }));

    // Drag a vertex near the viewport's centre: hit test, move, repaint, one mouse event each.
    const Point2 vertex = edit.Line.Points[10]->Pos;
    const QPoint at(RoundHalfEven(vertex.X * edit.Zoom), RoundHalfEven(vertex.Y * edit.Zoom));
    edit.MouseDown(TFCMouseButton::Left, false, at.x(), at.y());
    print("drag step (hit, move, repaint)", measure(runs, frames, [&](int i) {
              const QPoint p = at + QPoint(i % 40, i % 25);
              edit.Line.HitTest(LineLibrary::UnscalePoint({p.x(), p.y()}, edit.Zoom));
              edit.MouseMove(false, p.x(), p.y());
              paintViewport();
          }));
    edit.MouseUp(TFCMouseButton::Left, false, at.x(), at.y());
    std::printf("\na 120 Hz mouse leaves 8.333 ms per event\n");
    return 0;
}
