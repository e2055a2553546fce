// The document traversal seen by a recording renderer: calls, screen hooks, list ids, skips.
#include "export_fixtures.h"

#include "mesh/UnRisingSweep.h"
#include "traversal/UnBuildWarnings.h"
#include "traversal/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace fixtures;
using Log = std::vector<std::string>;

namespace {

// Logs the frame and object brackets, the screen hooks and the objects' matrices; counts faces.
class Recorder : public TRenderer, public TRedrawHooks {
  public:
    explicit Recorder(Log& log) : log(log) {}
    Log& log;
    std::vector<Matrix4> matrices;
    int quadCount = 0, triangleCount = 0;

    void initRendering(const std::string& fileName) override {
        log.push_back("initRendering " + fileName);
    }
    void endRendering() override { log.push_back("endRendering"); }
    void initObject(const std::string& name) override {
        log.push_back("initObject " + name);
        matrices.push_back(objectMatrix);
    }
    void endObject(int32_t listId, int32_t, bool selected) override {
        log.push_back("endObject " + std::to_string(listId) + (selected ? " selected" : ""));
    }
    void quads(const TQuadVerts&, bool, const TQuadVerts&) override { ++quadCount; }
    void triangle(const TTriVerts&, bool, const TTriVerts&) override { ++triangleCount; }

    void beforeObjects() override { log.push_back("hook beforeObjects"); }
    void deleteObjectLists(int32_t id) override {
        log.push_back("hook delete " + std::to_string(id));
    }
    void placeObjectList(int32_t id, const Vec3& p, const Vec3& r) override {
        std::string text = "hook place " + std::to_string(id);
#pragma GCC diagnostic push
// False positive of GCC 12 at -O3 (GCC bug 105329): "x" + std::string&& copies no overlap.
#ifndef __clang__ // clang has no such warning
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
        for (float v : {p.X, p.Y, p.Z, r.X, r.Y, r.Z})
            text += " " + std::to_string(static_cast<int>(v));
#pragma GCC diagnostic pop
        log.push_back(text);
    }
    void drawAllLists() override { log.push_back("hook drawAllLists"); }
    void afterRendering() override { log.push_back("hook afterRendering"); }
};

class Redraw : public ::testing::Test {
  protected:
    Log log;
    Recorder* renderer = nullptr; // also the hooks
    TRedrawHooks* hooks = nullptr;

    void SetUp() override {
        clearListRegistry();
        clearTextureTable();
        auto r = std::make_unique<Recorder>(log);
        renderer = r.get();
        hooks = r.get();
        setCurrentRenderer(std::move(r));
    }
    void TearDown() override {
        setCurrentRenderer(nullptr);
        clearListRegistry();
    }
};

TEST_F(Redraw, DocumentsWithNothingToDraw) {
    // No object: no call at all.
    EXPECT_EQ(redrawDocument(*makeDoc(""), 0, "empty.dxf", hooks), 0u);
    EXPECT_TRUE(log.empty());
    // Only an unfinished object: still one finished frame.
    const auto doc = makeDoc("", makeIncomplete());
    EXPECT_FALSE(objectDrawable(doc->Items(0)));
    EXPECT_EQ(redrawDocument(*doc, 0, "f", hooks), 0u);
    EXPECT_EQ(log, (Log{"initRendering f", "hook beforeObjects", "hook drawAllLists",
                        "endRendering", "hook afterRendering"}));
}

// The ring's profile, moved off the axis again, is shifted back onto it before it is built.
TEST_F(Redraw, FramesEachObjectBetweenItsPlacementAndItsPlacementListWithLathesOnTheAxis) {
    auto ring = makeRing();
    for (int i = 0; i < ring->ProfileCount; ++i)
        ring->Profile[i].X += 7;
    const auto doc = makeDoc("", makeBlock(), std::move(ring));
    EXPECT_EQ(redrawDocument(*doc, 1, "scene.wrl", hooks), 2u);
    EXPECT_EQ(log, (Log{"initRendering scene.wrl", "hook beforeObjects", "initObject block",
                        "endObject 1", "hook place 1 50 0 0 0 90 0", "initObject ring",
                        "endObject 2 selected", "hook place 2 0 0 -40 90 0 0", "hook drawAllLists",
                        "endRendering", "hook afterRendering"}));
    EXPECT_EQ(doc->Items(0).DisplayList, 1u);
    EXPECT_EQ(doc->Items(1).DisplayList, 2u);
    EXPECT_EQ(renderer->quadCount, SceneQuads);
    EXPECT_EQ(renderer->triangleCount, SceneTriangles);
    const TExtrObj& ringBuilt = doc->Items(1);
    EXPECT_EQ(std::vector<int32_t>({ringBuilt.Profile[0].X, ringBuilt.Profile[1].X,
                                    ringBuilt.Profile[2].X, ringBuilt.Profile[3].X}),
              std::vector<int32_t>({0, 10, 10, 0}));

    // Each builder ran under its own object's placement.
    ASSERT_EQ(renderer->matrices.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const Matrix4 want = CalcTraslRotObjMatrix(doc->Items(i).Position, doc->Items(i).Rotation);
        for (int k = 0; k < 16; ++k)
            EXPECT_DOUBLE_EQ(renderer->matrices[i].m[k], want.m[k]) << i << " " << k;
    }

    // A second redraw deletes the old lists and keeps the ids.
    log.clear();
    EXPECT_EQ(redrawDocument(*doc, 0, "", hooks), 2u);
    EXPECT_EQ(log, (Log{"initRendering ", "hook beforeObjects", "hook delete 1", "initObject block",
                        "endObject 1 selected", "hook place 1 50 0 0 0 90 0", "hook delete 2",
                        "initObject ring", "endObject 2", "hook place 2 0 0 -40 90 0 0",
                        "hook drawAllLists", "endRendering", "hook afterRendering"}));
    EXPECT_EQ(listRegistry.size(), 2u);
}

TEST_F(Redraw, IncompleteObjectsAreSkippedAndTheFrameIsFinished) {
    auto stepless = makeRing(); // a lathe object whose path has a single vertex
    stepless->SetName("stepless");
    stepless->PathCount = 1;
    const auto doc = makeDoc("", makeIncomplete(), makeBlock(), makeIncomplete(),
                             std::move(stepless), makeRing(), makeIncomplete());

    EXPECT_EQ(redrawDocument(*doc, 3, "gap.3ds", nullptr), 2u);
    EXPECT_EQ(log, (Log{"initRendering gap.3ds", "initObject block", "endObject 1",
                        "initObject ring", "endObject 2", "endRendering"}));
    EXPECT_EQ(renderer->quadCount, SceneQuads);
    EXPECT_EQ(doc->Items(0).DisplayList, 0u);
    EXPECT_EQ(doc->Items(3).DisplayList, 0u);
}

} // namespace

