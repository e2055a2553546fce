// Builds the example documents (moulding, vase, frame, handrail, twist) and their texture images.
#include "model/UnHelixPath.h"
#include "model/UnTExtrObj.h"
#include "model/UnTgroupObj.h"
#include "scene/UnBmpTex.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Pictures

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Top row first, three bytes per pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Picture(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3) {}
    void set(int x, int y, const Rgb& c) {
        uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        p[0] = uint8_t(std::clamp(std::lround(c.r), 0L, 255L));
        p[1] = uint8_t(std::clamp(std::lround(c.g), 0L, 255L));
        p[2] = uint8_t(std::clamp(std::lround(c.b), 0L, 255L));
    }
};

uint32_t hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double lattice(int x, int y, int periodX, int periodY, uint32_t seed) {
    x = ((x % periodX) + periodX) % periodX;
    y = ((y % periodY) + periodY) % periodY;
    return double(hash2(x, y, seed) & 0xFFFFFF) / double(0xFFFFFF);
}

// Value noise that repeats every periodX by periodY lattice cells, so the pictures tile.
double noise(double x, double y, int periodX, int periodY, uint32_t seed) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = lattice(xi, yi, periodX, periodY, seed);
    const double b = lattice(xi + 1, yi, periodX, periodY, seed);
    const double c = lattice(xi, yi + 1, periodX, periodY, seed);
    const double d = lattice(xi + 1, yi + 1, periodX, periodY, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

// Sum of octaves in 0..1; u and v run over 0..1 across the picture.
double fbm(double u, double v, int cellsX, int cellsY, int octaves, uint32_t seed) {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * noise(u * cellsX, v * cellsY, cellsX, cellsY, seed + uint32_t(o));
        total += amplitude;
        amplitude *= 0.5;
        cellsX *= 2;
        cellsY *= 2;
    }
    return sum / total;
}

double smoothstep(double e0, double e1, double x) {
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Long grain along the picture's width (the direction a sweep's U runs), rings across it.
Picture woodPicture(int size, int rings, const Rgb& light, const Rgb& dark, uint32_t seed) {
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            const double wobble = fbm(u, v, 3, 2, 4, seed);
            const double s = v * rings + 1.6 * wobble + 0.25 * std::sin(2 * Pi * (u * 2 + v));
            const double g = s - std::floor(s);
            const double ring = smoothstep(0.0, 0.18, g) * (1 - smoothstep(0.5, 1.0, g));
            const double streak = fbm(u, v, 2, 64, 3, seed + 17);
            const double pore = fbm(u, v, 64, 128, 1, seed + 31) > 0.82 ? 0.18 : 0.0;
            Rgb c = mix(dark, light, 0.25 + 0.6 * ring - 0.35 * (streak - 0.5));
            c = mix(c, dark, pore);
            p.set(x, y, c);
        }
    return p;
}

// White stone with soft grey-green veins.
Picture marblePicture(int size, uint32_t seed) {
    const Rgb stone{236, 236, 230}, cloud{205, 210, 208}, vein{88, 104, 104};
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            const double turbulence = fbm(u, v, 4, 4, 5, seed);
            const double w = std::sin(2 * Pi * (u + 2 * v) + 7.0 * turbulence);
            const double veins = std::pow(1 - std::abs(w), 9.0);
            const double clouds = fbm(u, v, 3, 3, 4, seed + 7);
            Rgb c = mix(stone, cloud, clouds * 0.9);
            c = mix(c, vein, veins * 0.85);
            p.set(x, y, c);
        }
    return p;
}

// Two-colour board, 8 by 8 squares, with a faint bevel so the squares read at any distance.
Picture checkerPicture(int size) {
    const Rgb ivory{238, 228, 204}, slate{58, 84, 122};
    const int square = size / 8;
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool dark = ((x / square) + (y / square)) % 2 == 1;
            Rgb c = dark ? slate : ivory;
            const int ex = x % square, ey = y % square;
            if (ex == 0 || ey == 0) c = mix(c, Rgb{255, 255, 255}, 0.25);
            if (ex == square - 1 || ey == square - 1) c = mix(c, Rgb{0, 0, 0}, 0.2);
            p.set(x, y, c);
        }
    return p;
}

void putLE16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void putLE32(std::vector<uint8_t>& out, uint32_t v) {
    putLE16(out, v & 0xFFFF);
    putLE16(out, v >> 16);
}

