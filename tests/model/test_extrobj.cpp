// Tests of the extrusion object: defaults, setters, copying, lathe helpers, editing through fake
// windows, the list.
#include "model/UnTExtrObj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

namespace {

// ---- fake windows ----------------------------------------------------------------------------

struct EditorScript {
    std::vector<std::string> calls;
    std::string caption;
    bool pathMode = false;
    size_t texturesSeen = 0;
    std::vector<OutlineVertex> dataIn;
    TGroupListRef groupsIn;
    bool closedIn = false;
    // What the user leaves behind.
    bool saved = false;
    bool closed = false;
    std::vector<OutlineVertex> result;
    TGroupListRef resultGroups;
};

class FakeEditor : public TOutlineEditorWindow {
  public:
    explicit FakeEditor(EditorScript& s) : S(s) {}
    void SetCaption(const std::string& caption) override {
        S.calls.push_back("SetCaption");
        S.caption = caption;
    }
    void SetPathMode(bool pathMode) override {
        S.calls.push_back("SetPathMode");
        S.pathMode = pathMode;
    }
    void Reset() override { S.calls.push_back("Reset"); }
    void SetTextures(const std::vector<TTextureObj>& textures) override {
        S.calls.push_back("SetTextures");
        S.texturesSeen = textures.size();
    }
    void SetData(const OutlineVertex* outline, int32_t count, TGroupListRef groups,
                 bool closed) override {
        S.calls.push_back("SetData");
        S.dataIn.assign(outline, outline + count);
        S.groupsIn = groups;
        S.closedIn = closed;
    }
    void ShowModal() override { S.calls.push_back("ShowModal"); }
    bool Saved() const override { return S.saved; }
    bool Closed() const override { return S.closed; }
    void GetData(OutlineVertex* outline, int32_t& count, TGroupListRef& groups) override {
        S.calls.push_back("GetData");
        count = static_cast<int32_t>(S.result.size());
        for (size_t i = 0; i < S.result.size(); ++i)
            outline[i] = S.result[i];
        if (!S.pathMode) groups = S.resultGroups;
    }

  private:
    EditorScript& S;
};

struct DialogScript {
    int shown = 0;
    TfrmExtrOption seen; // the copy as the dialog found it
    std::function<void(TfrmExtrOption&)> user;
};

class FakeDialog : public TOptionsDialogWindow {
  public:
    explicit FakeDialog(DialogScript& s) : S(s) {}
    void ShowModal(TfrmExtrOption& options) override {
        ++S.shown;
        S.seen = options;
        if (S.user) S.user(options);
    }

  private:
    DialogScript& S;
};

class FakeFactory : public TObjectWindowFactory {
  public:
    EditorScript editor;
    DialogScript dialog;
    int editorsMade = 0;
    int dialogsMade = 0;
    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override {
        ++editorsMade;
        return std::make_unique<FakeEditor>(editor);
    }
    std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() override {
        ++dialogsMade;
        return std::make_unique<FakeDialog>(dialog);
    }
};

class ObjectWindows : public ::testing::Test {
  protected:
    void SetUp() override { setObjectWindowFactory(&factory); }
    void TearDown() override { setObjectWindowFactory(nullptr); }
    FakeFactory factory;
};

OutlineVertex V(int32_t x, int32_t y, int32_t group = 0) {
    OutlineVertex v;
    v.X = x;
    v.Y = y;
    v.Groups[0] = group;
    return v;
}

TGroupRef MakeGroup(int32_t id, TColor color) {
    auto g = std::make_shared<TGroupPropertyObj>();
    g->Id = id;
    g->Color = color;
    return g;
}

void ExpectOptionsMatchObject(const TExtrObj& o) {
    EXPECT_EQ(o.Options.Name, o.Name);
    EXPECT_EQ(o.Options.Precision, o.Precision);
    EXPECT_EQ(o.Options.ProfileScale, o.ProfileScale);
    EXPECT_EQ(o.Options.PathScale, o.PathScale);
    EXPECT_EQ(o.Options.Lathe, o.Lathe);
    EXPECT_EQ(o.Options.TexDir, o.TexDir);
    EXPECT_EQ(o.Options.RoundCorner, o.RoundCorner);
    EXPECT_EQ(o.Options.EmbCorner, o.EmbCorner);
    EXPECT_EQ(o.Options.CornersColor, o.CornersColor);
    EXPECT_EQ(o.Options.CornersTexture, o.CornersTexture);
    EXPECT_EQ(o.Options.TopColor, o.TopColor);
    EXPECT_EQ(o.Options.TopTexture, o.TopTexture);
    EXPECT_EQ(o.Options.BottomColor, o.BottomColor);
    EXPECT_EQ(o.Options.BottomTexture, o.BottomTexture);
}

void ExpectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_EQ(v.X, x);
    EXPECT_EQ(v.Y, y);
    EXPECT_EQ(v.Z, z);
}

} // namespace

