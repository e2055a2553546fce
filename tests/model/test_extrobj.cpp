// Tests of the extrusion object: defaults, setters, copying, lathe helpers, editing through fake
// windows, the list.
#include "ModelTestUtil.h"

#include <cmath>
#include <functional>

namespace {

// ---- fake windows ----------------------------------------------------------------------------

// What the fake windows were told, and what the user leaves behind in them.
struct WindowScript {
    std::vector<std::string> calls; // editor calls, with their caption, mode and data summary
    std::vector<OutlineVertex> dataIn;
    TGroupListRef groupsIn;
    bool pathMode = false, saved = false, closed = false;
    std::vector<OutlineVertex> result;
    TGroupListRef resultGroups;
    int editorsMade = 0, dialogsMade = 0, dialogShown = 0;
    int32_t scale = 0;         // the outline's scale the editor was given
    TfrmExtrOption seen, left; // the dialog's copy as found and as left
    std::function<void(TfrmExtrOption&)> user;
};

// One fake for both kinds of window.
class FakeWindow : public TOutlineEditorWindow, public TOptionsDialogWindow {
  public:
    explicit FakeWindow(WindowScript& s) : S(s) {}
    void SetCaption(const std::string& caption) override {
        S.calls.push_back("Caption " + caption);
    }
    void SetPathMode(bool pathMode) override {
        S.calls.push_back(pathMode ? "PathMode on" : "PathMode off");
        S.pathMode = pathMode;
    }
    void Reset() override { S.calls.push_back("Reset"); }
    void SetScale(int32_t percent) override { S.scale = percent; }
    void SetTextures(const std::vector<TTextureObj>& textures) override {
        S.calls.push_back("Textures " + std::to_string(textures.size()));
    }
    void SetData(const OutlineVertex* outline, int32_t count, TGroupListRef groups,
                 bool closed) override {
        S.calls.push_back("SetData " + std::to_string(count) + (closed ? " closed" : " open"));
        S.dataIn.assign(outline, outline + count);
        S.groupsIn = groups;
    }
    void ShowModal() override { S.calls.push_back("ShowModal"); }
    bool Saved() const override { return S.saved; }
    bool Closed() const override { return S.closed; }
    void GetData(OutlineVertex* outline, int32_t& count, TGroupListRef& groups) override {
        S.calls.push_back("GetData");
        count = static_cast<int32_t>(S.result.size());
        std::copy(S.result.begin(), S.result.end(), outline);
        if (!S.pathMode) groups = S.resultGroups; // path mode leaves the groups alone
    }
    void ShowModal(TfrmExtrOption& options) override {
        ++S.dialogShown;
        S.seen = options;
        if (S.user) S.user(options);
        S.left = options;
    }

  private:
    WindowScript& S;
};

class ObjectWindows : public ::testing::Test, public TObjectWindowFactory {
  protected:
    WindowScript s;
    void SetUp() override { setObjectWindowFactory(this); }
    void TearDown() override { setObjectWindowFactory(nullptr); }
    std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() override {
        ++s.editorsMade;
        return std::make_unique<FakeWindow>(s);
    }
    std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() override {
        ++s.dialogsMade;
        return std::make_unique<FakeWindow>(s);
    }
};

void ExpectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_EQ(std::tie(v.X, v.Y, v.Z), std::make_tuple(x, y, z));
}

// Every setting changed through its setter.
void ConfigureWithSetters(TExtrObj& o) {
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
}

} // namespace

// ---- object state ----------------------------------------------------------------------------