void writeFile(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + file.string());
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + file.string());
}

// Uncompressed 24-bit BMP: bottom row first, blue-green-red, rows padded to four bytes.
void writeBmp(const Picture& p, const std::filesystem::path& file) {
    const uint32_t rowSize = (uint32_t(p.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = rowSize * uint32_t(p.height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    putLE32(out, 54 + imageSize);
    putLE32(out, 0);
    putLE32(out, 54);
    putLE32(out, 40);
    putLE32(out, uint32_t(p.width));
    putLE32(out, uint32_t(p.height));
    putLE16(out, 1);
    putLE16(out, 24);
    putLE32(out, 0);
    putLE32(out, imageSize);
    putLE32(out, 2835);
    putLE32(out, 2835);
    putLE32(out, 0);
    putLE32(out, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        const uint8_t* row = &p.rgb[size_t(y) * size_t(p.width) * 3];
        for (int x = 0; x < p.width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        for (uint32_t pad = uint32_t(p.width) * 3; pad < rowSize; ++pad)
            out.push_back(0);
    }
    writeFile(file, out);
}

void writeJpeg(const Picture& p, const std::filesystem::path& file, int quality) {
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + file.string());
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = JDIMENSION(p.width);
    info.image_height = JDIMENSION(p.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(&p.rgb[size_t(info.next_scanline) * size_t(p.width) * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + file.string());
}

// ---------------------------------------------------------------------------------------------
// Objects

constexpr TColor rgb(int r, int g, int b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

const TColor White = rgb(255, 255, 255);
const TColor Gold = rgb(212, 160, 60);
const TColor DarkBrown = rgb(78, 48, 24);

struct Point {
    double x, y;
};

// A profile under construction: points in world units, each edge (from a point to the next one)
// belonging to one edge group.
struct ProfileDraft {
    double scale = 1; // applied to every point given to to()
    std::vector<Point> points;
    std::vector<int> groupOfEdge;
    void to(double x, double y, int group) {
        points.push_back({x * scale, y * scale});
        groupOfEdge.push_back(group);
    }
};

struct GroupSpec {
    int id;
    TColor color;
    std::string texture;
    int repeatU, repeatV;
};

TGroupListRef makeGroups(const std::vector<GroupSpec>& specs) {
    auto list = std::make_shared<TGroupPropertyList>();
    for (const GroupSpec& s : specs) {
        auto g = std::make_shared<TGroupPropertyObj>();
        g->Id = s.id;
        g->Color = s.color;
        g->Texture = s.texture;
        g->RepeatU = s.repeatU;
        g->RepeatV = s.repeatV;
        list->Add(g);
    }
    return list;
}

// Profiles are stored at half size (ProfileScale 50), so one world unit is two editor units.
int32_t editorUnits(double world) {
    return int32_t(std::lround(world * 2));
}

// Stores a closed profile: the outline repeats its first point, every point names its edge group.
void setProfile(TExtrObj& object, const ProfileDraft& draft, const std::vector<GroupSpec>& groups) {
    const size_t n = draft.points.size();
    if (n + 1 > size_t(MaxOutlineVertices)) throw std::runtime_error("profile too long");
    for (size_t i = 0; i <= n; ++i) {
        OutlineVertex& v = object.Profile[i];
        const Point& p = draft.points[i % n];
        v = OutlineVertex{};
        v.X = editorUnits(p.x);
        v.Y = editorUnits(p.y);
        if (i < n) v.Groups[0] = draft.groupOfEdge[i];
    }
    object.ProfileCount = int32_t(n + 1);
    object.SetProfileScale(50);
    object.Groups = makeGroups(groups);
}

// A closed rectangle in the ground plane, run so that the profile's +x side faces outwards.
void setRectanglePath(TExtrObj& object, int halfWidth, int halfDepth) {
    const int32_t corners[5][2] = {{-halfWidth, -halfDepth},
                                   {halfWidth, -halfDepth},
                                   {halfWidth, halfDepth},
                                   {-halfWidth, halfDepth},
                                   {-halfWidth, -halfDepth}};
    for (int i = 0; i < 5; ++i) {
        object.Path[i] = OutlineVertex{};
        object.Path[i].X = corners[i][0];
        object.Path[i].Y = corners[i][1];
    }
    object.PathCount = 5;
    object.SetPathClosed(true);
    object.SetPathScale(100);
}

void commonOptions(TExtrObj& object, const std::string& name) {
    object.SetName(name);
    object.SetTexDir("./");
    object.SetPrecision(1);
}

// Picture-frame moulding: flat back, chamfered lip, an ogee face, a gilded bead, a marble fillet.
std::unique_ptr<TExtrObj> makeMoulding() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "moulding");
    ProfileDraft d;
    d.scale = 1.35;
    d.to(-30, 0, 1); // back
    d.to(30, 0, 1);  // outer side
    d.to(30, 22, 2); // chamfer and lip
    d.to(27, 26, 2);
    const int ogeeSteps = 10;
    for (int i = 0; i < ogeeSteps; ++i) { // ogee from the lip down to the bead
        const double t = double(i) / ogeeSteps;
        d.to(22 - 34 * t, 14 + 6 * (1 + std::cos(Pi * t)), 3);
    }
    const int beadSteps = 7;
    for (int i = 0; i < beadSteps; ++i) { // half-round bead over the top
        const double a = Pi * i / beadSteps;
        d.to(-16 + 4 * std::cos(a), 14 + 4 * std::sin(a), 4);
    }
    d.to(-20, 14, 5); // fillet and inner rebate
    d.to(-22, 11, 5);
    d.to(-30, 11, 6);
    setProfile(*object, d,
               {{1, DarkBrown, "", 1, 1},
                {2, White, "walnut", 8, 1},
                {3, White, "wood", 5, 1},
                {4, Gold, "", 1, 1},
                {5, White, "marble", 12, 1},
                {6, DarkBrown, "", 1, 1}});
    setRectanglePath(*object, 200, 140);
    object->SetCornersColor(White);
    object->SetCornersTexture("walnut");
    object->SetRoundCorner(false);
    object->SetEmbCorner(false);
    object->SetRotation(Vec3{70, 0, 22});
    object->SetPosition(Vec3{0, 10, 0});
    return object;
}

// Vase turned on the lathe: walnut foot, gilded stem and lip, marble body, dark inside.
std::unique_ptr<TExtrObj> makeVase() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "vase");
    ProfileDraft d;
    const int foot = 1, band = 2, body = 3, lip = 4, inside = 5;
    d.to(0, -140, foot);
    d.to(62, -140, foot);
    d.to(66, -136, foot);
    d.to(66, -126, foot);
    d.to(60, -120, foot);
    d.to(44, -114, band);
    d.to(40, -108, band);
    d.to(46, -98, band);
    const Point bodyPoints[] = {{62, -84}, {80, -64}, {92, -40}, {98, -14}, {98, 10},
                                {92, 34},  {80, 56},  {64, 76},  {52, 92}};
    for (const Point& p : bodyPoints)
        d.to(p.x, p.y, body);
    const Point lipPoints[] = {{46, 106}, {47, 118}, {53, 128}, {61, 136}, {66, 141}, {64, 146}};
    for (const Point& p : lipPoints)
        d.to(p.x, p.y, lip);
    const Point insidePoints[] = {{57, 146}, {53, 140}, {45, 130}, {39, 118}, {38, 104}, {44, 90},
                                  {58, 72},  {74, 52},  {86, 30},  {90, 8},   {90, -14}, {84, -38},
                                  {72, -60}, {54, -78}, {32, -90}, {0, -94}};
    for (const Point& p : insidePoints)
        d.to(p.x, p.y, inside);
    setProfile(*object, d,
               {{foot, White, "walnut", 3, 1},
                {band, Gold, "", 1, 1},
                {body, White, "marble", 3, 1},
                {lip, Gold, "", 1, 1},
                {inside, rgb(70, 88, 84), "", 1, 1}});
    object->MakeLathe(48);
    object->SetRotation(Vec3{24, 0, 0});
    object->SetPosition(Vec3{0, 0, 0});
    return object;
}

// Mitred frame with embedded corners: rounded wooden face, walnut bevel, gilded rebate.
std::unique_ptr<TExtrObj> makeFrame() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "frame");
    ProfileDraft d;
    d.scale = 1.25;
    d.to(-20, 0, 1);
    d.to(20, 0, 1);
    d.to(20, 10, 2);
    d.to(19.2, 12.8, 2);
    d.to(17, 15, 2);
    d.to(14, 16.5, 2);
    d.to(4, 16.5, 3);
    d.to(-10, 11, 4);
    d.to(-12, 11, 4);
    d.to(-12, 8, 4);
    d.to(-20, 8, 5);
    setProfile(*object, d,
               {{1, DarkBrown, "", 1, 1},
                {2, White, "wood", 6, 1},
                {3, White, "wood", 6, 1},
                {4, Gold, "", 1, 1},
                {5, DarkBrown, "", 1, 1}});
    setRectanglePath(*object, 150, 110);
    object->SetRoundCorner(false);
    object->SetEmbCorner(true);
    object->SetRotation(Vec3{90, 0, 28});
    return object;
}

