// What the window tells about a document's objects as the builders make them: the fallbacks a
// rising path takes (a path that runs only straight up or down, a corner that folds back).
#pragma once

#include "model/UnTExtrObj.h"

#include <cstdint>
#include <string>
#include <vector>

struct TBuildWarning {
    std::string Object; // the object's name
    const char* Text;   // in English; %1 stands for Vertex
    int32_t Vertex;     // counted from 1
};

// The warnings of the drawable objects of doc, in document order.
std::vector<TBuildWarning> buildWarnings(const TExtrObjList& doc);
