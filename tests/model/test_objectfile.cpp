// Tests of the object file: exact bytes, round trips, damaged and truncated files, safe saving.
#include "ModelTestUtil.h"
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// An outline vertex in the object file's encoding.
ByteWriter& vertex(ByteWriter& w, const OutlineVertex& v) {
    w.i32(v.X).i32(v.Y);
    for (int32_t g : v.Groups)
        w.i32(g);
    return w;
}

class RecordingSink : public TMessageSink {
  public:
    std::vector<std::string> Lines;
    void SetMessageString(const std::string& text) override { Lines.push_back(text); }
};

void fillOutline(std::array<OutlineVertex, MaxOutlineVertices>& outline, int32_t count, int seed) {
    for (int32_t i = 0; i < count; ++i) {
        outline[i].X = seed * 1000 + i * 7 - 300;
        outline[i].Y = -(seed * 1000 + i * 13);
        for (int g = 0; g < 10; ++g)
            outline[i].Groups[g] = (i + g) % 3 == 0 ? seed + g : -1;
    }
}

std::unique_ptr<TExtrObj> makeObject(const std::string& name, int32_t profileCount,
                                     int32_t pathCount, int seed) {
    auto o = std::make_unique<TExtrObj>();
    o->SetName(name);
    fillOutline(o->Profile, profileCount, seed);
    o->ProfileCount = profileCount;
    fillOutline(o->Path, pathCount, seed + 50);
    o->PathCount = pathCount;
    return o;
}

template <class... Objects> TExtrObjList docOf(Objects... objects) {
    TExtrObjList doc;
    (doc.Add(std::move(objects)), ...);
    return doc;
}

auto GroupFields(const TGroupPropertyObj& g) {
    return std::tie(g.Id, g.Color, g.Texture, g.RepeatU, g.RepeatV, g.FlipU, g.FlipV);
}

std::array<uint32_t, 3> bits(const Vec3& v) {
    return {std::bit_cast<uint32_t>(v.X), std::bit_cast<uint32_t>(v.Y),
            std::bit_cast<uint32_t>(v.Z)};
}

class ObjectFileTest : public ScratchTest {
  protected:
    std::string dirSlash;

    void SetUp() override {
        ScratchTest::SetUp();
        dirSlash = dir.string() + "/";
        clearTextureTable();
    }
    void TearDown() override {
        clearTextureTable();
        ScratchTest::TearDown();
    }
    static void patch32(Bytes& b, size_t offset, int32_t v) {
        for (int k = 0; k < 4; ++k)
            b[offset + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
    }

    // A 2 x 2 24-bit picture.
    static Bytes brickBmp() { return solidBmp(2, 2, {10, 20, 30}); }

    // Two objects, the first named "B\u00e4ume \u20ac" with two groups and a textures folder
    // outside Windows-1252, and the 2 x 2 texture "B\u00e4ume" in the table.
    Bytes saveTexturedDocument(const std::string& name) const {
        writeBytes(file("B\u00e4ume.bmp"), brickBmp());
        addTexture(file("B\u00e4ume.bmp"), "B\u00e4ume");
        auto a = makeObject("B\u00e4ume \u20ac", 4, 3, 1);
        a->Groups->Add(MakeGroup(1, 0x00FF00FF, "B\u00e4ume", 2, 2, true, false));
        a->Groups->Add(MakeGroup(2, 0x0000FF00, "", 1, 1, false, true));
        a->SetTexDir("/home/\u65e5/"); // replaced on loading: stored as well as it can be
        docOf(std::move(a), makeObject("b", 2, 2, 2)).SaveToFile(name);
        return readBytes(name);
    }

    // The names in the scratch folder.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename());
        return names;
    }

    // A list holding one object named "keep": what a failing load must leave alone.
    static TExtrObjList keepList() {
        TExtrObjList list;
        list.Add(makeObject("keep", 3, 2, 9));
        return list;
    }

    static void expectKept(const TExtrObjList& list) {
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Items(0).Name, "keep");
        EXPECT_EQ(list.Items(0).ProfileCount, 3);
    }

    // Loads name into a "keep" list and returns the failure's message ("" when it loaded).
    static std::string loadFailure(const std::string& name) {
        TExtrObjList list = keepList();
        try {
            list.LoadFromFile(name, nullptr);
        } catch (const std::exception& e) {
            expectKept(list);
            return e.what();
        }
        return "";
    }
};

} // namespace