// The picture in the frame: a thin board with a checker face, swept along a straight open path.
std::unique_ptr<TExtrObj> makePanel() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "picture");
    ProfileDraft d;
    d.to(-130, 2, 1);
    d.to(130, 2, 1);
    d.to(130, 6, 2);
    d.to(-130, 6, 3);
    setProfile(*object, d,
               {{1, rgb(120, 90, 60), "", 1, 1},
                {2, White, "checker", 3, 4},
                {3, rgb(120, 90, 60), "", 1, 1}});
    object->Path[0] = OutlineVertex{};
    object->Path[0].X = 0;
    object->Path[0].Y = -90;
    object->Path[1] = OutlineVertex{};
    object->Path[1].X = 0;
    object->Path[1].Y = 90;
    object->PathCount = 2;
    object->SetPathClosed(false);
    object->SetPathScale(100);
    object->SetTopColor(rgb(120, 90, 60));
    object->SetBottomColor(rgb(120, 90, 60));
    object->SetRotation(Vec3{90, 0, 28});
    return object;
}

// A moulded handrail climbing a quarter-turn stair: a straight flight, a quarter turn round the
// newel, a second flight, rising 0.7 mm a millimetre of going.
std::unique_ptr<TExtrObj> makeHandrail() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "handrail");
    ProfileDraft d;
    d.scale = 2;
    d.to(-20, 0, 1); // flat underside with a groove
    d.to(-6, 0, 1);
    d.to(-6, 4, 1);
    d.to(6, 4, 1);
    d.to(6, 0, 1);
    d.to(20, 0, 2);
    const int steps = 14;
    for (int i = 0; i <= steps; ++i) { // rounded top from one side over to the other
        const double a = Pi * i / steps;
        d.to(28 * std::cos(a), 22 + 22 * std::sin(a) * (0.8 + 0.2 * std::sin(a)), 2);
    }
    setProfile(*object, d, {{1, DarkBrown, "", 1, 1}, {2, White, "walnut", 10, 1}});
    std::vector<std::pair<double, double>> plan = {{0, 0}, {0, 900}};
    for (int i = 1; i <= 6; ++i) {
        const double a = Pi / 2 * i / 6;
        plan.push_back({300 - 300 * std::cos(a), 900 + 300 * std::sin(a)});
    }
    plan.push_back({1200, 1200});
    double climbed = 0;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (i > 0)
            climbed += 0.7 * std::hypot(plan[i].first - plan[i - 1].first,
                                        plan[i].second - plan[i - 1].second);
        object->Path[i] = OutlineVertex{};
        object->Path[i].X = int32_t(std::lround(plan[i].first));
        object->Path[i].Y = int32_t(std::lround(plan[i].second));
        object->PathHeight[i] = float(std::round(climbed));
    }
    object->PathCount = int32_t(plan.size());
    object->SetPathClosed(false);
    object->SetPathScale(100);
    object->SetTopColor(rgb(120, 80, 50));
    object->SetBottomColor(rgb(120, 80, 50));
    object->SetCornersTexture("walnut");
    object->SetRotation(Vec3{25, 150, 0});
    return object;
}