// The warnings the window shows for a document's rising paths: a path that runs only straight up
// or down, a corner that folds back (its vertex counted from 1); nothing for a flat or climbing
// path, a lathe or an unfinished object.
TEST(BuildWarnings, RisingPathsThatRunStraightUpOrFoldBackAreNamed) {
    struct Case {
        const char* name;
        std::vector<std::array<int, 3>> path; // x, z, height
        bool lathe;
    };
    const Case cases[] = {
        {"flat", {{0, 0, 0}, {0, 100, 0}, {100, 100, 0}}, false},
        {"climb", {{0, 0, 0}, {0, 100, 20}, {100, 100, 40}}, false},
        {"shaft", {{0, 0, 0}, {0, 0, 100}}, false},
        {"fold", {{0, 0, 0}, {100, 0, 30}, {40, 0, 12}, {40, 60, 12}}, false},
        {"turned", {{0, 0, 0}, {100, 0, 30}, {0, 0, 0}}, true},
    };
    auto doc = makeDoc("", makeIncomplete());
    for (const Case& c : cases) {
        auto object = makeBlock();
        object->SetName(c.name);
        object->PathCount = int32_t(c.path.size());
        for (size_t i = 0; i < c.path.size(); ++i) {
            object->Path[i].X = c.path[i][0];
            object->Path[i].Y = c.path[i][1];
            object->PathHeight[i] = float(c.path[i][2]);
        }
        object->SetLathe(c.lathe);
        doc->Add(std::move(object));
    }
    std::vector<std::string> seen;
    for (const TBuildWarning& w : buildWarnings(*doc))
        seen.push_back(w.Object + " " + std::to_string(w.Vertex) + " " + w.Text);
    EXPECT_EQ(seen, (std::vector<std::string>{"shaft 0 " + std::string(RisingOnlyVerticalText),
                                              "fold 2 " + std::string(RisingFoldsBackText)}));
}

// An open path whose last point lies on its first leaves the end caps meeting inside the solid;
// a helix of whole turns ends above its start and does not.
TEST(BuildWarnings, APathEndsOnItsStartOnlyAtTheSameHeight) {
    auto object = makeBlock();
    object->PathCount = 4;
    const int xz[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        object->Path[size_t(i)].X = xz[i][0], object->Path[size_t(i)].Y = xz[i][1];
    EXPECT_TRUE(pathEndsOnItsStart(*object));
    object->PathHeight = {0, 10, 20, 30};
    EXPECT_FALSE(pathEndsOnItsStart(*object));
}
