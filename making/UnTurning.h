// The segmented-turning table of a lathe object: per ring of board thickness, from the bottom up,
// the radii of the solid in that band and the segments to cut for it.
#pragma once

#include <string>
#include <vector>

class TExtrObj;

struct TTurningSettings {
    double Board = 19;    // mm, the thickness of one ring
    int Segments = 0;     // per ring; 0: the lathe's steps
    double Allowance = 3; // mm added outside and taken inside, for turning
};

struct TRing {
    int Ring = 0;            // 1 at the bottom
    double From = 0, To = 0; // mm above the solid's bottom
    double Outer = 0;        // mm, radius with the allowance
    double Inner = 0;        // mm, radius less the allowance; 0 for a solid ring
    bool SolidRing = false;  // the band reaches the axis (or the allowance does)
    int Segments = 0;
    double SegmentLength = 0; // mm, along its outer edge: 2 R tan(180 / n)
    double SegmentWidth = 0;  // mm, Outer - Inner
    double Mitre = 0;         // degrees, 180 / n
    double BoardLength = 0;   // mm of board for the ring's segments
};

struct TTurningTable {
    std::string Object;
    std::vector<TRing> Rings; // from the bottom up
    std::string Problem;      // why the object has no table (then Rings is empty)
};

// "" when the settings are usable; else the message naming the field and its range.
std::string checkTurningSettings(const TTurningSettings& settings);
// The table of a lathe object (any other gets a Problem). The settings must have passed
// checkTurningSettings.
TTurningTable turningTable(const TExtrObj& object, const TTurningSettings& settings);
