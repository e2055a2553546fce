// Tests of the exporters' number formatting against the C library, the text exports under a comma
// locale, and the buffered export file.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <locale>
#include <random>

namespace {

std::string printfFixed6(double v) {
    char buf[400];
    return std::string(buf, size_t(std::snprintf(buf, sizeof buf, "%.6f", v)));
}

std::string viaPut(float v) {
    char buf[MaxFixed6Length];
    return std::string(buf, putFixed6(buf, v));
}

std::string viaPut(double v) {
    char buf[MaxFixed6Length];
    return std::string(buf, putFixed6(buf, v));
}

// Checks both overloads and the appender for one float against printf's "%.6f"; false on a miss.
// No export ever writes "nan" or "inf": such values throw instead.
bool checkFloat(float f) {
    const double d = f;
    if (!std::isfinite(f)) {
        std::string appended;
        int refused = 0;
        for (const auto& write : std::initializer_list<std::function<void()>>{
                 [&] { viaPut(f); }, [&] { viaPut(d); }, [&] { appendFixed6(appended, f); }}) {
            try {
                write();
            } catch (const std::runtime_error& e) {
                refused += std::string(e.what()).find("not finite") != std::string::npos;
            }
        }
        EXPECT_EQ(refused, 3) << std::hexfloat << d;
        return refused == 3;
    }
    const std::string expected = printfFixed6(d);
    std::string appended;
    appendFixed6(appended, f);
    appendFixed6(appended, d);
    const bool ok =
        viaPut(f) == expected && viaPut(d) == expected && appended == expected + expected;
    EXPECT_TRUE(ok) << "value " << std::hexfloat << d << ": expected " << expected << ", got "
                    << viaPut(f) << " / " << viaPut(d);
    return ok;
}

// Random values per kind: 200000, or more through the environment for a long sweep by hand.
size_t sweepSize() {
    const char* s = std::getenv("PALVORIN_FIXED6_SWEEP");
    return s && std::atoll(s) > 0 ? size_t(std::atoll(s)) : 200000;
}

} // namespace

TEST(ExportFormat, Fixed6MatchesPrintfOnPickedTiedAndRandomFloats) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float below42 = std::nextafter(0x1p42f, 0.0f);
    const float picked[] = {0.0f,        -0.0f,       1.0f,         -1.0f,         0.5f,
                            9.5f,        0.0000005f,  -0.0000005f,  0.0000004999f, 1e-7f,
                            -1e-7f,      0.1f,        0.2f,         0.3f,          0.8f,
                            1.0f / 3.0f, 123.456789f, -987.654321f, 9.9999995f,    99.999999f,
                            9999.99999f, 99999.9999f, 16777216.0f,  4294967296.0f, below42,
                            0x1p42f,     -0x1p42f,    1e13f,        FLT_MAX,       -FLT_MAX,
                            FLT_MIN,     tiny,        -tiny,        inf,           -inf,
                            nan,         -nan};
    for (float f : picked)
        checkFloat(f);
    // Exact halves of the sixth decimal are the odd multiples of 1/128: printf rounds them to
    // even, and a negative zero keeps its sign.
    const std::pair<float, const char*> known[] = {{0.0078125f, "0.007812"},
                                                   {0.0234375f, "0.023438"},
                                                   {-0.0078125f, "-0.007812"},
                                                   {-0.0f, "-0.000000"},
                                                   {-1e-9f, "-0.000000"}};
    for (const auto& [f, text] : known)
        EXPECT_EQ(viaPut(f), text);
    for (uint32_t j = 1; j < (1u << 24); j += 2 * 997) {
        const float tie = float(j) / 128.0f;
        if (!checkFloat(tie) || !checkFloat(-tie) || !checkFloat(std::nextafter(tie, 0.0f)) ||
            !checkFloat(std::nextafter(tie, FLT_MAX)))
            return;
    }
    std::mt19937_64 rng(20240611);
    // Any bit pattern: every exponent, subnormals, infinities and NaNs.
    for (size_t i = 0; i < sweepSize(); ++i)
        if (!checkFloat(std::bit_cast<float>(uint32_t(rng())))) return;
    // The magnitudes a scene has, where all six decimals and the rounding matter.
    std::uniform_int_distribution<int> exponent(-30, 44);
    for (size_t i = 0; i < sweepSize(); ++i) {
        const uint64_t r = rng();
        const float mantissa = 1.0f + float(r & 0x7FFFFF) / float(1 << 23);
        if (!checkFloat(std::ldexp(mantissa, exponent(rng)) * ((r >> 32) & 1 ? -1.0f : 1.0f)))
            return;
    }
}

