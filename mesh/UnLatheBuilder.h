// Lathe builder: spins the profile about the world Y axis into faces for the current renderer.
#pragma once

#include "model/UnTProfileObj.h"
#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>

int32_t buildLathe(const std::string& name, TProfileObj& path, TProfileObj& profile,
                   int32_t precision, bool fixedTexCoords, bool selected, const ColorF* highlight,
                   int32_t listId);