// ---- object state ----------------------------------------------------------------------------

TEST(ExtrObj, NewObjectDefaults) {
    TExtrObj o;
    EXPECT_EQ(o.Name, "extrobj");
    EXPECT_EQ(o.DisplayList, 0u);
    ExpectVec(o.Position, 0, 0, 0);
    ExpectVec(o.Rotation, 0, 0, 0);
    EXPECT_EQ(o.ProfileCount, 0);
    EXPECT_EQ(o.PathCount, 0);
    ASSERT_TRUE(o.Groups);
    EXPECT_EQ(o.Groups->Count(), 0);
    EXPECT_FALSE(o.PathClosed);
    EXPECT_EQ(o.Precision, 2);
    EXPECT_EQ(o.ProfileScale, 50);
    EXPECT_EQ(o.PathScale, 100);
    EXPECT_FALSE(o.Lathe);
    EXPECT_FALSE(o.RoundCorner);
    EXPECT_FALSE(o.EmbCorner);
    EXPECT_EQ(o.CornersColor, 0xFFFFFFu);
    EXPECT_EQ(o.TopColor, 0xFFFFFFu);
    EXPECT_EQ(o.BottomColor, 0xFFFFFFu);
    EXPECT_TRUE(o.CornersTexture.empty() && o.TopTexture.empty() && o.BottomTexture.empty());
    EXPECT_FALSE(o.IsComplete());
    // The program's directory: this test program lives there.
    ASSERT_FALSE(o.TexDir.empty());
    EXPECT_EQ(o.TexDir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(o.TexDir + "test_extrobj"));
    ExpectOptionsMatchObject(o);
    EXPECT_EQ(o.Options.CoordX, 0);
    EXPECT_EQ(o.Options.RotZ, 0);
}

TEST(ExtrObj, SettersKeepOptionsCopyEqual) {
    TExtrObj o;
    o.SetName("wheel");
    o.SetPrecision(7);
    o.SetProfileScale(120);
    o.SetPathScale(300);
    o.SetLathe(true);
    o.SetTexDir("/tmp/tex/");
    o.SetRoundCorner(true);
    o.SetEmbCorner(true);
    o.SetCornersColor(0x010203);
    o.SetCornersTexture("c");
    o.SetTopColor(0x040506);
    o.SetTopTexture("t");
    o.SetBottomColor(0x070809);
    o.SetBottomTexture("b");
    EXPECT_EQ(o.Name, "wheel");
    EXPECT_EQ(o.PathScale, 300);
    EXPECT_EQ(o.BottomTexture, "b");
    ExpectOptionsMatchObject(o);
    o.SetDisplayList(42);
    o.SetPathClosed(true);
    o.SetPosition(Vec3{1.5f, -2, 3});
    EXPECT_EQ(o.DisplayList, 42u);
    EXPECT_TRUE(o.PathClosed);
    ExpectVec(o.Position, 1.5f, -2, 3);
}