TEST(ExportFormat, Fixed6OfDoublesAndDecimalsMatchPrintf) {
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> scene(-5000.0, 5000.0);
    for (size_t i = 0; i < sweepSize() / 4; ++i) {
        const double d = i % 2 == 0 ? scene(rng) : std::ldexp(scene(rng), int(rng() % 80) - 40);
        ASSERT_EQ(viaPut(d), printfFixed6(d)) << std::hexfloat << d;
    }
    for (double d : {0.1, 1e300, -1e300, 4398046511104.5, DBL_MAX, -DBL_MAX, DBL_MIN})
        EXPECT_EQ(viaPut(d), printfFixed6(d)) << d;
    std::string text;
    appendFixed6(text, DBL_MAX);
    EXPECT_EQ(text, printfFixed6(DBL_MAX));
    EXPECT_LE(text.size(), MaxFixed6Length);

    std::vector<int64_t> values = {0, std::numeric_limits<int64_t>::max(),
                                   std::numeric_limits<int64_t>::min()};
    for (int64_t p = 1; p < std::numeric_limits<int64_t>::max() / 10; p *= 10)
        values.insert(values.end(), {p - 1, p, p + 1, -p});
    for (int i = 0; i < 10000; ++i)
        values.push_back(int64_t(rng()) >> (rng() % 64));
    for (int64_t v : values) {
        char buf[MaxDecimalLength], expected[32];
        std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(v));
        ASSERT_EQ(std::string(buf, putDecimal(buf, v)), expected);
        std::string appended = "x";
        appendDecimal(appended, v);
        ASSERT_EQ(appended, std::string("x") + expected);
    }
}