TEST(ExtrObj, DefaultsSettersAndRotationsReducedAbove360) {
    TExtrObj o;
    EXPECT_EQ(o.Name, "extrobj");
    ASSERT_TRUE(o.Groups);
    EXPECT_EQ(o.Groups->Count(), 0);
    EXPECT_FALSE(o.IsComplete());
    // Default settings are checked byte for byte where an object is saved. The textures folder
    // starts empty, never the program's folder: the document's folder replaces it on opening.
    EXPECT_TRUE(o.TexDir().empty());
    ExpectDialogNameMatchesObject(o);

    ConfigureWithSetters(o);
    EXPECT_EQ(o.Name, "wheel");
    EXPECT_EQ(o.TexDir(), "/tmp/tex/");
    EXPECT_EQ(Settings(o),
              std::make_tuple(7, 120, 300, true, true, true, 0x010203u, std::string("c"), 0x040506u,
                              std::string("t"), 0x070809u, std::string("b")));
    ExpectDialogNameMatchesObject(o);

    // A rotation is reduced only above 360.
    const std::pair<Vec3, Vec3> turns[] = {{{370, 720, 365}, {10, 0, 5}},
                                           {{360, -30, 0}, {360, -30, 0}},
                                           {{-400, 725.5f, 1090}, {-400, 5.5f, 10}}};
    for (const auto& [set, kept] : turns) {
        o.SetRotation(set);
        ExpectVec(o.Rotation, kept.X, kept.Y, kept.Z);
    }
}

TEST(ExtrObj, AssignCopiesAllButNameAndDisplayListAndSharesGroupsThatOutliveTheSource) {
    auto src = std::make_unique<TExtrObj>(), dst = std::make_unique<TExtrObj>();
    SetOutline(src->Profile, src->ProfileCount, {V(1, 2, 5)});
    src->Profile[99] = V(-7, 8); // unused slots are copied too
    SetOutline(src->Path, src->PathCount, {V(3, 4), V(5, 6)});
    TGroupRef entry = MakeGroup(5, 0x00FF00);
    const std::weak_ptr<TGroupPropertyObj> weakEntry = entry;
    src->Groups->Add(std::move(entry));
    src->Position = Vec3{1.25f, 2, 3};
    src->Rotation = Vec3{400, 0, -10}; // copied as it is, no reduction
    ConfigureWithSetters(*src);
    src->SetDisplayList(9);
    src->SetPathClosed(true);
    dst->SetName("target");
    const std::weak_ptr<TGroupPropertyList> dstOwnList = dst->Groups;
    src->Assign(*dst);

    EXPECT_EQ(std::tie(dst->Name, dst->DisplayList, dst->PathClosed, dst->TexDir()),
              std::make_tuple("target", 0u, true, src->TexDir()));
    EXPECT_EQ(std::tie(dst->ProfileCount, dst->Profile[0].Groups[0], dst->Profile[99].X,
                       dst->PathCount, dst->Path[1].Y),
              std::make_tuple(1, 5, -7, 2, 6));
    ExpectVec(dst->Position, 1.25f, 2, 3);
    ExpectVec(dst->Rotation, 400, 0, -10);
    EXPECT_EQ(Settings(*dst), Settings(*src));
    ExpectDialogNameMatchesObject(*dst);

    // One list, seen by both; the destination released its own.
    EXPECT_EQ(dst->Groups, src->Groups);
    EXPECT_TRUE(dstOwnList.expired());
    src->Groups->Items(0).Color = 0x0000FF;
    dst->Groups->Add(MakeGroup(6, 0));
    EXPECT_EQ(src->Groups->Count(), 2);
    // The list and its entries live as long as an object holds them.
    src.reset();
    ASSERT_EQ(dst->Groups->Count(), 2);
    EXPECT_EQ(dst->Groups->Items(0).Color, 0x0000FFu);
    const std::weak_ptr<TGroupPropertyList> weakList = dst->Groups;
    dst.reset();
    EXPECT_TRUE(weakList.expired());
    EXPECT_TRUE(weakEntry.expired());
}

TEST(ExtrObj, NormalizeLatheProfileShiftsToZero) {
    TExtrObj o;
    SetOutline(o.Profile, o.ProfileCount, {V(30, 1), V(10, 2), V(50, 3)});
    o.Profile[3] = V(-500, 0); // unused slot
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        EXPECT_EQ(o.NormalizeLatheProfile(), 40);
        EXPECT_EQ(std::tie(o.Profile[0].X, o.Profile[1].X, o.Profile[2].X, o.Profile[2].Y,
                           o.Profile[3].X),
                  std::make_tuple(20, 0, 40, 3, -500));
    }
}