TEST(ExtrObj, SetRotationReducesOnlyAbove360) {
    TExtrObj o;
    o.SetRotation(Vec3{370, 720, 365});
    ExpectVec(o.Rotation, 10, 0, 5);
    o.SetRotation(Vec3{360, -30, 0});
    ExpectVec(o.Rotation, 360, -30, 0);
    o.SetRotation(Vec3{-400, 725.5f, 1090});
    ExpectVec(o.Rotation, -400, 5.5f, 10);
}

TEST(ExtrObj, AssignCopiesAndSharesGroups) {
    TExtrObj src, dst;
    src.Profile[0] = V(1, 2, 5);
    src.Profile[99] = V(-7, 8); // unused slots are copied too
    src.ProfileCount = 1;
    src.Path[0] = V(3, 4);
    src.Path[1] = V(5, 6);
    src.PathCount = 2;
    src.Groups->Add(MakeGroup(5, 0x00FF00));
    src.Position = Vec3{1.25f, 2, 3};
    src.Rotation = Vec3{400, 0, -10}; // copied as it is, no reduction
    src.SetName("source");
    src.SetDisplayList(9);
    src.SetPathClosed(true);
    src.SetPrecision(4);
    src.SetProfileScale(80);
    src.SetPathScale(150);
    src.SetRoundCorner(true);
    src.SetTexDir("/textures/");
    src.SetTopColor(0x123456);
    src.SetBottomTexture("stone");
    dst.SetName("target");
    src.Assign(dst);

    EXPECT_EQ(dst.Name, "target");
    EXPECT_EQ(dst.Options.Name, "target");
    EXPECT_EQ(dst.DisplayList, 0u);
    EXPECT_EQ(dst.ProfileCount, 1);
    EXPECT_EQ(dst.Profile[0].Groups[0], 5);
    EXPECT_EQ(dst.Profile[99].X, -7);
    EXPECT_EQ(dst.PathCount, 2);
    EXPECT_EQ(dst.Path[1].Y, 6);
    ExpectVec(dst.Position, 1.25f, 2, 3);
    ExpectVec(dst.Rotation, 400, 0, -10);
    EXPECT_TRUE(dst.PathClosed);
    EXPECT_EQ(dst.Precision, 4);
    EXPECT_EQ(dst.PathScale, 150);
    EXPECT_TRUE(dst.RoundCorner);
    EXPECT_EQ(dst.TexDir, "/textures/");
    EXPECT_EQ(dst.TopColor, 0x123456u);
    EXPECT_EQ(dst.BottomTexture, "stone");
    ExpectOptionsMatchObject(dst);

    // One list, seen by both.
    EXPECT_EQ(dst.Groups, src.Groups);
    src.Groups->Items(0).Color = 0x0000FF;
    dst.Groups->Add(MakeGroup(6, 0));
    EXPECT_EQ(dst.Groups->Items(0).Color, 0x0000FFu);
    EXPECT_EQ(src.Groups->Count(), 2);
}

TEST(ExtrObj, SharedGroupsOutliveTheSource) {
    auto src = std::make_unique<TExtrObj>();
    auto entry = MakeGroup(3, 0xABCDEF);
    src->Groups->Add(entry);
    std::weak_ptr<TGroupPropertyObj> weakEntry = entry;
    entry.reset();
    auto dst = std::make_unique<TExtrObj>();
    std::weak_ptr<TGroupPropertyList> dstOwnList = dst->Groups;
    src->Assign(*dst);
    EXPECT_TRUE(dstOwnList.expired()); // the destination released its former list
    src.reset();
    ASSERT_EQ(dst->Groups->Count(), 1);
    EXPECT_EQ(dst->Groups->Items(0).Color, 0xABCDEFu);
    std::weak_ptr<TGroupPropertyList> weakList = dst->Groups;
    dst.reset();
    EXPECT_TRUE(weakList.expired());
    EXPECT_TRUE(weakEntry.expired());
}

