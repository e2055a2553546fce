// Tests of the typed stream: byte encodings, error codes and words, end-of-file and length checks.
#include "ModelTestUtil.h"
#include "model/UnAnsiText.h"
#include "model/UnTExtrStream.h"

#include <bit>
#include <climits>
#include <functional>

namespace {

using StreamTest = ScratchTest;

std::string streamError(const std::function<void()>& op) {
    return thrownMessage<EExtrStrError>(op);
}

} // namespace

TEST_F(StreamTest, EncodesEveryTypeLittleEndianAndReadsItBack) {
    const std::string name = file("w.bin");
    writeBytes(name, Bytes(100, 7)); // Create replaces what was there
    const float oddSingles[] = {0.1f, -0.0f, 1e-40f, 3.4e38f,
                                std::bit_cast<float>(0x7FC01234u)}; // last: NaN with payload
    {
        TExtrStream s(name, TExtrStreamMode::Create);
        s.writeString("", "");
        s.writeString("", "abc");
        s.writeStringBuffer("", "abc");
        for (int32_t v : {-1, 0x12345678, INT32_MIN, INT32_MAX})
            s.writeInteger("", v);
        s.writeBoolean("", true);
        s.writeBoolean("", false);
        s.writeSingle("", 1.0f);
        s.writeSingle("", -2.5f);
        s.writeColor("", 0xFFFFFF);
        s.writeColor("", 0x00336699);
        // Text is UTF-8 in memory and Windows-1252 in the file, embedded zero bytes included.
        s.writeString("", std::string("\u00e9\u20ac\0z", 7));
        for (float f : oddSingles)
            s.writeSingle("", f);
        s.Free();
        s.Free(); // a second Free does nothing
    }
    Bytes expected{0,    0,    0,    0,    3,    0,    0,    0,    0x61, 0x62, 0x63, 0x61,
                   0x62, 0x63, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0,    0,
                   0,    0x80, 0xFF, 0xFF, 0xFF, 0x7F, 1,    0,    0x00, 0x00, 0x80, 0x3F,
                   0x00, 0x00, 0x20, 0xC0, 0xFF, 0xFF, 0xFF, 0x00, 0x99, 0x66, 0x33, 0x00,
                   4,    0,    0,    0,    0xE9, 0x80, 0x00, 0x7A};
    for (float f : oddSingles)
        for (int k = 0; k < 4; ++k)
            expected.push_back(static_cast<uint8_t>(std::bit_cast<uint32_t>(f) >> (8 * k)));
    EXPECT_EQ(readBytes(name), expected);

    TExtrStream s(name, TExtrStreamMode::Read);
    EXPECT_EQ(s.remaining(), static_cast<int64_t>(expected.size()));
    std::string text = "unchanged";
    s.readString("k", 0, text); // length 0: empty, nothing consumed
    EXPECT_EQ(text, "");
    EXPECT_EQ(s.readCheckedString("k", 0), "");
    EXPECT_EQ(s.readCheckedString("k", 3), "abc");
    s.readString("k", 3, text);
    EXPECT_EQ(text, "abc");
    for (int32_t v : {-1, 0x12345678, INT32_MIN, INT32_MAX})
        EXPECT_EQ(s.readInteger("k"), v);
    EXPECT_TRUE(s.readBoolean("k"));
    EXPECT_FALSE(s.readBoolean("k"));
    EXPECT_EQ(s.readSingle("k"), 1.0f);
    EXPECT_EQ(s.readSingle("k"), -2.5f);
    EXPECT_EQ(s.readColor("k"), 0xFFFFFFu);
    EXPECT_EQ(s.readColor("k"), 0x00336699u);
    EXPECT_EQ(s.readCheckedString("k", 4), std::string("\u00e9\u20ac\0z", 7));
    for (float f : oddSingles)
        EXPECT_EQ(std::bit_cast<uint32_t>(s.readSingle("k")), std::bit_cast<uint32_t>(f));
    EXPECT_EQ(s.remaining(), 0);
}

TEST_F(StreamTest, EndOfFileRaisesEachOperationsCodeAndWord) {
    const std::string name = file("short.bin");
    writeBytes(name, {2, 0, 3});
    std::string out;
    const std::string eof = " unexpected end of file";
    const struct {
        std::function<void(TExtrStream&)> op;
        std::string message;
    } cases[] = {
        {[](TExtrStream& s) { s.readInteger("x"); }, "12: ExtrStream: Error in readInteger" + eof},
        {[](TExtrStream& s) { s.readSingle("x"); }, "13: ExtrStream: Error in readSingle" + eof},
        {[](TExtrStream& s) { s.readColor("x"); }, "18: ExtrStream: Error in readColor" + eof},
        {[&](TExtrStream& s) { s.readString("x", 4, out); },
         "14: ExtrStream: Error in readString" + eof},
        {[](TExtrStream& s) {
             for (int k = 0; k < 4; ++k)
                 s.readBoolean("x");
         },
         "19: ExtrStream: Error in readBoolean" + eof},
    };
    for (const auto& c : cases) {
        TExtrStream s(name, TExtrStreamMode::Read);
        EXPECT_EQ(streamError([&] { c.op(s); }), c.message);
    }
    // A failed read leaves the position where it was: the three bytes are still there.
    TExtrStream s(name, TExtrStreamMode::Read);
    EXPECT_THROW(s.readInteger(""), EExtrStrError);
    EXPECT_EQ(s.remaining(), 3);
    EXPECT_TRUE(s.readBoolean("")); // any non-zero byte is true
    s.readString("", 2, out);
    EXPECT_EQ(out, std::string("\0\3", 2));
}