// The column's turned base: a square-edged plinth, a torus and a fillet under the strands, whose
// slanted ends it hides.
std::unique_ptr<TExtrObj> makeTwistBase() {
    auto object = std::make_unique<TExtrObj>();
    commonOptions(*object, "base");
    ProfileDraft d;
    const int plinth = 1, torus = 2, top = 3;
    d.to(0, -60, plinth);
    d.to(58, -60, plinth);
    d.to(58, -40, plinth);
    for (int i = 0; i <= 8; ++i) { // the torus, a half round over the plinth
        const double a = -Pi / 2 + Pi * i / 8;
        d.to(46 + 10 * std::cos(a), -30 + 10 * std::sin(a), torus);
    }
    d.to(40, -20, top);
    d.to(40, 12, top);
    d.to(0, 12, top);
    setProfile(*object, d,
               {{plinth, White, "walnut", 3, 1},
                {torus, White, "wood", 4, 1},
                {top, White, "walnut", 2, 1}});
    object->MakeLathe(32);
    return object;
}

// A barley-twist column: three strands wound round each other on helices of two turns, on a
// turned base.
std::vector<std::unique_ptr<TExtrObj>> makeTwist() {
    std::vector<std::unique_ptr<TExtrObj>> objects;
    objects.push_back(makeTwistBase());
    for (int k = 0; k < 3; ++k) {
        auto strand = std::make_unique<TExtrObj>();
        commonOptions(*strand, "strand " + std::to_string(k + 1));
        ProfileDraft d;
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * Pi * i / 16;
            d.to(14 * std::cos(a), 14 * std::sin(a), 1);
        }
        setProfile(*strand, d, {{1, White, "wood", 2, 1}});
        THelixShape helix;
        helix.Radius = 16;
        helix.RisePerTurn = 180;
        helix.Turns = 2;
        helix.StepsPerTurn = 24;
        helix.StartAngle = 120.0 * k;
        const THelixPath path = makeHelixPath(helix, 100);
        std::copy_n(path.Vertices.begin(), path.Count, strand->Path.begin());
        std::copy_n(path.Heights.begin(), path.Count, strand->PathHeight.begin());
        strand->PathCount = path.Count;
        strand->SetPathClosed(false);
        strand->SetPathScale(100);
        strand->SetTopColor(rgb(150, 98, 60));
        strand->SetBottomColor(rgb(150, 98, 60));
        strand->SetPrecision(1);
        objects.push_back(std::move(strand));
    }
    return objects;
}