TEST(ExtrObj, NormalizeLatheProfileShiftsToZero) {
    TExtrObj o;
    o.Profile[0] = V(30, 1);
    o.Profile[1] = V(10, 2);
    o.Profile[2] = V(50, 3);
    o.Profile[3] = V(-500, 0); // unused slot
    o.ProfileCount = 3;
    EXPECT_EQ(o.NormalizeLatheProfile(), 40);
    EXPECT_EQ(o.Profile[0].X, 20);
    EXPECT_EQ(o.Profile[1].X, 0);
    EXPECT_EQ(o.Profile[2].X, 40);
    EXPECT_EQ(o.Profile[2].Y, 3);
    EXPECT_EQ(o.Profile[3].X, -500);
    EXPECT_EQ(o.NormalizeLatheProfile(), 40);
    EXPECT_EQ(o.Profile[0].X, 20);
}

TEST(ExtrObj, MakeCirclePathFourSegments) {
    TExtrObj o;
    o.Path[0] = V(1, 1, 44);
    o.MakeCirclePath(100, 4);
    ASSERT_EQ(o.PathCount, 5);
    const int32_t expected[5][2] = {{100, 0}, {0, 100}, {-100, 0}, {0, -100}, {100, 0}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(o.Path[k].X, expected[k][0]) << k;
        EXPECT_EQ(o.Path[k].Y, expected[k][1]) << k;
        EXPECT_EQ(o.Path[k].Groups[0], 0) << k;
    }
    EXPECT_TRUE(o.PathClosed);
    EXPECT_TRUE(o.Lathe);
    EXPECT_TRUE(o.Options.Lathe);
}

