// The command line's outlines from DXF drawings: the object they go into, and its new outlines.
#pragma once

#include <string>
#include <vector>

class TExtrObjList;

struct TOutlineOptions {
    std::string Profile, Path;           // DXF files, empty when not given
    std::string ProfileLayer, PathLayer; // empty: every layer
    std::string Object;                  // the object's name, empty: the first object
    int Lathe = 0;                       // subdivisions, 0: no lathe
    double Rise = 0, Turns = 1;          // the lathe's pitch: millimetres a turn, turns
    bool Pitch = false;                  // --rise or --turns given
    bool Any() const { return !Profile.empty() || !Path.empty() || Lathe > 0; }
};

// Gives the chosen object of doc (the one new object when newDocument) the outlines of the
// drawings; the lines for standard error (each outline's vertices, deviation and scale, and the
// readers' notes) go to report. Throws EOutlineError with the user's message.
void applyOutlineOptions(TExtrObjList& doc, bool newDocument, const TOutlineOptions& options,
                         std::vector<std::string>& report);