TEST(ExtrObj, MakeCirclePathRoundsClosesAndStaysWithinOutline) {
    const struct {
        int32_t radius, segments;
        std::vector<std::pair<int32_t, int32_t>> points;
    } cases[] = {{100, 4, {{100, 0}, {0, 100}, {-100, 0}, {0, -100}, {100, 0}}},
                 {10, 3, {{10, 0}, {-5, 9}, {-5, -9}, {10, 0}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.segments);
        TExtrObj o;
        o.Path[0] = V(1, 1, 44);
        o.MakeCirclePath(c.radius, c.segments);
        ASSERT_EQ(o.PathCount, static_cast<int32_t>(c.points.size()));
        for (int k = 0; k < o.PathCount; ++k)
            EXPECT_EQ(std::tie(o.Path[k].X, o.Path[k].Y, o.Path[k].Groups[0]),
                      std::make_tuple(c.points[k].first, c.points[k].second, 0))
                << k;
        EXPECT_TRUE(o.PathClosed && o.Lathe());
    }

    for (int32_t segments : {99, 5000}) {
        TExtrObj big;
        big.MakeCirclePath(50, segments);
        ASSERT_EQ(big.PathCount, MaxOutlineVertices) << segments;
        EXPECT_EQ(std::tie(big.Path[99].X, big.Path[99].Y), std::make_tuple(50, 0));
        for (int k = 0; k < big.PathCount; ++k)
            EXPECT_NEAR(std::hypot(big.Path[k].X, big.Path[k].Y), 50, 1.0) << k;
    }
    TExtrObj none;
    none.PathCount = 2;
    none.MakeCirclePath(50, 0);
    none.MakeCirclePath(50, -3);
    EXPECT_EQ(none.PathCount, 2);
    EXPECT_FALSE(none.Lathe());
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

TEST_F(ObjectWindows, EditProfileTakesOutlineAndGroupsOnlyWhenSaved) {
    TExtrObj o, copy;
    SetOutline(o.Profile, o.ProfileCount, {V(1, 2, 7), V(3, 4)});
    o.Groups->Add(MakeGroup(7, 0));
    o.Assign(copy);
    const TGroupListRef before = o.Groups;
    textureTable.push_back(TTextureObj{"/x/wood.bmp", "wood", -1, nullptr});
    o.EditProfile();
    textureTable.pop_back();
    EXPECT_EQ(s.calls, (std::vector<std::string>{"Caption Profile editor", "PathMode off", "Reset",
                                                 "Textures 1", "SetData 2 open", "ShowModal"}));
    ASSERT_EQ(s.dataIn.size(), 2u);
    EXPECT_EQ(s.dataIn[1].X, 3);
    EXPECT_EQ(s.groupsIn, before);
    EXPECT_EQ(s.scale, 50); // the editor speaks millimetres of the solid
    EXPECT_EQ(o.ProfileCount, 2);
    EXPECT_EQ(o.Groups, before);

    s.saved = true;
    s.result = {V(0, 0, 2), V(10, 0, 2), V(5, 9)};
    s.resultGroups = std::make_shared<TGroupPropertyList>();
    s.resultGroups->Add(MakeGroup(2, 0xFF));
    o.EditProfile();
    EXPECT_EQ(s.editorsMade, 1);
    EXPECT_EQ(s.calls.back(), "GetData");
    EXPECT_EQ(o.ProfileCount, 3);
    EXPECT_EQ(o.Profile[2].Y, 9);
    EXPECT_EQ(o.Groups, s.resultGroups);
    // The copy keeps the old list once the source got a new one from the editor.
    ASSERT_EQ(copy.Groups->Count(), 1);
    EXPECT_EQ(copy.Groups->Items(0).Id, 7);
}

TEST_F(ObjectWindows, EditPathHasItsOwnWindowLeavesGroupsAndTakesClosedFlag) {
    TExtrObj o;
    o.Groups->Add(MakeGroup(4, 0));
    const TGroupListRef before = o.Groups;
    SetOutline(o.Path, o.PathCount, {V(0, 0)});
    o.SetPathClosed(true);
    o.SetPathScale(250);
    o.EditProfile();
    s.calls.clear();
    o.EditPath();
    EXPECT_EQ(s.scale, 250);
    EXPECT_EQ(s.calls, (std::vector<std::string>{"Caption Path editor", "PathMode on", "Reset",
                                                 "SetData 1 closed", "ShowModal"}));
    EXPECT_EQ(s.groupsIn, nullptr);
    EXPECT_TRUE(o.PathClosed); // not saved: the editor's Closed flag is not read

    s.saved = true;
    s.closed = false;
    s.result = {V(0, 0), V(0, 50), V(40, 50)};
    o.EditPath();
    EXPECT_EQ(s.editorsMade, 2); // one profile and one path editor, each made once
    EXPECT_EQ(std::tie(o.PathCount, o.Path[2].X, o.PathClosed), std::make_tuple(3, 40, false));
    EXPECT_EQ(o.Groups, before);
    EXPECT_EQ(o.Groups->Count(), 1);
}

TEST_F(ObjectWindows, EditOptionsShowsRoundedPlacementAndTakesWhatTheDialogLeaves) {
    TExtrObj o;
    o.SetName("before");
    o.SetPrecision(5);
    o.SetTexDir("/data/tex/");
    o.SetPosition(Vec3{1.4f, 0, 2.6f});
    o.SetRotation(Vec3{2.5f, -0.5f, 3.5f});
    textureTable.push_back(TTextureObj{"/x/a.bmp", "a", -1, nullptr});
    textureTable.push_back(TTextureObj{"/x/b.bmp", "b", -1, nullptr});
    // Cancel: only the Top button changed the dialog's copy, as the real dialog does.
    s.user = [](TfrmExtrOption& d) {
        d.TopColor = 0x00FF00;
        d.TopTexture = "grass";
    };
    o.EditOptions();
    textureTable.resize(textureTable.size() - 2);
    EXPECT_EQ(s.seen.TexDir, "/data/tex/");
    EXPECT_EQ(s.seen.Textures.size(), 2u);
    EXPECT_EQ(std::tie(s.seen.CoordX, s.seen.CoordY, s.seen.CoordZ), std::make_tuple(1, 0, 3));
    // Halves go to the even neighbour.
    EXPECT_EQ(std::tie(s.seen.RotX, s.seen.RotY, s.seen.RotZ), std::make_tuple(2, 0, 4));
    EXPECT_EQ(std::make_tuple(o.Name, o.Precision(), o.TopColor(), o.TopTexture()),
              std::make_tuple("before", 5, 0x00FF00u, "grass"));
    ExpectVec(o.Position, 1, 0, 3);
    ExpectVec(o.Rotation, 2, 0, 4);
    ExpectDialogNameMatchesObject(o);

    // OK: everything the dialog holds is taken, from the same dialog.
    s.user = [](TfrmExtrOption& d) {
        d.Name = "after";
        d.TexDir = "/other";
        Settings(d) = std::make_tuple(12, 200, 10, true, true, true, 0x111111u, "c", 0x222222u, "t",
                                      0x333333u, "rock");
        std::tie(d.CoordX, d.CoordY, d.CoordZ) = std::make_tuple(-50, 7, 9999);
        std::tie(d.RotX, d.RotY, d.RotZ) = std::make_tuple(90, -360, 360);
    };
    o.EditOptions();
    EXPECT_EQ(std::tie(s.dialogsMade, s.dialogShown), std::make_tuple(1, 2));
    EXPECT_EQ(o.Name, "after");
    EXPECT_EQ(o.TexDir(), "/other");
    EXPECT_EQ(Settings(o), Settings(s.left));
    ExpectVec(o.Position, -50, 7, 9999);
    ExpectVec(o.Rotation, 90, -360, 360);
    ExpectDialogNameMatchesObject(o);
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
    EXPECT_TRUE(list.Delete(1));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(std::tie(list.Items(0).Name, list.Items(1).Name), std::make_tuple("a", "c"));
    EXPECT_TRUE(middleGroups.expired());
    EXPECT_THROW(list.Delete(2), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_THROW(list.Items(5), std::out_of_range);
    EXPECT_THROW(list.Add(nullptr), std::runtime_error);
    EXPECT_EQ(list.Count(), 2);
}
