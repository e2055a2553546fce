// The making numbers as text: the cut list's and the turning table's CSV, the measurements' JSON.
// Numbers always with '.', whatever the locale.
#pragma once

#include "making/UnCutList.h"
#include "making/UnMeasure.h"
#include "making/UnTurning.h"

#include <optional>
#include <string>
#include <vector>

// value with decimals digits after the '.', never "-0".
std::string fixedNumber(double value, int decimals);
// A CSV field: quoted (quotes doubled) when it holds a comma, a quote or a line break; UTF-8.
std::string csvField(const std::string& text);

extern const char* const CutListHeader;
extern const char* const StockHeader;
extern const char* const TurningHeader;

// The header, one line per row of every list (the figures left empty where a row has a
// problem), a blank line, then the stock header and one summary line per list with pieces.
// settings must suit every list's pieces (checkStockSettings).
std::string cutListCsv(const std::vector<TCutList>& lists, const TStockSettings& settings);
// The header and one line per ring of every table.
std::string turningCsv(const std::vector<TTurningTable>& tables);
// {"document": {...}, "objects": [{"name": ..., ...}]}: size_mm, volume_mm3, area_mm2, solid and
// with a density mass_kg; objects also profile_area_mm2 and path_length_mm (and "problem" when
// they could not be measured).
std::string measuresJson(const TDocumentMeasures& measures, std::optional<double> density);