TEST(ExtrObj, MakeCirclePathRoundsSingleAngles) {
    TExtrObj o;
    o.MakeCirclePath(10, 3);
    ASSERT_EQ(o.PathCount, 4);
    const int32_t expected[4][2] = {{10, 0}, {-5, 9}, {-5, -9}, {10, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(o.Path[k].X, expected[k][0]) << k;
        EXPECT_EQ(o.Path[k].Y, expected[k][1]) << k;
    }
}

TEST(ExtrObj, MakeCirclePathStaysWithinOutline) {
    TExtrObj o;
    o.MakeCirclePath(50, 99);
    EXPECT_EQ(o.PathCount, MaxOutlineVertices);
    TExtrObj big;
    big.MakeCirclePath(50, 5000);
    ASSERT_EQ(big.PathCount, MaxOutlineVertices);
    EXPECT_EQ(big.Path[99].X, 50);
    EXPECT_EQ(big.Path[99].Y, 0);
    for (int k = 0; k < big.PathCount; ++k) {
        const double r = std::hypot(big.Path[k].X, big.Path[k].Y);
        EXPECT_NEAR(r, 50, 1.0) << k;
    }
    TExtrObj none;
    none.PathCount = 2;
    none.MakeCirclePath(50, 0);
    none.MakeCirclePath(50, -3);
    EXPECT_EQ(none.PathCount, 2);
    EXPECT_FALSE(none.Lathe);
}

// ---- editing through windows -----------------------------------------------------------------

TEST(ExtrObjEditing, NoFactoryIsAClearError) {
    setObjectWindowFactory(nullptr);
    TExtrObj o;
    o.SetName("kept");
    EXPECT_THROW(o.EditProfile(), std::runtime_error);
    EXPECT_THROW(o.EditPath(), std::runtime_error);
    EXPECT_THROW(o.EditOptions(), std::runtime_error);
    EXPECT_EQ(o.Name, "kept");
}

TEST_F(ObjectWindows, EditProfileNotSavedKeepsEverything) {
    TExtrObj o;
    o.Profile[0] = V(1, 2, 7);
    o.Profile[1] = V(3, 4);
    o.ProfileCount = 2;
    o.Groups->Add(MakeGroup(7, 0));
    const TGroupListRef before = o.Groups;
    textureTable.push_back(TTextureObj{"/x/wood.bmp", "wood", -1, nullptr});
    o.EditProfile();
    textureTable.pop_back();

    const EditorScript& s = factory.editor;
    EXPECT_EQ(s.calls, (std::vector<std::string>{"SetCaption", "SetPathMode", "Reset",
                                                 "SetTextures", "SetData", "ShowModal"}));
    EXPECT_EQ(s.caption, "Profile editor");
    EXPECT_FALSE(s.pathMode);
    EXPECT_EQ(s.texturesSeen, 1u);
    ASSERT_EQ(s.dataIn.size(), 2u);
    EXPECT_EQ(s.dataIn[1].X, 3);
    EXPECT_EQ(s.groupsIn, before);
    EXPECT_FALSE(s.closedIn);
    EXPECT_EQ(o.ProfileCount, 2);
    EXPECT_EQ(o.Groups, before);
}

TEST_F(ObjectWindows, EditProfileSavedTakesOutlineAndGroups) {
    TExtrObj src, copy;
    src.Groups->Add(MakeGroup(1, 0));
    src.Assign(copy);
    factory.editor.saved = true;
    factory.editor.result = {V(0, 0, 2), V(10, 0, 2), V(5, 9)};
    factory.editor.resultGroups = std::make_shared<TGroupPropertyList>();
    factory.editor.resultGroups->Add(MakeGroup(2, 0xFF));
    src.EditProfile();
    EXPECT_EQ(factory.editor.calls.back(), "GetData");
    EXPECT_EQ(src.ProfileCount, 3);
    EXPECT_EQ(src.Profile[2].Y, 9);
    EXPECT_EQ(src.Groups, factory.editor.resultGroups);
    // The copy keeps the old list once the source got a new one from the editor.
    ASSERT_EQ(copy.Groups->Count(), 1);
    EXPECT_EQ(copy.Groups->Items(0).Id, 1);
}

TEST_F(ObjectWindows, EditorWindowsAreCreatedOnceAndKept) {
    TExtrObj o;
    o.EditProfile();
    o.EditProfile();
    EXPECT_EQ(factory.editorsMade, 1);
    o.EditPath();
    o.EditPath();
    EXPECT_EQ(factory.editorsMade, 2);
    o.EditOptions();
    o.EditOptions();
    EXPECT_EQ(factory.dialogsMade, 1);
    EXPECT_EQ(factory.dialog.shown, 2);
}

TEST_F(ObjectWindows, EditPathLeavesGroupsAndTakesClosedFlag) {
    TExtrObj o;
    o.Groups->Add(MakeGroup(4, 0));
    const TGroupListRef before = o.Groups;
    o.Path[0] = V(0, 0);
    o.PathCount = 1;
    o.SetPathClosed(true);
    o.EditPath();
    EditorScript& s = factory.editor;
    EXPECT_EQ(s.calls, (std::vector<std::string>{"SetCaption", "SetPathMode", "Reset", "SetData",
                                                 "ShowModal"}));
    EXPECT_EQ(s.caption, "Path editor");
    EXPECT_TRUE(s.pathMode);
    EXPECT_EQ(s.groupsIn, nullptr);
    EXPECT_TRUE(s.closedIn);
    EXPECT_TRUE(o.PathClosed); // not saved: the editor's Closed flag is not read

    s.calls.clear();
    s.saved = true;
    s.closed = false;
    s.result = {V(0, 0), V(0, 50), V(40, 50)};
    o.EditPath();
    EXPECT_EQ(o.PathCount, 3);
    EXPECT_EQ(o.Path[2].X, 40);
    EXPECT_FALSE(o.PathClosed);
    EXPECT_EQ(o.Groups, before);
    EXPECT_EQ(o.Groups->Count(), 1);
}

TEST_F(ObjectWindows, EditOptionsShowsRoundedCoordinates) {
    TExtrObj o;
    o.SetTexDir("/data/tex/");
    o.SetPosition(Vec3{1.4f, 0, 2.6f});
    o.SetRotation(Vec3{2.5f, -0.5f, 3.5f});
    textureTable.push_back(TTextureObj{"/x/a.bmp", "a", -1, nullptr});
    textureTable.push_back(TTextureObj{"/x/b.bmp", "b", -1, nullptr});
    o.EditOptions();
    textureTable.resize(textureTable.size() - 2);
    const TfrmExtrOption& seen = factory.dialog.seen;
    EXPECT_EQ(seen.TexDir, "/data/tex/");
    EXPECT_EQ(seen.Textures.size(), 2u);
    EXPECT_EQ(seen.CoordX, 1);
    EXPECT_EQ(seen.CoordY, 0);
    EXPECT_EQ(seen.CoordZ, 3);
    // Halves go to the even neighbour.
    EXPECT_EQ(seen.RotX, 2);
    EXPECT_EQ(seen.RotY, 0);
    EXPECT_EQ(seen.RotZ, 4);
}

TEST_F(ObjectWindows, EditOptionsCancelKeepsValuesButButtonChanges) {
    TExtrObj o;
    o.SetName("before");
    o.SetPrecision(5);
    o.SetPosition(Vec3{1.4f, 0, 2.6f});
    o.SetRotation(Vec3{10.2f, 0, -20.7f});
    // Cancel: only the Top button changed the dialog's copy, as the real dialog does.
    factory.dialog.user = [](TfrmExtrOption& d) {
        d.TopColor = 0x00FF00;
        d.TopTexture = "grass";
    };
    o.EditOptions();
    EXPECT_EQ(o.Name, "before");
    EXPECT_EQ(o.Precision, 5);
    EXPECT_EQ(o.TopColor, 0x00FF00u);
    EXPECT_EQ(o.TopTexture, "grass");
    ExpectVec(o.Position, 1, 0, 3);
    ExpectVec(o.Rotation, 10, 0, -21);
    ExpectOptionsMatchObject(o);
}

TEST_F(ObjectWindows, EditOptionsOkStoresEverything) {
    TExtrObj o;
    factory.dialog.user = [](TfrmExtrOption& d) {
        d.Name = "after";
        d.Precision = 12;
        d.ProfileScale = 200;
        d.PathScale = 10;
        d.Lathe = true;
        d.TexDir = "/other";
        d.RoundCorner = true;
        d.EmbCorner = true;
        d.CornersColor = 0x111111;
        d.BottomTexture = "rock";
        d.CoordX = -50;
        d.CoordY = 7;
        d.CoordZ = 9999;
        d.RotX = 90;
        d.RotY = -360;
        d.RotZ = 360;
    };
    o.EditOptions();
    EXPECT_EQ(o.Name, "after");
    EXPECT_EQ(o.Precision, 12);
    EXPECT_EQ(o.ProfileScale, 200);
    EXPECT_EQ(o.PathScale, 10);
    EXPECT_TRUE(o.Lathe);
    EXPECT_EQ(o.TexDir, "/other");
    EXPECT_TRUE(o.RoundCorner);
    EXPECT_TRUE(o.EmbCorner);
    EXPECT_EQ(o.CornersColor, 0x111111u);
    EXPECT_EQ(o.BottomTexture, "rock");
    ExpectVec(o.Position, -50, 7, 9999);
    ExpectVec(o.Rotation, 90, -360, 360);
    ExpectOptionsMatchObject(o);
}

// ---- the document list -----------------------------------------------------------------------

TEST(ExtrObjList, AddAndDeleteKeepOrderAndDestroy) {
    TExtrObjList list;
    std::weak_ptr<TGroupPropertyList> middleGroups;
    for (const char* name : {"a", "b", "c"}) {
        auto o = std::make_unique<TExtrObj>();
        o->SetName(name);
        if (std::string(name) == "b") middleGroups = o->Groups;
        const int expected = list.Count();
        EXPECT_EQ(list.Add(std::move(o)), expected);
    }
    ASSERT_EQ(list.Count(), 3);
    EXPECT_TRUE(list.Delete(1));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0).Name, "a");
    EXPECT_EQ(list.Items(1).Name, "c");
    EXPECT_TRUE(middleGroups.expired());
    EXPECT_THROW(list.Delete(2), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_THROW(list.Items(5), std::out_of_range);
    EXPECT_THROW(list.Add(nullptr), std::runtime_error);
    EXPECT_EQ(list.Count(), 2);
}
