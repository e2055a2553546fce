// Tests of the typed stream: byte encodings, error codes and words, end-of-file and length checks.
#include "model/UnTExtrStream.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

class StreamTest : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "palvorin-stream-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string& name) const { return (dir / name).string(); }

    static Bytes readAll(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void writeAll(const std::string& name, const Bytes& bytes) {
        std::ofstream out(name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    // Bytes written by one operation on a fresh stream.
    Bytes written(const std::function<void(TExtrStream&)>& op) {
        const std::string name = file("w.bin");
        TExtrStream s(name, TExtrStreamMode::Create);
        op(s);
        s.Free();
        return readAll(name);
    }
};

std::string messageOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const EExtrStrError& e) {
        return e.what();
    }
    return "(no EExtrStrError)";
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TEST_F(StreamTest, EncodesEveryTypeLittleEndian) {
    EXPECT_EQ(written([](TExtrStream& s) { s.writeString("", ""); }), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeString("", "abc"); }),
              (Bytes{3, 0, 0, 0, 0x61, 0x62, 0x63}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeStringBuffer("", "abc"); }),
              (Bytes{0x61, 0x62, 0x63}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeInteger("", -1); }),
              (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeInteger("", 0x12345678); }),
              (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeInteger("", INT32_MIN); }),
              (Bytes{0, 0, 0, 0x80}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeBoolean("", true); }), (Bytes{1}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeBoolean("", false); }), (Bytes{0}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeSingle("", 1.0f); }),
              (Bytes{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeSingle("", -2.5f); }),
              (Bytes{0x00, 0x00, 0x20, 0xC0}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeColor("", 0xFFFFFF); }),
              (Bytes{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(written([](TExtrStream& s) { s.writeColor("", 0x00336699); }),
              (Bytes{0x99, 0x66, 0x33, 0x00}));
    // 8-bit characters pass unchanged, embedded zero bytes included.
    EXPECT_EQ(written([](TExtrStream& s) { s.writeString("", std::string("\xE9\0z", 3)); }),
              (Bytes{3, 0, 0, 0, 0xE9, 0x00, 0x7A}));
}

TEST_F(StreamTest, ReadsBackWhatWasWritten) {
    const std::string name = file("rt.bin");
    const float oddSingles[] = {0.1f, -0.0f, 1e-40f, 3.4e38f};
    {
        TExtrStream s(name, TExtrStreamMode::Create);
        s.writeInteger("", INT32_MIN);
        s.writeInteger("", INT32_MAX);
        for (float f : oddSingles)
            s.writeSingle("", f);
        s.writeSingle("", std::bit_cast<float>(0x7FC01234u)); // NaN with payload
        s.writeColor("", 0x00ABCDEF);
        s.writeBoolean("", true);
        s.writeBoolean("", false);
        s.writeString("", "name");
        s.writeStringBuffer("", "PALV10");
        s.Free();
    }
    TExtrStream s(name, TExtrStreamMode::Read);
    EXPECT_EQ(s.remaining(), 8 + 20 + 4 + 2 + 8 + 6);
    EXPECT_EQ(s.readInteger("k"), INT32_MIN);
    EXPECT_EQ(s.readInteger("k"), INT32_MAX);
    for (float f : oddSingles)
        EXPECT_EQ(std::bit_cast<uint32_t>(s.readSingle("k")), std::bit_cast<uint32_t>(f));
    EXPECT_EQ(std::bit_cast<uint32_t>(s.readSingle("k")), 0x7FC01234u);
    EXPECT_EQ(s.readColor("k"), 0x00ABCDEFu);
    EXPECT_TRUE(s.readBoolean("k"));
    EXPECT_FALSE(s.readBoolean("k"));
    std::string text = "unchanged";
    s.readString("k", 0, text); // length 0: empty, nothing consumed
    EXPECT_EQ(text, "");
    EXPECT_EQ(s.remaining(), 14);
    EXPECT_EQ(s.readCheckedString("k", 4), "name");
    s.readString("k", 6, text);
    EXPECT_EQ(text, "PALV10");
    EXPECT_EQ(s.remaining(), 0);
    s.Free();
    s.Free(); // a second Free does nothing
}

TEST_F(StreamTest, NonZeroBooleanByteReadsAsTrue) {
    const std::string name = file("b.bin");
    writeAll(name, {2});
    TExtrStream s(name, TExtrStreamMode::Read);
    EXPECT_TRUE(s.readBoolean(""));
}

TEST_F(StreamTest, EndOfFileRaisesEachOperationsCodeAndWord) {
    const std::string name = file("short.bin");
    writeAll(name, {1, 2, 3});
    auto onShortFile = [&](const std::function<void(TExtrStream&)>& op) {
        TExtrStream s(name, TExtrStreamMode::Read);
        return messageOf([&] { op(s); });
    };
    const std::string eof = "unexpected end of file";
    EXPECT_EQ(onShortFile([](TExtrStream& s) { s.readInteger("x"); }),
              "12: ExtrStream: Error in readInteger " + eof);
    EXPECT_EQ(onShortFile([](TExtrStream& s) { s.readSingle("x"); }),
              "13: ExtrStream: Error in readSingle " + eof);
    EXPECT_EQ(onShortFile([](TExtrStream& s) { s.readColor("x"); }),
              "18: ExtrStream: Error in readColor " + eof);
    std::string out;
    EXPECT_EQ(onShortFile([&](TExtrStream& s) { s.readString("x", 4, out); }),
              "14: ExtrStream: Error in readString " + eof);
    EXPECT_EQ(onShortFile([](TExtrStream& s) {
                  s.readBoolean("x");
                  s.readBoolean("x");
                  s.readBoolean("x");
                  s.readBoolean("x");
              }),
              "19: ExtrStream: Error in readBoolean " + eof);
    // A failed read leaves the position where it was: the three bytes are still there.
    TExtrStream s(name, TExtrStreamMode::Read);
    EXPECT_THROW(s.readInteger(""), EExtrStrError);
    EXPECT_EQ(s.remaining(), 3);
    s.readString("", 3, out);
    EXPECT_EQ(out, std::string("\1\2\3"));
}

TEST_F(StreamTest, WritingOnAReadStreamRaisesEachOperationsCodeAndWord) {
    const std::string name = file("r.bin");
    writeAll(name, {0, 0, 0, 0});
    TExtrStream s(name, TExtrStreamMode::Read);
    struct Case {
        std::function<void()> op;
        const char* prefix;
    } cases[] = {
        {[&] { s.writeInteger("", 1); }, "15: ExtrStream: Error in writeInteger "},
        {[&] { s.writeSingle("", 1); }, "16: ExtrStream: Error in writeSingle "},
        {[&] { s.writeString("", "a"); }, "17: ExtrStream: Error in writeString "},
        {[&] { s.writeBoolean("", true); }, "20: ExtrStream: Error in writeBoolean "},
        {[&] { s.writeColor("", 1); }, "21: ExtrStream: Error in writeColor "},
        {[&] { s.writeStringBuffer("", "a"); }, "22: ExtrStream: Error in writeStringBuffer "},
    };
    for (const Case& c : cases) {
        const std::string m = messageOf(c.op);
        EXPECT_TRUE(startsWith(m, c.prefix)) << m;
        EXPECT_GT(m.size(), std::string(c.prefix).size()) << "cause text missing: " << m;
    }
    s.Free();
    // After Free every operation fails cleanly.
    EXPECT_TRUE(
        startsWith(messageOf([&] { s.readInteger(""); }), "12: ExtrStream: Error in readInteger "));
}

TEST_F(StreamTest, CreateFailuresAreCode10AndNameTheFile) {
    const std::string missing = file("missing.plv");
    EXPECT_EQ(messageOf([&] { TExtrStream s(missing, TExtrStreamMode::Read); }),
              "10: ExtrStream: Error in create Cannot open file \"" + missing +
                  "\": No such file or directory");
    const std::string noDir = file("nodir/out.plv");
    EXPECT_EQ(messageOf([&] { TExtrStream s(noDir, TExtrStreamMode::Create); }),
              "10: ExtrStream: Error in create Cannot create file \"" + noDir +
                  "\": No such file or directory");
    // A directory is not a file, for reading nor for writing.
    EXPECT_TRUE(startsWith(messageOf([&] { TExtrStream s(dir, TExtrStreamMode::Read); }),
                           "10: ExtrStream: Error in create Cannot open file"));
    EXPECT_TRUE(startsWith(messageOf([&] { TExtrStream s(dir, TExtrStreamMode::Create); }),
                           "10: ExtrStream: Error in create Cannot create file"));
}

TEST_F(StreamTest, CreateModeReplacesAnExistingFile) {
    const std::string name = file("old.bin");
    writeAll(name, Bytes(100, 7));
    TExtrStream s(name, TExtrStreamMode::Create);
    s.writeInteger("", 5);
    s.Free();
    EXPECT_EQ(readAll(name), (Bytes{5, 0, 0, 0}));
}

TEST_F(StreamTest, WriteFailuresOnAFullDeviceAreReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    {
        // Small writes sit in the buffer; Free flushes and reports the failure.
        TExtrStream s("/dev/full", TExtrStreamMode::Create);
        s.writeInteger("", 1);
        const std::string m = messageOf([&] { s.Free(); });
        EXPECT_EQ(m, "11: ExtrStream: Error in Free Cannot write file \"/dev/full\": No space left "
                     "on device");
    }
    {
        TExtrStream s("/dev/full", TExtrStreamMode::Create);
        const std::string big(1 << 20, 'x');
        EXPECT_EQ(messageOf([&] { s.writeStringBuffer("", big); }),
                  "22: ExtrStream: Error in writeStringBuffer Cannot write file \"/dev/full\": No "
                  "space left on device");
    }
}

TEST_F(StreamTest, StringLengthsAreChecked) {
    const std::string name = file("s.bin");
    auto withLength = [&](int32_t length, size_t bytesAfter) {
        Bytes b{static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
        b.resize(4 + bytesAfter, 'q');
        writeAll(name, b);
    };
    auto checked = [&](int32_t maxLength) {
        TExtrStream s(name, TExtrStreamMode::Read);
        return messageOf([&] { s.readCheckedString("", maxLength); });
    };
    withLength(-1, 10);
    EXPECT_EQ(checked(100),
              "14: ExtrStream: Error in readString string length -1 is outside 0..100");
    withLength(101, 200);
    EXPECT_EQ(checked(100),
              "14: ExtrStream: Error in readString string length 101 is outside 0..100");
    withLength(INT32_MAX, 3);
    EXPECT_EQ(checked(INT32_MAX),
              "14: ExtrStream: Error in readString string length 2147483647 exceeds the 3 bytes "
              "left in the file");
    withLength(3, 3);
    {
        TExtrStream s(name, TExtrStreamMode::Read);
        EXPECT_EQ(s.readCheckedString("", 3), "qqq");
    }
    // The plain read refuses a negative or oversized length without allocating it.
    withLength(0, 2);
    TExtrStream s(name, TExtrStreamMode::Read);
    s.readInteger("");
    std::string out = "keep";
    EXPECT_EQ(messageOf([&] { s.readString("", -5, out); }),
              "14: ExtrStream: Error in readString string length -5 is negative");
    EXPECT_EQ(messageOf([&] { s.readString("", INT32_MAX, out); }),
              "14: ExtrStream: Error in readString unexpected end of file");
    EXPECT_EQ(out, "keep");
}