TEST_F(ObjectFileTest, SmallDocumentIsWrittenByteForByte) {
    const TExtrObjList doc = docOf(makeObject("obj1", 3, 2, 1));
    const TExtrObj& o = doc.Items(0);
    const std::string texDir = o.Options.TexDir;
    EXPECT_TRUE(texDir.empty()); // a new object's textures folder is written as an empty string

    ByteWriter w;
    w.i32(1).raw("PALV10").i32(3);
    for (int i = 0; i < 3; ++i)
        vertex(w, o.Profile[i]);
    w.i32(2);
    for (int i = 0; i < 2; ++i)
        vertex(w, o.Path[i]);
    w.i32(-1).u8(0).str("obj1");
    for (int i = 0; i < 6; ++i)
        w.f32(0.0f);
    w.u8(0).u8(0).u8(0).u8(0).i32(100).i32(50).i32(2).str(texDir);
    for (int i = 0; i < 3; ++i)
        w.i32(0xFFFFFF).i32(0);
    w.i32(-1);

    const std::string name = file("small.PLV");
    doc.SaveToFile(name);
    const Bytes got = readBytes(name);
    EXPECT_EQ(got.size(), 343 + texDir.size());
    EXPECT_EQ(got, w.b);
}

// Each option's setter reaches its own place in the options block, and reading the file back gives
// the object the same options.
TEST_F(ObjectFileTest, EveryOptionGoesFromItsSetterToItsPlaceInTheFileAndBack) {
    struct Case {
        const char* name;
        std::function<void(TExtrObj&)> set;
        size_t offset;   // in the options block
        size_t replaced; // bytes of the default value
        Bytes stored;
    };
    const Case cases[] = {
        {"RoundCorner", [](TExtrObj& o) { o.SetRoundCorner(true); }, 1, 1, {1}},
        {"EmbCorner", [](TExtrObj& o) { o.SetEmbCorner(true); }, 2, 1, {1}},
        {"Lathe", [](TExtrObj& o) { o.SetLathe(true); }, 3, 1, {1}},
        {"PathScale", [](TExtrObj& o) { o.SetPathScale(250); }, 4, 4, ByteWriter().i32(250).b},
        {"ProfileScale", [](TExtrObj& o) { o.SetProfileScale(10); }, 8, 4, ByteWriter().i32(10).b},
        {"Precision", [](TExtrObj& o) { o.SetPrecision(20); }, 12, 4, ByteWriter().i32(20).b},
        {"TexDir", [](TExtrObj& o) { o.SetTexDir("/t/"); }, 16, 4, ByteWriter().str("/t/").b},
        {"CornersColor", [](TExtrObj& o) { o.SetCornersColor(0x010203); }, 20, 4,
         ByteWriter().i32(0x010203).b},
        {"CornersTexture", [](TExtrObj& o) { o.SetCornersTexture("c"); }, 24, 4,
         ByteWriter().str("c").b},
        {"TopColor", [](TExtrObj& o) { o.SetTopColor(0x040506); }, 28, 4,
         ByteWriter().i32(0x040506).b},
        {"TopTexture", [](TExtrObj& o) { o.SetTopTexture("top"); }, 32, 4,
         ByteWriter().str("top").b},
        {"BottomColor", [](TExtrObj& o) { o.SetBottomColor(0); }, 36, 4, ByteWriter().i32(0).b},
        {"BottomTexture", [](TExtrObj& o) { o.SetBottomTexture("bt"); }, 40, 4,
         ByteWriter().str("bt").b},
    };
    auto bytesOf = [](const std::string& text) { return Bytes(text.begin(), text.end()); };
    const Bytes plain = bytesOf(docOf(makeObject("o", 3, 2, 1)).SaveToBytes());
    // The default options block (44 bytes) comes just before the empty texture table.
    const size_t block = plain.size() - 4 - 44;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TExtrObjList doc = docOf(makeObject("o", 3, 2, 1));
        c.set(doc.Items(0));
        const std::string saved = doc.SaveToBytes();
        Bytes expected = plain;
        const auto at = expected.begin() + std::ptrdiff_t(block + c.offset);
        expected.insert(expected.erase(at, at + std::ptrdiff_t(c.replaced)), c.stored.begin(),
                        c.stored.end());
        EXPECT_EQ(bytesOf(saved), expected);

        TExtrObjList back;
        back.RestoreFromBytes(saved);
        ASSERT_EQ(back.Count(), 1);
        const TExtrObj& s = doc.Items(0);
        const TExtrObj& d = back.Items(0);
        EXPECT_EQ(Settings(d), Settings(s));
        EXPECT_EQ(d.TexDir(), s.TexDir());
    }
}