// The texture table saved with a document names the images without a directory: the loader looks
// for them beside the document.
void useTextures(const std::filesystem::path& dir, const std::vector<std::string>& names) {
    clearTextureTable();
    for (const std::string& file : names) {
        const std::string texName = std::filesystem::path(file).stem().string();
        addTexture((dir / file).string(), texName);
    }
    for (TTextureObj& t : textureTable)
        t.FileName = FileNamePart(t.FileName);
}

void saveDocument(const std::filesystem::path& file,
                  std::vector<std::unique_ptr<TExtrObj>> objects) {
    TExtrObjList doc;
    for (auto& o : objects)
        doc.Add(std::move(o));
    doc.SaveToFile(file.string());
    std::printf("wrote %s (%d objects)\n", file.string().c_str(), doc.Count());
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::filesystem::path dir = argc > 1 ? argv[1] : "examples";
        std::filesystem::create_directories(dir);

        writeBmp(woodPicture(256, 4, Rgb{228, 174, 112}, Rgb{140, 82, 38}, 11), dir / "wood.bmp");
        writeBmp(marblePicture(256, 5), dir / "marble.bmp");
        writeBmp(checkerPicture(64), dir / "checker.bmp");
        writeJpeg(woodPicture(128, 5, Rgb{150, 98, 60}, Rgb{66, 38, 20}, 23), dir / "walnut.jpg",
                  90);

        std::vector<std::unique_ptr<TExtrObj>> moulding;
        moulding.push_back(makeMoulding());
        useTextures(dir, {"wood.bmp", "walnut.jpg", "marble.bmp"});
        saveDocument(dir / "moulding.PLV", std::move(moulding));

        std::vector<std::unique_ptr<TExtrObj>> vase;
        vase.push_back(makeVase());
        useTextures(dir, {"marble.bmp", "walnut.jpg"});
        saveDocument(dir / "vase.PLV", std::move(vase));

        std::vector<std::unique_ptr<TExtrObj>> frame;
        frame.push_back(makeFrame());
        frame.push_back(makePanel());
        useTextures(dir, {"wood.bmp", "checker.bmp"});
        saveDocument(dir / "frame.PLV", std::move(frame));

        std::vector<std::unique_ptr<TExtrObj>> handrail;
        handrail.push_back(makeHandrail());
        useTextures(dir, {"walnut.jpg"});
        saveDocument(dir / "handrail.PLV", std::move(handrail));

        useTextures(dir, {"wood.bmp", "walnut.jpg"});
        saveDocument(dir / "twist.PLV", makeTwist());
        clearTextureTable();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "palvorin-make-examples: %s\n", e.what());
        return 1;
    }
}
