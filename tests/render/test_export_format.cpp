// Tests of the exporters' number formatting against the C library and of the buffered export file.
#include "render/UnTRenderer_Exporters.h"
#include "render_test_util.h"

#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace {

// printf's "%.6f" in the C locale.
std::string printfFixed6(double v) {
    char buf[400];
    const int n = std::snprintf(buf, sizeof buf, "%.6f", v);
    return std::string(buf, size_t(n));
}

// What the exporters wrote before for values printf does not define the same way everywhere.
std::string toCharsFixed6(double v) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    return std::string(buf, res.ptr);
}

std::string viaPutFloat(float v) {
    char buf[MaxFixed6Length];
    return std::string(buf, putFixed6(buf, v));
}

std::string viaPutDouble(double v) {
    char buf[MaxFixed6Length];
    return std::string(buf, putFixed6(buf, v));
}

// Checks both overloads and the appender for one float value; returns false on the first miss.
bool checkFloat(float f) {
    const double d = f;
    const std::string expected = std::isfinite(f) ? printfFixed6(d) : toCharsFixed6(d);
    std::string appended;
    appendFixed6(appended, f);
    appendFixed6(appended, d);
    const bool ok = viaPutFloat(f) == expected && viaPutDouble(d) == expected &&
                    appended == expected + expected;
    EXPECT_TRUE(ok) << "value " << std::hexfloat << d << ": expected " << expected << ", got "
                    << viaPutFloat(f) << " / " << viaPutDouble(d);
    return ok;
}

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The number of random values per kind: 200000 by default, more through the environment for a
// long sweep by hand.
size_t sweepSize() {
    if (const char* s = std::getenv("PALVORIN_FIXED6_SWEEP")) {
        const long long n = std::atoll(s);
        if (n > 0) return size_t(n);
    }
    return 200000;
}

} // namespace

TEST(ExportFormat, Fixed6MatchesPrintfOnHandPickedValues) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    const float picked[] = {0.0f,
                            -0.0f,
                            1.0f,
                            -1.0f,
                            0.5f,
                            9.5f,
                            0.0000005f,
                            -0.0000005f,
                            0.0000004999f,
                            1e-7f,
                            -1e-7f,
                            0.1f,
                            0.2f,
                            0.3f,
                            0.8f,
                            1.0f / 3.0f,
                            123.456789f,
                            -987.654321f,
                            9.9999995f,
                            99.999999f,
                            9999.99999f,
                            99999.9999f,
                            16777216.0f,
                            4294967296.0f,
                            std::nextafter(0x1p42f, 0.0f),
                            0x1p42f,
                            -0x1p42f,
                            1e13f,
                            FLT_MAX,
                            -FLT_MAX,
                            FLT_MIN,
                            std::numeric_limits<float>::denorm_min(),
                            -std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN()};
    for (float f : picked)
        checkFloat(f);
    // Exact halves of the sixth decimal are the odd multiples of 1/128: printf rounds them to
    // even (0.0078125 gives 0.007812, 0.0234375 gives 0.023438).
    EXPECT_EQ(viaPutFloat(0.0078125f), "0.007812");
    EXPECT_EQ(viaPutFloat(0.0234375f), "0.023438");
    EXPECT_EQ(viaPutFloat(-0.0078125f), "-0.007812");
    EXPECT_EQ(viaPutFloat(-0.0f), "-0.000000");
    EXPECT_EQ(viaPutFloat(-1e-9f), "-0.000000");
    for (uint32_t j = 1; j < (1u << 24); j += 2 * 997) {
        const float tie = float(j) / 128.0f;
        if (!checkFloat(tie) || !checkFloat(-tie) || !checkFloat(std::nextafter(tie, 0.0f)) ||
            !checkFloat(std::nextafter(tie, FLT_MAX)))
            break;
    }
}

TEST(ExportFormat, Fixed6MatchesPrintfOnRandomFloats) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::mt19937_64 rng(20240611);
    const size_t n = sweepSize();
    // Any bit pattern: every exponent, subnormals, infinities and NaNs.
    for (size_t i = 0; i < n; ++i)
        if (!checkFloat(floatFromBits(uint32_t(rng())))) return;
    // The magnitudes a scene has, where all six decimals and the rounding matter.
    std::uniform_int_distribution<int> exponent(-30, 44);
    for (size_t i = 0; i < n; ++i) {
        const uint64_t r = rng();
        const float mantissa = 1.0f + float(r & 0x7FFFFF) / float(1 << 23);
        const float f = std::ldexp(mantissa, exponent(rng)) * ((r >> 32) & 1 ? -1.0f : 1.0f);
        if (!checkFloat(f)) return;
    }
}

TEST(ExportFormat, Fixed6OfDoublesThatAreNoFloatStillMatchesPrintf) {
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> scene(-5000.0, 5000.0);
    for (size_t i = 0; i < sweepSize() / 4; ++i) {
        const double d = i % 2 == 0 ? scene(rng) : std::ldexp(scene(rng), int(rng() % 80) - 40);
        ASSERT_EQ(viaPutDouble(d), printfFixed6(d)) << std::hexfloat << d;
    }
    for (double d : {0.1, 1e300, -1e300, 4398046511104.5, DBL_MAX, -DBL_MAX, DBL_MIN})
        EXPECT_EQ(viaPutDouble(d), printfFixed6(d)) << d;
    std::string text;
    appendFixed6(text, DBL_MAX);
    EXPECT_EQ(text, printfFixed6(DBL_MAX));
    EXPECT_LE(text.size(), MaxFixed6Length);
}