TEST_F(ObjectFileTest, RoundTripKeepsObjectsGroupsPlacementAndOptions) {
    auto a = makeObject("first", 5, 4, 1);
    a->SetPathClosed(true);
    a->Groups->Add(MakeGroup(7, 0x000000FF, "brick", 3, 1, true, false));
    a->Groups->Add(MakeGroup(3, 0x00123456, "", 1, 4, false, true));
    a->Groups->Add(MakeGroup(12, 0x00FFFFFF, "wood", -2, 0, true, true));
    a->SetPosition({0.1f, -0.0f, 1e-40f});
    a->Rotation = {359.9f, -30.25f, 3.4e38f};
    Settings(a->Options) = std::make_tuple(17, 250, 30, true, true, true, 0x00010203u, "c",
                                           0x00040506u, "top tex", 0x00070809u, "b");
    auto empty = makeObject("empty outlines", 0, 0, 2);
    empty->SetTexDir(""); // an empty folder is accepted and replaced by the file's folder
    auto c = makeObject("full", 100, 100, 3);
    c->SetPosition({2.5f, 3.5f, -2.5f});
    c->SetRotation({-0.5f, 1.5f, 90.49f});
    const TExtrObjList doc = docOf(std::move(a), std::move(empty), std::move(c));

    const std::string name = file("doc.plv");
    doc.SaveToFile(name);
    TExtrObjList loaded = keepList(); // replaced
    loaded.LoadFromFile(name, nullptr);
    ASSERT_EQ(loaded.Count(), 3);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const TExtrObj& s = doc.Items(k);
        const TExtrObj& d = loaded.Items(k);
        EXPECT_EQ(d.Name, s.Name);
        ASSERT_EQ(d.ProfileCount, s.ProfileCount);
        ASSERT_EQ(d.PathCount, s.PathCount);
        EXPECT_EQ(
            std::memcmp(d.Profile.data(), s.Profile.data(), sizeof(OutlineVertex) * s.ProfileCount),
            0);
        EXPECT_EQ(std::memcmp(d.Path.data(), s.Path.data(), sizeof(OutlineVertex) * s.PathCount),
                  0);
        EXPECT_EQ(d.PathClosed, s.PathClosed);
        EXPECT_EQ(bits(d.Position), bits(s.Position));
        EXPECT_EQ(bits(d.Rotation), bits(s.Rotation));
        ASSERT_TRUE(d.Groups);
        ASSERT_EQ(d.Groups->Count(), s.Groups->Count());
        for (int g = 0; g < s.Groups->Count(); ++g)
            EXPECT_EQ(GroupFields(d.Groups->Items(g)), GroupFields(s.Groups->Items(g))) << g;
        // Object fields and the options copy agree, and the textures directory is the file's.
        EXPECT_EQ(Settings(d), Settings(s));
        EXPECT_EQ(d.TexDir(), dirSlash);
        ExpectDialogNameMatchesObject(d);
    }
    // The dialog's coordinate fields are the placement rounded half to even.
    const TfrmExtrOption& full = loaded.Items(2).Options;
    EXPECT_EQ((std::array{full.CoordX, full.CoordY, full.CoordZ}), (std::array{2, 4, -2}));
    EXPECT_EQ((std::array{full.RotX, full.RotY, full.RotZ}), (std::array{0, 2, 90}));
    const TfrmExtrOption& first = loaded.Items(0).Options;
    EXPECT_EQ((std::array{first.RotX, first.RotY, first.RotZ}), (std::array{360, -30, INT32_MAX}));
}

