// Closure check of a triangle soup: every edge shared by exactly two triangles, once each way, by
// corners with identical bits, no triangle without area, wound outwards.
#pragma once

#include "TestFiles.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using Corner = std::array<float, 3>;
using Triangle = std::array<Corner, 3>;

// What keeps triangles from being a closed surface wound outwards (wound one way round, when
// outwards is false); empty when they are one.
inline std::string watertightFaults(const std::vector<Triangle>& triangles, bool outwards = true) {
    std::map<std::array<uint32_t, 3>, uint32_t> ids; // corners by their bits
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    int flat = 0;
    double volume = 0; // six times
    for (const Triangle& t : triangles) {
        uint32_t id[3];
        for (int k = 0; k < 3; ++k) {
            std::array<uint32_t, 3> bits;
            std::memcpy(bits.data(), t[k].data(), sizeof bits);
            id[k] = ids.emplace(bits, uint32_t(ids.size())).first->second;
        }
        const Corner &a = t[0], &b = t[1], &c = t[2];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                             u[0] * v[1] - u[1] * v[0]};
        if (id[0] == id[1] || id[1] == id[2] || id[0] == id[2] ||
            (n[0] == 0 && n[1] == 0 && n[2] == 0))
            ++flat;
        volume += double(a[0]) * (double(b[1]) * c[2] - double(b[2]) * c[1]) -
                  double(a[1]) * (double(b[0]) * c[2] - double(b[2]) * c[0]) +
                  double(a[2]) * (double(b[0]) * c[1] - double(b[1]) * c[0]);
        for (int k = 0; k < 3; ++k)
            ++directed[{id[k], id[(k + 1) % 3]}];
    }
    int unmatched = 0, sameWay = 0;
    for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        if (count > 1) sameWay += count - 1;
        if (back == directed.end() || back->second != count) ++unmatched;
    }
    std::ostringstream out;
    if (triangles.empty()) out << "no triangles; ";
    if (flat) out << flat << " triangles without area; ";
    if (unmatched) out << unmatched << " edges not shared once each way; ";
    if (sameWay) out << sameWay << " edges run the same way twice; ";
    if (outwards && !(volume > 0)) out << "volume " << volume / 6 << " not positive; ";
    return out.str();
}

// The triangles of a binary STL file.
inline std::vector<Triangle> readStlTriangles(const std::filesystem::path& path) {
    const Bytes bytes = readBytes(path);
    std::vector<Triangle> out;
    if (bytes.size() < 84) return out;
    const uint32_t count = readLE(bytes, 80, 4);
    for (uint32_t i = 0; i < count && 84 + 50 * size_t(i + 1) <= bytes.size(); ++i) {
        Triangle t;
        std::memcpy(t.data(), &bytes[84 + 50 * size_t(i) + 12], sizeof t);
        out.push_back(t);
    }
    return out;
}