TEST_F(StreamTest, WritingOnAReadStreamRaisesEachOperationsCodeAndWord) {
    const std::string name = file("r.bin");
    writeBytes(name, {0, 0, 0, 0});
    TExtrStream s(name, TExtrStreamMode::Read);
    const std::string cause = "the stream is open for reading";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { s.writeInteger("", 1); }, "15: ExtrStream: Error in writeInteger " + cause},
        {[&] { s.writeSingle("", 1); }, "16: ExtrStream: Error in writeSingle " + cause},
        {[&] { s.writeString("", "a"); }, "17: ExtrStream: Error in writeString " + cause},
        {[&] { s.writeBoolean("", true); }, "20: ExtrStream: Error in writeBoolean " + cause},
        {[&] { s.writeColor("", 1); }, "21: ExtrStream: Error in writeColor " + cause},
        {[&] { s.writeStringBuffer("", "a"); },
         "22: ExtrStream: Error in writeStringBuffer " + cause},
    };
    for (const auto& [op, message] : cases)
        EXPECT_EQ(streamError(op), message);
    s.Free();
    // After Free every operation fails cleanly.
    EXPECT_EQ(streamError([&] { s.readInteger(""); }),
              "12: ExtrStream: Error in readInteger the stream is closed");
}

TEST_F(StreamTest, OpenFailuresAndBadPlainStringLengthsNameTheirCause) {
    // Creating in a missing folder and checked string reads are covered where a document is saved
    // and loaded.
    const std::string missing = file("missing.plv"), name = file("s.bin"), d = dir.string();
    writeBytes(name, {'q', 'q'});
    TExtrStream s(name, TExtrStreamMode::Read);
    std::string out = "keep";
    const std::string create = "10: ExtrStream: Error in create ";
    const std::string rs = "14: ExtrStream: Error in readString ";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { TExtrStream opened(missing, TExtrStreamMode::Read); },
         create + "Cannot open file \"" + missing + "\": No such file or directory"},
        // A directory is not a file, for reading nor for writing.
        {[&] { TExtrStream opened(d, TExtrStreamMode::Read); },
         create + "Cannot open file \"" + d + "\": Is a directory"},
        {[&] { TExtrStream opened(d, TExtrStreamMode::Create); },
         create + "Cannot create file \"" + d + "\": Is a directory"},
        // Refused before anything is allocated or read.
        {[&] { s.readString("", -5, out); }, rs + "string length -5 is negative"},
        {[&] { s.readString("", INT32_MAX, out); }, rs + "unexpected end of file"},
    };
    for (const auto& [op, message] : cases)
        EXPECT_EQ(streamError(op), message);
    EXPECT_EQ(out, "keep");
    EXPECT_EQ(s.remaining(), 2);

    // Small writes sit in the buffer until Free: that failure is checked where a document is saved.
    if (!std::filesystem::exists("/dev/full")) return;
    TExtrStream full("/dev/full", TExtrStreamMode::Create);
    EXPECT_EQ(streamError([&] { full.writeStringBuffer("", std::string(1 << 20, 'x')); }),
              "22: ExtrStream: Error in writeStringBuffer Cannot write file \"/dev/full\": No "
              "space left on device");
}

TEST(AnsiText, EveryByteHasOneCharacterAndOtherTextIsRefused) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string text = ansiToUtf8(all);
    EXPECT_EQ(utf8ToAnsi(text), all);
    EXPECT_EQ(utf8ToAnsiLossy(text), all);
    // Bytes whose characters differ from Latin-1, undefined ones kept as controls, and Latin-1.
    const std::pair<const char*, const char*> bytes[] = {
        {"\x80", "\u20ac"}, {"\x81", "\u0081"}, {"\x8a", "\u0160"}, {"\x9f", "\u0178"},
        {"\xa0", "\u00a0"}, {"\xe4", "\u00e4"}, {"\xff", "\u00ff"}};
    for (const auto& [ansi, utf8] : bytes)
        EXPECT_EQ(ansiToUtf8(ansi), utf8) << utf8;

    const std::pair<std::string, std::string> refused[] = {
        {"B\u00e4ume \u65e5.bmp",
         "the character \"\u65e5\" (U+65E5) is not in the Windows-1252 code page"},
        {"\u0080", "the character \"\u0080\" (U+0080) is not in the Windows-1252 code page"},
        {"\U0001F600",
         "the character \"\U0001F600\" (U+1F600) is not in the Windows-1252 code page"},
        {"a\xE4"
         "b",
         "the text is not valid UTF-8"},                  // a Latin-1 byte
        {"\xC3", "the text is not valid UTF-8"},          // cut short
        {"\xC0\xAF", "the text is not valid UTF-8"},      // overlong
        {"\xED\xA0\x80", "the text is not valid UTF-8"}}; // surrogate
    for (const auto& [utf8, message] : refused) {
        try {
            utf8ToAnsi(utf8);
            ADD_FAILURE() << utf8 << " converted";
        } catch (const EAnsiTextError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    EXPECT_EQ(utf8ToAnsiLossy("B\u00e4ume \u65e5\xC3"), "B\xE4ume ??");
    // Files that must hold UTF-8 keep it; a stray byte is taken as Windows-1252.
    EXPECT_EQ(validUtf8("B\u00e4ume \u65e5 \xE4\x80\xC3"), "B\u00e4ume \u65e5 \u00e4\u20ac\u00c3");
}