TEST_F(ObjectFileTest, OptionsBlockAppendsTheSeparatorAndReportsFailures) {
    const std::string name = file("opt.bin");
    const std::pair<std::string, std::string> dirs[] = {{"C:\\tex", "C:\\tex/"},
                                                        {"C:\\tex\\", "C:\\tex\\"},
                                                        {"/home/u/tex", "/home/u/tex/"},
                                                        {"/home/u/tex/", "/home/u/tex/"},
                                                        {"", ""}};
    for (const auto& [saved, loaded] : dirs) {
        TfrmExtrOption out;
        out.TexDir = saved;
        {
            TExtrStream s(name, TExtrStreamMode::Create);
            out.SaveToStream(s);
            s.Free();
        }
        TfrmExtrOption in;
        TExtrStream s(name, TExtrStreamMode::Read);
        in.LoadFromStream(s);
        EXPECT_EQ(s.remaining(), 0);
        EXPECT_EQ(in.TexDir, loaded);
    }

    // A block cut short fails and leaves the options copy untouched.
    const Bytes whole = readBytes(name);
    writeBytes(name, Bytes(whole.begin(), whole.end() - 1));
    TfrmExtrOption in;
    in.Precision = 7;
    TExtrStream r(name, TExtrStreamMode::Read);
    EXPECT_THROW(in.LoadFromStream(r), ELoadOptionsError);
    EXPECT_EQ(in.Precision, 7);
    // A reading stream cannot be written.
    EXPECT_THROW(TfrmExtrOption().SaveToStream(r), ESaveOptionsError);
}

TEST_F(ObjectFileTest, TextIsWindows1252InTheFileAndTexturesComeFromTheDocumentsDirectory) {
    const Bytes saved = saveTexturedDocument(file("t.plv"));
    auto holds = [&](const std::string& text) {
        const Bytes stored = ByteWriter().str(text).b;
        return std::search(saved.begin(), saved.end(), stored.begin(), stored.end()) != saved.end();
    };
    for (const std::string& text :
         {std::string("B\xE4ume \x80"), std::string("/home/?/"), dirSlash + "B\xE4ume.bmp"})
        EXPECT_TRUE(holds(text)) << text;
    // The group's texture, and the table ends with the texture's name.
    EXPECT_TRUE(holds("B\xE4ume"));
    EXPECT_EQ(Bytes(saved.end() - 9, saved.end()), ByteWriter().str("B\xE4ume").b);

    // ":" and "\\" are ordinary characters of a directory name here.
    const fs::path moved = dir / "a:b\\moved";
    fs::create_directory(moved);
    fs::rename(file("t.plv"), moved / "t.plv");
    fs::rename(file("B\u00e4ume.bmp"), moved / "B\u00e4ume.bmp");
    clearTextureTable();

    // Opened by a relative name, the document's directory and its textures are stored absolute.
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);
    TExtrObjList loaded;
    RecordingSink sink;
    const auto problems = loaded.LoadFromFile("./a:b\\moved/t.plv", &sink);
    fs::current_path(cwd);
    EXPECT_TRUE(problems.empty());
    const std::string movedSlash = moved.string() + "/";
    ASSERT_EQ(loaded.Count(), 2);
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(loaded.Items(k).TexDir(), movedSlash);
    EXPECT_EQ(loaded.Items(0).Name, "B\u00e4ume \u20ac");
    EXPECT_EQ(loaded.Items(0).Groups->Items(0).Texture, "B\u00e4ume");
    ASSERT_EQ(textureTable.size(), 1u);
    EXPECT_EQ(textureTable[0].TexName, "B\u00e4ume");
    EXPECT_EQ(textureTable[0].FileName, movedSlash + "B\u00e4ume.bmp");
    EXPECT_TRUE(textureTable[0].Image);
    EXPECT_EQ(sink.Lines, (std::vector<std::string>{"Loading object  1", "Loading object  2",
                                                    "Loading texture  B\u00e4ume.bmp"}));
}

