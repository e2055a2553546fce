// The STEP exporter's report: which objects it wrote as shells although their faces were meant to
// close, and why. (The exporter itself is chosen with useSTEPRenderer.)
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// An object of the last STEP export that became a shell instead of a solid.
struct TStepShellObject {
    std::string Name;
    std::string Reason; // in English, e.g. "its faces leave gaps"
};

// The objects of the STEP export started last that were written as shells, in document order.
const std::vector<TStepShellObject>& stepShellObjects();

// Told while the STEP exports started from now on write: the faces written so far and in all.
// Returning false stops the export: no file is left, and a file it would have replaced stays as it
// was. An empty function (the default) is not called.
using TStepProgress = std::function<bool(size_t done, size_t total)>;
void setStepProgress(TStepProgress progress);
// True when the STEP export started last was stopped that way.
bool stepExportCancelled();
