// The object file's extension block: flat documents keep today's bytes, heights and pitch survive
// a save, and every malformed block is refused as damaged.
#include "ModelTestUtil.h"
#include "TestFiles.h"
#include "model/UnObjectExtension.h"
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string asText(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// A helix path of four vertices and a lathe with a pitch, after a plain object.
TExtrObjList risingDocument() {
    TExtrObjList doc;
    for (const char* name : {"plain", "helix", "thread"}) {
        auto o = std::make_unique<TExtrObj>();
        o->SetName(name);
        SetOutline(o->Profile, o->ProfileCount, {V(0, 0), V(10, 0), V(0, 10), V(0, 0)});
        SetOutline(o->Path, o->PathCount, {V(0, 0), V(50, 0), V(50, 50), V(0, 50)});
        doc.Add(std::move(o));
    }
    doc.Items(1).PathHeight = {0, 12.5f, 25, 37.5f};
    doc.Items(2).LatheRise = 8;
    doc.Items(2).LatheTurns = 3.5f;
    return doc;
}

} // namespace

class ExtensionBlock : public ::testing::Test {
  protected:
    void SetUp() override { clearTextureTable(); }
    void TearDown() override { clearTextureTable(); }
};

// Every example document read and saved again is the same bytes; the flat ones (frame, moulding,
// vase) are the files the program wrote before there was a block.
TEST_F(ExtensionBlock, ExampleDocumentsKeepTheirBytes) {
    for (const char* name :
         {"frame.PLV", "moulding.PLV", "vase.PLV", "handrail.PLV", "twist.PLV"}) {
        SCOPED_TRACE(name);
        const std::string before = fileBytes(std::string(PALVORIN_SOURCE_DIR "/examples/") + name);
        ASSERT_FALSE(before.empty());
        TExtrObjList doc;
        doc.RestoreFromBytes(before);
        EXPECT_EQ(doc.SaveToBytes(), before);
    }
}

// Tag, version, length, object count, then per object its heights (none for a flat path), its
// rise and its turns; read back as written; without the block a reader sees the flat solids.
TEST_F(ExtensionBlock, LayoutAndRoundTrip) {
    const std::string bytes = risingDocument().SaveToBytes();
    ByteWriter block;
    block.raw("PLVX").i32(1).i32(4 + 12 + 28 + 12).i32(3);
    block.i32(0).f32(0).f32(1);
    block.i32(4).f32(0).f32(12.5f).f32(25).f32(37.5f).f32(0).f32(1);
    block.i32(0).f32(8).f32(3.5f);
    const std::string tail = asText(block.b);
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);

    TExtrObjList back;
    back.RestoreFromBytes(bytes);
    EXPECT_EQ(back.Items(1).PathHeight[3], 37.5f);
    EXPECT_TRUE(back.Items(1).HasHeights());
    EXPECT_FALSE(back.Items(0).HasHeights() || back.Items(0).HasPitch());
    EXPECT_EQ(back.Items(2).LatheRise, 8);
    EXPECT_EQ(back.Items(2).LatheTurns, 3.5f);
    EXPECT_EQ(back.SaveToBytes(), bytes);

    TExtrObjList flat;
    flat.RestoreFromBytes(bytes.substr(0, bytes.size() - tail.size()));
    EXPECT_EQ(flat.Count(), 3);
    EXPECT_FALSE(flat.Items(1).HasHeights());
}

TEST_F(ExtensionBlock, MalformedBlocksAreRefusedAsDamaged) {
    const std::string good = risingDocument().SaveToBytes();
    const size_t at = good.rfind("PLVX");
    ASSERT_NE(at, std::string::npos);
    auto i32At = [&](size_t offset, int32_t v) {
        std::string b = good;
        for (int k = 0; k < 4; ++k)
            b[at + offset + size_t(k)] = char(uint32_t(v) >> (8 * k));
        return b;
    };
    const float nan = std::nanf("");
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"another tag", good.substr(0, at) + "PLVY" + good.substr(at + 4), "no block"},
        {"a later version", i32At(4, 2), "version 2"},
        {"length one short", i32At(8, 55), "block length"},
        {"object count", i32At(12, 2), "block count"},
        {"height count", i32At(28, 3), "height count 3"},
        {"height not a number", i32At(32, std::bit_cast<int32_t>(nan)), "height"},
        {"no turns", i32At(good.size() - at - 4, 0), "pitch"},
        {"rise not a number", i32At(good.size() - at - 8, std::bit_cast<int32_t>(nan)), "pitch"},
        {"cut short", good.substr(0, good.size() - 2), "block length"},
        {"a byte after it", good + "x", "block length"},
        {"stray bytes", good.substr(0, at) + "abc", "no block"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TExtrObjList doc = risingDocument();
        try {
            doc.RestoreFromBytes(c.bytes);
            ADD_FAILURE() << "read";
        } catch (const EExtrStrError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
        EXPECT_EQ(doc.Items(1).PathHeight[1], 12.5f); // left as it was
    }
}

// What cannot be stored is refused before a file is touched.
TEST_F(ExtensionBlock, UnstorableValuesAreRefusedOnSaving) {
    TExtrObjList doc = risingDocument();
    doc.Items(2).LatheTurns = 0;
    EXPECT_THROW(doc.SaveToBytes(), std::runtime_error);
    doc.Items(2).LatheTurns = 2;
    doc.Items(1).PathHeight[2] = INFINITY;
    EXPECT_THROW(doc.SaveToBytes(), std::runtime_error);
}
