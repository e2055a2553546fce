// Outlines from DXF drawings: the entities of the model space read through dxflib, turned into
// dense point chains in millimetres, joined end to end, and the profile or path chosen among them;
// and the outline written back as one LWPOLYLINE.
#pragma once

#include "model/unVectorCalc.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// Every reason an outline cannot be read or written; the message is the user's.
class EOutlineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class TOutlineKind { Profile, Path };

// A point of a chain in millimetres. A corner is a point the drawing gives exactly (the end of a
// straight edge, a polyline vertex, an end of a curve); the other points sample curves.
struct TChainPoint {
    double X = 0, Y = 0;
    bool Corner = false;
    double Z = 0; // height in millimetres, from the ends of LINEs, 3D POLYLINE vertices, SPLINEs
};

struct TOutlineChain {
    std::vector<TChainPoint> Points; // a closed chain ends on its first point
    bool Closed = false;
    std::vector<std::string> Gaps; // the gaps wider than the joining tolerance closed in it
    double Length() const;
    double Area() const; // signed, counter-clockwise positive
};

struct TDxfOutlines {
    std::vector<TOutlineChain> Chains;
    double MillimetresPerUnit = 1;
    std::string UnitName = "millimetres";
    double Tolerance = 0;                     // joining tolerance, mm
    static constexpr double WidestGap = 0.1;  // mm: wider gaps are left open
    std::map<std::string, int> Found;         // entity types of the model space and their counts
    std::map<std::string, int> OnOtherLayers; // usable entities skipped by the layer choice
    std::vector<std::string> Layers;          // layers holding usable entities, in drawing order
    std::vector<std::string> Notes;
};

// Reads the DXF text (any version from R12) and joins the pieces of the chosen layer (empty: every
// layer) into chains. Throws EOutlineError for what is not a DXF drawing; name is the file's name
// for messages.
TDxfOutlines readDxfOutlines(const std::string& bytes, const std::string& name,
                             const std::string& layer);

// Joins pieces whose ends meet within tolerance (millimetres) into chains, in any order and either
// direction; a piece marked closed stays a chain of its own. Then the ends of the chains left open
// that lie within widestGap are joined too, each such gap named in its chain's Gaps.
std::vector<TOutlineChain> joinPieces(std::vector<TOutlineChain> pieces, double tolerance,
                                      double widestGap = 0);

// "TEXT (1), INSERT (2)": entity types with their counts.
std::string entityCounts(const std::map<std::string, int>& counts);

// The profile (the largest closed chain by area) or the path (the longest chain); notes say what
// was left out. Throws EOutlineError when the drawing holds no such chain.
TOutlineChain chooseOutline(TDxfOutlines& drawing, TOutlineKind kind, const std::string& name,
                            const std::string& layer);

// The DXF text of one LWPOLYLINE through the points (millimetres, $INSUNITS 4), closed or open.
std::string outlineDxfText(const std::vector<TChainPoint>& points, bool closed);

// Shortest text that reads back as the same double, always with '.'.
std::string formatNumber(double value);
// The same, rounded to 0.0001, for messages.
std::string millimetres(double value);
