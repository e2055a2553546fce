// The document traversal: renderer calls, screen hooks, list ids and skipped objects, with a
// recording renderer.
#include "export_fixtures.h"

#include "render/UnRedraw.h"
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace fixtures;

namespace {

std::string placement(const Vec3& p, const Vec3& r) {
    auto n = [](float v) { return std::to_string(static_cast<int>(v)); };
    return n(p.X) + "," + n(p.Y) + "," + n(p.Z) + "/" + n(r.X) + "," + n(r.Y) + "," + n(r.Z);
}

// Logs the frame and object brackets; counts faces.
class RecordingRenderer : public TRenderer {
  public:
    explicit RecordingRenderer(std::vector<std::string>& log) : Log(log) {}
    std::vector<std::string>& Log;
    std::vector<Matrix4> Matrices;
    int Quads = 0;
    int Triangles = 0;

    void initRendering(const std::string& fileName) override {
        Log.push_back("initRendering " + fileName);
    }
    void endRendering() override { Log.push_back("endRendering"); }
    void initObject(const std::string& name) override {
        Log.push_back("initObject " + name);
        Matrices.push_back(objectMatrix);
    }
    void endObject(int32_t listId, int32_t, bool selected) override {
        Log.push_back("endObject " + std::to_string(listId) + (selected ? " selected" : ""));
    }
    void quads(const TQuadVerts&, bool, const TQuadVerts&) override { ++Quads; }
    void triangle(const TTriVerts&, bool, const TTriVerts&) override { ++Triangles; }
};

class RecordingHooks : public TRedrawHooks {
  public:
    explicit RecordingHooks(std::vector<std::string>& log) : Log(log) {}
    std::vector<std::string>& Log;
    void beforeObjects() override { Log.push_back("hook beforeObjects"); }
    void deleteObjectLists(int32_t id) override {
        Log.push_back("hook delete " + std::to_string(id));
    }
    void placeObjectList(int32_t id, const Vec3& p, const Vec3& r) override {
        Log.push_back("hook place " + std::to_string(id) + " " + placement(p, r));
    }
    void drawAllLists() override { Log.push_back("hook drawAllLists"); }
    void afterRendering() override { Log.push_back("hook afterRendering"); }
};

class Redraw : public ::testing::Test {
  protected:
    std::vector<std::string> log;
    RecordingRenderer* renderer = nullptr;
    RecordingHooks hooks{log};

    void SetUp() override {
        clearListRegistry();
        clearTextureTable();
        auto r = std::make_unique<RecordingRenderer>(log);
        renderer = r.get();
        setCurrentRenderer(std::move(r));
    }
    void TearDown() override {
        setCurrentRenderer(nullptr);
        clearListRegistry();
    }
};

TEST_F(Redraw, EmptyDocumentMakesNoCallAtAll) {
    TExtrObjList doc;
    EXPECT_EQ(redrawDocument(doc, 0, "empty.dxf", &hooks), 0u);
    EXPECT_TRUE(log.empty());
}

TEST_F(Redraw, FramesEachObjectBetweenItsPlacementAndItsPlacementList) {
    TExtrObjList doc;
    doc.Add(makeBlock());
    doc.Add(makeRing());
    const uint32_t last = redrawDocument(doc, 1, "scene.wrl", &hooks);

    const std::vector<std::string> expected = {
        "initRendering scene.wrl",    "hook beforeObjects",
        "initObject block",           "endObject 1",
        "hook place 1 50,0,0/0,90,0", "initObject ring",
        "endObject 2 selected",       "hook place 2 0,0,-40/90,0,0",
        "hook drawAllLists",          "endRendering",
        "hook afterRendering"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(last, 2u);
    EXPECT_EQ(doc.Items(0).DisplayList, 1u);
    EXPECT_EQ(doc.Items(1).DisplayList, 2u);
    EXPECT_EQ(renderer->Quads, SceneQuads);
    EXPECT_EQ(renderer->Triangles, SceneTriangles);

    // Each builder ran under its own object's placement.
    ASSERT_EQ(renderer->Matrices.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const Matrix4 want = CalcTraslRotObjMatrix(doc.Items(i).Position, doc.Items(i).Rotation);
        for (int k = 0; k < 16; ++k)
            EXPECT_DOUBLE_EQ(renderer->Matrices[i].m[k], want.m[k]) << i << " " << k;
    }
}

TEST_F(Redraw, SecondRedrawDeletesTheOldListsAndKeepsTheIds) {
    TExtrObjList doc;
    doc.Add(makeBlock());
    doc.Add(makeRing());
    redrawDocument(doc, 0, "", &hooks);
    log.clear();
    EXPECT_EQ(redrawDocument(doc, 0, "", &hooks), 2u);

    const std::vector<std::string> expected = {
        "initRendering ",       "hook beforeObjects",
        "hook delete 1",        "initObject block",
        "endObject 1 selected", "hook place 1 50,0,0/0,90,0",
        "hook delete 2",        "initObject ring",
        "endObject 2",          "hook place 2 0,0,-40/90,0,0",
        "hook drawAllLists",    "endRendering",
        "hook afterRendering"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(listRegistry.size(), 2u);
}

TEST_F(Redraw, IncompleteObjectsAreSkippedAndTheFrameIsFinished) {
    TExtrObjList doc;
    doc.Add(makeIncomplete());
    doc.Add(makeBlock());
    doc.Add(makeIncomplete());
    auto stepless = makeRing(); // a lathe object whose path has a single vertex
    stepless->SetName("stepless");
    stepless->PathCount = 1;
    doc.Add(std::move(stepless));
    doc.Add(makeRing());
    doc.Add(makeIncomplete());

    EXPECT_EQ(redrawDocument(doc, 3, "gap.3ds", nullptr), 2u);
    const std::vector<std::string> expected = {"initRendering gap.3ds", "initObject block",
                                               "endObject 1",           "initObject ring",
                                               "endObject 2",           "endRendering"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(renderer->Quads, SceneQuads);
    EXPECT_EQ(doc.Items(0).DisplayList, 0u);
    EXPECT_EQ(doc.Items(3).DisplayList, 0u);
}

TEST_F(Redraw, OnlyIncompleteObjectsStillMakeOneFinishedFrame) {
    TExtrObjList doc;
    doc.Add(makeIncomplete());
    EXPECT_EQ(redrawDocument(doc, 0, "f", &hooks), 0u);
    const std::vector<std::string> expected = {"initRendering f", "hook beforeObjects",
                                               "hook drawAllLists", "endRendering",
                                               "hook afterRendering"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(objectDrawable(doc.Items(0)));
}

TEST_F(Redraw, LatheProfileIsShiftedOntoTheAxisBeforeBuilding) {
    TExtrObjList doc;
    auto ring = makeRing();
    for (int i = 0; i < ring->ProfileCount; ++i)
        ring->Profile[i].X += 7; // off the axis again
    doc.Add(std::move(ring));
    redrawDocument(doc, 0, "", nullptr);
    const TExtrObj& built = doc.Items(0);
    EXPECT_EQ(built.Profile[0].X, 0);
    EXPECT_EQ(built.Profile[1].X, 10);
    EXPECT_EQ(built.Profile[2].X, 10);
    EXPECT_EQ(built.Profile[3].X, 0);
    EXPECT_EQ(renderer->Quads, RingQuads);
}

} // namespace