TEST(ExportFormat, DecimalsMatchPrintf) {
    std::mt19937_64 rng(5);
    std::vector<int64_t> values = {0,
                                   1,
                                   -1,
                                   9,
                                   10,
                                   99,
                                   100,
                                   std::numeric_limits<int64_t>::max(),
                                   std::numeric_limits<int64_t>::min()};
    for (int64_t p = 1; p < std::numeric_limits<int64_t>::max() / 10; p *= 10)
        for (int64_t v : {p - 1, p, p + 1, -p})
            values.push_back(v);
    for (int i = 0; i < 10000; ++i)
        values.push_back(int64_t(rng()) >> (rng() % 64));
    for (int64_t v : values) {
        char buf[MaxDecimalLength];
        char expected[32];
        std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(v));
        ASSERT_EQ(std::string(buf, putDecimal(buf, v)), expected);
        std::string appended = "x";
        appendDecimal(appended, v);
        ASSERT_EQ(appended, std::string("x") + expected);
    }
}

// ---------------------------------------------------------------------------------------------
// The export file

TEST(ExportFile, EveryWayOfWritingKeepsTheBytesInOrderAcrossBufferBoundaries) {
    const std::string path = scratchPath("exportfile.bin");
    std::string expected;
    std::mt19937 rng(9);
    TExportFile f;
    f.open(path);
    const size_t big = TExportFile::BufferSize;
    auto text = [&](size_t n) {
        std::string s(n, '\0');
        const uint32_t seed = rng();
        for (size_t i = 0; i < n; ++i)
            s[i] = char('a' + (seed + i * 7 + i / 26) % 26);
        return s;
    };
    auto littleEndian = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            expected += char((v >> (8 * i)) & 0xFF);
    };
    for (int round = 0; round < 200; ++round) {
        switch (rng() % 7) {
        case 0: {
            // Sizes around and beyond the buffer, and tiny ones.
            const size_t sizes[] = {0, 1, 7, big - 1, big, big + 1, 3 * big + 5};
            const std::string s = text(sizes[rng() % 7]);
            f.write(s);
            expected += s;
            break;
        }
        case 1: {
            const std::string s = text(rng() % 100);
            f.writeLine(s);
            expected += s + "\r\n";
            break;
        }
        case 2: {
            const uint16_t a = uint16_t(rng());
            const uint32_t b = uint32_t(rng());
            const float c = float(rng() % 100000) / 7.0f;
            f.writeU16(a);
            f.writeU32(b);
            f.writeF32(c);
            uint32_t bits;
            std::memcpy(&bits, &c, 4);
            littleEndian(a, 2);
            littleEndian(b, 4);
            littleEndian(bits, 4);
            break;
        }
        case 3: {
            const size_t n = 1 + rng() % 5000;
            char* at = f.reserve(n);
            ASSERT_GE(f.available(), n);
            const std::string s = text(n - rng() % n);
            std::memcpy(at, s.data(), s.size());
            f.commit(at + s.size());
            expected += s;
            break;
        }
        case 4: {
            // Deferred text never reaches the disk by itself, even beyond the buffer's size.
            const std::string s = text(rng() % 2 == 0 ? 10 : big + 17);
            const uint64_t before = f.position();
            f.writeDeferred(s);
            expected += s;
            EXPECT_EQ(f.position(), before + s.size());
            break;
        }
        default: {
            const std::string s = text(rng() % 300);
            f.write(s);
            expected += s;
            break;
        }
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
}

TEST(ExportFile, ClosedOrNeverOpenedFilesRefuseEveryWrite) {
    TExportFile never;
    EXPECT_THROW(never.write(""), std::runtime_error);
    EXPECT_THROW(never.write("x"), std::runtime_error);
    EXPECT_THROW(never.reserve(1), std::runtime_error);
    EXPECT_THROW(never.writeDeferred("x"), std::runtime_error);
    EXPECT_THROW(never.writeU32(1), std::runtime_error);

    const std::string path = scratchPath("exportfile_closed.bin");
    TExportFile f;
    f.open(path);
    f.write("abc");
    EXPECT_THROW(f.reserve(TExportFile::BufferSize + 1), std::logic_error);
    f.close();
    try {
        f.write("");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "the export file is not open");
    }
    EXPECT_THROW(f.reserve(8), std::runtime_error);
    EXPECT_EQ(takeFile(path), "abc");
}

TEST(ExportFile, FullDiskInTheMiddleOfAnExportIsTheFaceStepsError) {
    // Far more than one buffer of faces: the failing send happens inside a quads step.
    TDXFRenderer r;
    r.initRendering("/dev/full");
    r.initObject("a");
    try {
        for (int q = 0; q < 100000; ++q)
            r.quads(quadAt(float(q), 0, 0), false, unitTexCoords());
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "10: Renderer: Error in DXF:quads No space left on device");
    }
    EXPECT_FALSE(r.outFile.isOpen());

    T3DSRenderer t;
    t.initRendering("/dev/full");
    t.initObject("a");
    for (int q = 0; q < 60000; ++q)
        t.quads(quadAt(float(q), 0, 0), false, unitTexCoords());
    try {
        t.endObject(1, 1, false);
        FAIL() << "no error";
    } catch (const EDXFError& e) {
        EXPECT_STREQ(e.what(), "10: Renderer: Error in 3DS:endFace No space left on device");
    }
    EXPECT_FALSE(t.outStream.isOpen());
}