TEST(ExportFormat, CommaLocaleStillWritesPointsInDXFAndVRML) {
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCpp;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    std::locale::global(std::locale("de_DE.UTF-8"));
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    const std::string dxf = exportWith<TDXFRenderer>("de.dxf", twoFaceLathe);
    const std::string vrml = exportWith<TVRMLRenderer>("de.wrl", twoFaceLathe);
    std::locale::global(savedCpp);
    std::setlocale(LC_ALL, savedC.c_str());
    EXPECT_STREQ(probe, "1,5") << "the locale did not switch to a comma";
    EXPECT_NE(dxf.find("\r\n10.000000\r\n"), std::string::npos);
    EXPECT_EQ(dxf.find(','), std::string::npos);
    EXPECT_NE(vrml.find("point [10.000000 0.000000 0.000000 ,"), std::string::npos);
    EXPECT_NE(vrml.find("diffuseColor 1.000000 0.500000 0.000000 "), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The export file

TEST(ExportFile, EveryWayOfWritingKeepsTheBytesInOrderAcrossBufferBoundaries) {
    const std::string path = scratchPath("exportfile.bin");
    const size_t big = TExportFile::BufferSize;
    std::string expected;
    std::mt19937 rng(9);
    auto text = [&](size_t n) {
        std::string s(n, '\0');
        const uint32_t seed = rng();
        for (size_t i = 0; i < n; ++i)
            s[i] = char('a' + (seed + i * 7 + i / 26) % 26);
        return s;
    };
    TExportFile f;
    f.open(path);
    auto littleEndian = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            expected += char((v >> (8 * i)) & 0xFF);
    };
    for (int round = 0; round < 200; ++round) {
        const unsigned kind = rng() % 7;
        if (kind == 2) {
            const uint16_t a = uint16_t(rng());
            const uint32_t b = uint32_t(rng());
            const float c = float(rng() % 100000) / 7.0f;
            f.writeU16(a);
            f.writeU32(b);
            f.writeF32(c);
            littleEndian(a, 2);
            littleEndian(b, 4);
            littleEndian(std::bit_cast<uint32_t>(c), 4);
        } else if (kind == 3) {
            const size_t n = 1 + rng() % 5000;
            char* at = f.reserve(n);
            ASSERT_GE(f.available(), n);
            const std::string s = text(n - rng() % n);
            std::memcpy(at, s.data(), s.size());
            f.commit(at + s.size());
            expected += s;
        } else if (kind == 1) {
            const std::string s = text(rng() % 100);
            f.writeLine(s);
            expected += s + "\r\n";
        } else {
            // Plain writes of sizes around and beyond the buffer, tiny and ordinary ones; deferred
            // text, which never reaches the disk by itself, even beyond the buffer's size.
            const size_t sizes[] = {0, 1, 7, big - 1, big, big + 1, 3 * big + 5, 10, big + 17};
            const std::string s = text(kind == 0   ? sizes[rng() % 7]
                                       : kind == 4 ? sizes[7 + rng() % 2]
                                                   : rng() % 300);
            kind == 4 ? f.writeDeferred(s) : f.write(s);
            expected += s;
        }
        ASSERT_EQ(f.position(), expected.size()) << "round " << round;
    }
    f.close();
    const std::string data = takeFile(path);
    ASSERT_EQ(data.size(), expected.size());
    EXPECT_TRUE(data == expected) << "the file differs from what was written";
}

TEST(ExportFile, NumbersAreLittleEndianAndPatchesLandInPlace) {
    const std::string path = scratchPath("exportfile_patch.bin");
    TExportFile f;
    f.open(path);
    f.writeU16(0x4D4D);
    f.writeU32(8888);
    f.writeF32(16256.0f);
    f.write(std::string(TExportFile::BufferSize + 3, 'z'));
    f.patchU32(2, 0x01020304);
    f.writeU16(0xBEEF);
    f.close();
    const std::string data = takeFile(path);
    ASSERT_EQ(data.size(), 2 + 4 + 4 + TExportFile::BufferSize + 3 + 2);
    EXPECT_EQ(data.substr(0, 10), std::string("\x4D\x4D\x04\x03\x02\x01\x00\x00\x7E\x46", 10));
    EXPECT_EQ(data.substr(data.size() - 3), std::string("z\xEF\xBE", 3));

    // A head goes over its placeholder, the rest of it before: made room for, or moved.
    const std::string head(8192, 'h'), body(3 * TExportFile::BufferSize + 5, 'b');
    for (size_t room : {size_t(0), size_t(4096), head.size()}) {
        f.open(path);
        f.write(std::string(room, '-'));
        f.write(body);
        f.prepend(head, room);
        f.write("end");
        f.close();
        EXPECT_TRUE(takeFile(path) == head + body + "end") << "room " << room;
    }
    f.open(path);
    f.write("x");
    EXPECT_THROW(f.prepend("ab", 2), std::logic_error); // more placeholder than was written
    f.close();
}

TEST(ExportFile, ClosedOrNeverOpenedFilesRefuseEveryWrite) {
    TExportFile never;
    EXPECT_THROW(never.write(""), std::runtime_error);
    EXPECT_THROW(never.write("x"), std::runtime_error);
    EXPECT_THROW(never.reserve(1), std::runtime_error);
    EXPECT_THROW(never.writeDeferred("x"), std::runtime_error);
    EXPECT_THROW(never.writeU32(1), std::runtime_error);

    const std::string path = scratchPath("exportfile_closed.bin");
    const std::string earlier = "what an earlier file held";
    writeBytes(path, Bytes(earlier.begin(), earlier.end())); // emptied when opened
    TExportFile f;
    f.open(path);
    f.write("abc");
    EXPECT_THROW(f.reserve(TExportFile::BufferSize + 1), std::logic_error);
    f.close();
    EXPECT_EQ(errorOf([&] { f.write(""); }), "the export file is not open");
    EXPECT_THROW(f.reserve(8), std::runtime_error);
    EXPECT_EQ(takeFile(path), "abc");
}

// One object on a full disk fails at endRendering and releases the file; a file that cannot be
// created fails at initRendering.
template <class R> void expectExportFailures(const std::string& full, const std::string& create) {
    R r;
    r.initRendering("/dev/full");
    r.initObject("o");
    r.setColor(ColorF{1, 0, 0, 1});
    plainQuad(r, 0, 0);
    r.endObject(1, 1, false);
    EXPECT_EQ(errorOf([&] { r.endRendering(); }), full);
    if constexpr (requires { r.outStream; })
        EXPECT_FALSE(r.outStream.isOpen());
    else
        EXPECT_FALSE(r.outFile.isOpen());
    R bad;
    EXPECT_EQ(errorOf([&] { bad.initRendering("/nonexistent-dir/x"); }), create);
}

TEST(ExportFile, FullDiskAndUncreatableFilesGiveEachExportersError) {
    const std::string noDir = "\"/nonexistent-dir/x\": No such file or directory";
    // DXF and VRML leave a file that cannot be created to the file layer's own error.
    expectExportFailures<TDXFRenderer>(
        "renderer: 10: Renderer: Error in DXF:endRendering No space left on device",
        "Cannot create file " + noDir);
    expectExportFailures<TVRMLRenderer>(
        "renderer: 100: Renderer: Error in VRML:endRendering No space left on device",
        "Cannot create file " + noDir);
    expectExportFailures<T3DSRenderer>(
        "renderer: 10: Renderer: Error in 3DS:endRendering No space left on device",
        "renderer: 10: Renderer: Error in 3DS:initObject Cannot create file " + noDir);
}

TEST(ExportFile, FullDiskInTheMiddleOfAnExportIsTheFaceStepsError) {
    // Far more than one buffer of faces: the failing send happens inside a quads step.
    TDXFRenderer r;
    r.initRendering("/dev/full");
    r.initObject("a");
    EXPECT_EQ(errorOf([&] {
                  for (int q = 0; q < 100000; ++q)
                      plainQuad(r, float(q), 0);
              }),
              "renderer: 10: Renderer: Error in DXF:quads No space left on device");
    EXPECT_FALSE(r.outFile.isOpen());

    // 3DS writes its lengths first: a device gets the file from a scratch file at the end.
    T3DSRenderer t;
    t.initRendering("/dev/full");
    t.initObject("a");
    for (int q = 0; q < 60000; ++q)
        plainQuad(t, float(q), 0);
    t.endObject(1, 1, false);
    EXPECT_EQ(errorOf([&] { t.endRendering(); }),
              "renderer: 10: Renderer: Error in 3DS:endRendering No space left on device");
    EXPECT_FALSE(t.outStream.isOpen());
}