TEST_F(ObjectFileTest, EveryBadCountLengthMarkOrPlacementEndsTheWholeLoad) {
    auto o = makeObject("obj1", 3, 2, 1);
    o->Groups->Add(MakeGroup(5, 0x00FF0000, "t", 1, 1, false, false));
    o->SetTexDir("tex/");
    o->SetPosition({1.5f, 2.5f, 3.5f});
    o->SetRotation({4.5f, 5.5f, 6.5f});
    const std::string name = file("c.plv");
    docOf(std::move(o)).SaveToFile(name);
    const Bytes good = readBytes(name);
    // Layout: N 0, magic 4, P 10, Q 158, G 258, group texture length 266, name length 286,
    // placement 294, precision 330, directory length 334, corner/top/bottom texture lengths 346,
    // 354, 362, T 366.
    ASSERT_EQ(good.size(), 370u);
    ASSERT_EQ(loadFailure(name), "");

    auto withValue = [&](size_t offset, int32_t value) {
        Bytes b = good;
        patch32(b, offset, value);
        writeBytes(name, b);
        return loadFailure(name);
    };
    // The record's mark: another version, or bytes that are not letters.
    EXPECT_EQ(withValue(6, 0x3930564C), "File version incompatible! PALV09");
    EXPECT_EQ(withValue(6, 0x0130564C), std::string("File version incompatible! PALV0\x01"));
    EXPECT_THROW(TExtrObjList().LoadFromFile(name, nullptr), EFileVersionError);
    for (int k = 0; k < 6; ++k)
        for (float v : {NAN, INFINITY, -INFINITY})
            EXPECT_EQ(withValue(294 + 4 * size_t(k), std::bit_cast<int32_t>(v)),
                      "13: ExtrStream: Error in readSingle the position or rotation of object "
                      "\"obj1\" is not a finite number")
                << k << " " << v;
    const std::string rd = "12: ExtrStream: Error in readInteger ";
    const std::string rs = "14: ExtrStream: Error in readString string length ";
    const std::string optionsError = "ClsExtrOptions: load error ";
    const struct {
        size_t offset;
        int32_t value;
        std::string message;
    } exact[] = {
        {0, -1, rd + "object count -1 is outside 0..20"},
        {0, 21, rd + "object count 21 is outside 0..20"},
        {0, INT32_MAX, rd + "object count 2147483647 is outside 0..20"},
        {0, 2, "14: ExtrStream: Error in readString unexpected end of file"},
        {258, -2, rd + "group count -1 is outside 0..4"},
        {258, 4, rd + "group count 5 is outside 0..4"},
        {258, INT32_MAX, rd + "group count 2147483648 is outside 0..4"},
        {258, INT32_MIN, rd + "group count -2147483647 is outside 0..4"},
        {330, 0, optionsError},
        {330, 21, optionsError},
        {330, -3, optionsError},
        // A damaged texture table ends the whole load too.
        {366, -2, rd + "texture count -1 is outside 0..0"},
        {366, INT32_MIN, rd + "texture count -2147483647 is outside 0..0"},
        {366, INT32_MAX, rd + "texture count 2147483648 is outside 0..0"},
        {366, 1000, rd + "texture count 1001 is outside 0..0"},
    };
    for (const auto& c : exact)
        EXPECT_EQ(withValue(c.offset, c.value), c.message) << c.offset << " = " << c.value;

    for (int32_t v : {101, -1, INT32_MAX, INT32_MIN}) {
        const std::string tail = std::to_string(v) + " is outside 0..100";
        EXPECT_EQ(withValue(10, v), rd + "profile vertex count " + tail);
        EXPECT_EQ(withValue(158, v), rd + "path vertex count " + tail);
    }
    // A count that fits the limits but not the file runs into its end.
    EXPECT_EQ(withValue(10, 100), rd + "unexpected end of file");
    for (size_t offset : {size_t(266), size_t(286)}) {
        EXPECT_EQ(withValue(offset, -1), rs + "-1 is outside 0..65535");
        EXPECT_EQ(withValue(offset, 65536), rs + "65536 is outside 0..65535");
        EXPECT_EQ(withValue(offset, INT32_MIN),
                  rs + std::to_string(INT32_MIN) + " is outside 0..65535");
        EXPECT_EQ(withValue(offset, 5000), rs + "5000 exceeds the " +
                                               std::to_string(good.size() - offset - 4) +
                                               " bytes left in the file");
    }
    for (size_t offset : {size_t(334), size_t(346), size_t(354), size_t(362)})
        for (int32_t v : {-1, INT32_MAX, 1000})
            EXPECT_EQ(withValue(offset, v), optionsError) << offset << " = " << v;

    // However large the file, a document holds at most 10000 objects.
    Bytes many(4 + 10001 * 18, 0);
    patch32(many, 0, 10001);
    writeBytes(name, many);
    EXPECT_EQ(loadFailure(name), rd + "object count 10001 is outside 0..10000");

    // Every record's mark is checked, the second one's too.
    docOf(makeObject("a", 3, 2, 1), makeObject("b", 3, 2, 2)).SaveToFile(name);
    Bytes two = readBytes(name);
    const size_t second = 4 + (two.size() - 8) / 2;
    ASSERT_EQ(std::string(two.begin() + second, two.begin() + second + 6), "PALV10");
    two[second + 5] = '9';
    writeBytes(name, two);
    EXPECT_EQ(loadFailure(name), "File version incompatible! PALV19");
}

