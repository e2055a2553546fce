// Lathe builder: spins the profile about the world Y axis into faces for the current renderer,
// once in place or turn after turn while rising.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>

int32_t buildLathe(const std::string& name, TProfileObj& path, TProfileObj& profile,
                   int32_t precision, bool fixedTexCoords, bool selected, const ColorF* highlight,
                   int32_t listId);

// A lathe's pitch: the rise per turn (world units), the number of turns and the appearance of the
// two ends that a rising or partial spin leaves open.
struct TLathePitch {
    float Rise = 0;
    float Turns = 1;
    ColorF StartColor, EndColor;
    std::string StartTexture, EndTexture;
    bool none() const { return Rise == 0 && Turns == 1; }
};

// The number of steps a pitched spin takes for steps per turn: steps x turns, rounded, at least 1.
int32_t pitchedLatheSteps(int32_t stepsPerTurn, float turns);

// With a pitch that is none, exactly buildLathe above; otherwise the profile turns
// pitchedLatheSteps times by one step of the path's circle, rising Rise / steps per turn each
// time, with caps at both ends.
int32_t buildLathe(const std::string& name, TProfileObj& path, TProfileObj& profile,
                   int32_t precision, bool fixedTexCoords, bool selected, const ColorF* highlight,
                   int32_t listId, const TLathePitch& pitch);
