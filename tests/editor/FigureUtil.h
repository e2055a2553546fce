// Shared helpers of the editor tests: polylines from point lists and vertex states.
#pragma once

#include "editor/UnTFCLine.h"

#include <initializer_list>
#include <vector>

// Start, intermediate vertices, end.
inline TFCMultiLine makePolyline(std::initializer_list<Point2> points) {
    std::vector<OutlineVertex> records;
    for (Point2 p : points)
        records.push_back({p.X, p.Y, {}});
    TFCMultiLine line;
    line.SetVertices(records.data(), int32_t(records.size()));
    return line;
}

inline std::vector<Point2> positions(const TFCMultiLine& line) {
    std::vector<Point2> out;
    for (int32_t i = 0; i < line.VertexCount(); ++i)
        out.push_back(line.Vertex(i).Pos);
    return out;
}

inline bool operator==(Point2 a, Point2 b) {
    return a.X == b.X && a.Y == b.Y;
}
inline std::ostream& operator<<(std::ostream& o, Point2 p) {
    return o << "(" << p.X << "," << p.Y << ")";
}