TEST_F(ObjectFileTest, TruncatedOrDamagedFilesFailCleanly) {
    const std::string name = file("full.plv");
    const Bytes good = saveTexturedDocument(name);
    ASSERT_EQ(loadFailure(name), "");

    // A file cut at any byte never loads.
    const std::string cut = file("cut.plv");
    for (size_t length = 0; length < good.size(); ++length) {
        writeBytes(cut, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_NE(loadFailure(cut), "") << "a file cut to " << length << " bytes loaded";
    }

    // Random damage either loads sound outlines or fails leaving the list alone.
    std::mt19937 random(12345);
    const uint8_t interesting[] = {0x00, 0x01, 0x64, 0x65, 0x7F, 0x80, 0xFE, 0xFF};
    int loadedCount = 0;
    for (int round = 0; round < 1500; ++round) {
        Bytes b = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const size_t at = random() % b.size();
            b[at] = (random() % 2) ? interesting[random() % 8] : static_cast<uint8_t>(random());
        }
        writeBytes(name, b);
        TExtrObjList list = keepList();
        try {
            list.LoadFromFile(name, nullptr);
            ++loadedCount;
            for (int k = 0; k < list.Count(); ++k) {
                const TExtrObj& o = list.Items(k);
                EXPECT_TRUE(o.ProfileCount >= 0 && o.ProfileCount <= MaxOutlineVertices &&
                            o.PathCount >= 0 && o.PathCount <= MaxOutlineVertices);
            }
        } catch (const std::exception&) {
            expectKept(list);
        }
    }
    EXPECT_GT(loadedCount, 0); // changes inside coordinates still load
}

TEST_F(ObjectFileTest, FailingSaveThrowsAndLeavesTheOldFile) {
    const TExtrObjList doc = docOf(makeObject("a", 3, 2, 1));
    const std::string name = file("old.plv");
    doc.SaveToFile(name);
    const Bytes before = readBytes(name);

    // What the loader would refuse is not saved: the old file stays and says why.
    const std::string notFinite = "has a position or rotation that is not a finite number";
    const std::string noCp1252 = "cannot be stored: the character \"\u65e5\" (U+65E5) is not in "
                                 "the Windows-1252 code page";
    const std::pair<std::function<void(TExtrObjList&, TExtrObj&)>, std::string> refused[] = {
        {[](auto&, TExtrObj& o) { o.ProfileCount = 150; },
         "Object \"b\" has a vertex count outside 0..100"},
        {[](auto&, TExtrObj& o) { o.Position.Y = NAN; }, "Object \"b\" " + notFinite},
        {[](auto&, TExtrObj& o) { o.Rotation.Z = -INFINITY; }, "Object \"b\" " + notFinite},
        {[](auto&, TExtrObj& o) { o.Options.Precision = 21; },
         "Object \"b\" has a precision outside 1..20"},
        {[](auto&, TExtrObj& o) { o.SetName("\u65e5"); },
         "Object \"\u65e5\": the name \"\u65e5\" " + noCp1252},
        {[](auto&, TExtrObj& o) { o.Groups->Add(MakeGroup(1, 0, "\u65e5")); },
         "Object \"b\": the group texture \"\u65e5\" " + noCp1252},
        {[](auto&, TExtrObj& o) { o.SetBottomTexture(std::string(65536, 'x')); },
         "Object \"b\": the bottom texture is longer than 65535 characters"},
        {[](auto&, TExtrObj& o) {
             for (int g = 0; g <= 10000; ++g)
                 o.Groups->Add(MakeGroup(g, 0));
         },
         "Object \"b\" has 10001 groups; a file holds at most 10000"},
        {[](TExtrObjList& d, auto&) {
             while (d.Count() <= 10000)
                 d.Add(std::make_unique<TExtrObj>());
         },
         "The document has 10001 objects; a file holds at most 10000"},
        {[&](auto&, auto&) {
             writeBytes(file("\u65e5.bmp"), brickBmp());
             addTexture(file("\u65e5.bmp"), "t");
         },
         "17: ExtrStream: Error in writeString \"" + file("\u65e5.bmp") + "\" " + noCp1252},
    };
    for (const auto& [spoil, message] : refused) {
        TExtrObjList broken = docOf(makeObject("a", 3, 2, 1), makeObject("b", 3, 2, 2));
        spoil(broken, broken.Items(1));
        EXPECT_EQ(thrownMessage<std::runtime_error>([&] { broken.SaveToFile(name); }), message);
        EXPECT_EQ(readBytes(name), before);
        clearTextureTable();
    }
    fs::remove(file("\u65e5.bmp"));

    auto saveFailure = [&](const std::string& target) {
        return thrownMessage<EExtrStrError>([&] { doc.SaveToFile(target); });
    };
    // The target is a directory, or inside one that does not exist.
    fs::create_directory(dir / "adir");
    const std::string create = "10: ExtrStream: Error in create Cannot create file \"";
    EXPECT_EQ(saveFailure(file("adir")), create + file("adir") + "\": Is a directory");
    EXPECT_TRUE(fs::is_directory(dir / "adir"));
    const std::string nowhere = file("nodir/x.plv");
    EXPECT_EQ(saveFailure(nowhere), create + nowhere + "\": No such file or directory");

    // A directory we may not write into (root may write anywhere).
    fs::create_directory(dir / "ro");
    if (geteuid() != 0) {
        writeBytes(file("ro/doc.plv"), before);
        fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_NE(saveFailure(file("ro/doc.plv")), "(nothing thrown)");
        fs::permissions(dir / "ro", fs::perms::owner_all);
        EXPECT_EQ(readBytes(file("ro/doc.plv")), before);
    }

    // No temporary file is left behind by any of the failures.
    EXPECT_EQ(entries(), (std::set<std::string>{"adir", "old.plv", "ro"}));
}

