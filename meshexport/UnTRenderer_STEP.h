// The STEP exporter's report: which objects it wrote as shells although their faces were meant to
// close, and why. (The exporter itself is chosen with useSTEPRenderer.)
#pragma once

#include <string>
#include <vector>

// An object of the last STEP export that became a shell instead of a solid.
struct TStepShellObject {
    std::string Name;
    std::string Reason; // in English, e.g. "its faces leave gaps"
};

// The objects of the STEP export started last that were written as shells, in document order.
const std::vector<TStepShellObject>& stepShellObjects();