TEST_F(ObjectFileTest, SavingReplacesFollowsLinksKeepsPermissionsAndWritesOtherFilesInPlace) {
    const TExtrObjList doc = docOf(makeObject("a", 3, 2, 1));
    const std::string name = file("doc.plv");
    doc.SaveToFile(name);
    const Bytes bytes = readBytes(name);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(name).permissions(), fs::perms(0666 & ~mask)); // a new file
    // A longer file is replaced whole and keeps its permissions.
    fs::permissions(name, fs::perms(0640));
    writeBytes(name, Bytes(5000, 1));
    doc.SaveToFile(name);
    EXPECT_EQ(fs::status(name).permissions(), fs::perms(0640));
    EXPECT_EQ(readBytes(name), bytes);
    // An empty document writes no file.
    TExtrObjList().SaveToFile(file("none.plv"));
    EXPECT_FALSE(fs::exists(file("none.plv")));

    // A chain of links, relative ones, ending nowhere yet: the links stay, the target is written.
    fs::create_directory(dir / "real");
    fs::create_symlink("real/target.plv", dir / "link.plv");
    fs::create_symlink(dir / "link.plv", dir / "link2.plv");
    doc.SaveToFile(file("link2.plv"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.plv") && fs::is_symlink(dir / "link2.plv"));
    EXPECT_EQ(readBytes(file("real/target.plv")), bytes);

    // A pipe receives the document itself, also through a link (its reader is open already).
    ASSERT_EQ(mkfifo(file("pipe.plv").c_str(), 0600), 0);
    fs::create_symlink("pipe.plv", dir / "pipe-link.plv");
    const int reader = ::open(file("pipe.plv").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    doc.SaveToFile(file("pipe-link.plv"));
    Bytes piped(bytes.size() + 1);
    piped.resize(
        static_cast<size_t>(std::max<ssize_t>(0, ::read(reader, piped.data(), piped.size()))));
    ::close(reader);
    EXPECT_EQ(piped, bytes);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.plv"));

    // A full device reports its error and stays a device.
    if (fs::is_character_file("/dev/full")) {
        EXPECT_EQ(thrownMessage<EExtrStrError>([&] { doc.SaveToFile("/dev/full"); }),
                  "11: ExtrStream: Error in Free Cannot write file \"/dev/full\": No space left on "
                  "device");
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"doc.plv", "link.plv", "link2.plv", "pipe.plv",
                                                "pipe-link.plv", "real"}));
}
