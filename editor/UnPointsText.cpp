// Millimetres of the solid in the editor: conversions, number text, and the points table's rows.
#include "editor/UnPointsText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr double Reach = 1e7; // millimetres: far beyond any drawing, well within 32 bits stored

double factor(int32_t scalePercent) {
    return std::max(scalePercent, 1) / 100.0;
}

std::string trim(const std::string& s, const char* blanks = " \t\r\n") {
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
        const size_t at = line.find(separator, from);
        fields.push_back(trim(line.substr(from, at == std::string::npos ? at : at - from)));
        if (at == std::string::npos) return fields;
        from = at + 1;
    }
}

std::vector<std::string> splitSpaces(const std::string& line) {
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\r'))
            ++i;
        if (i == line.size()) break;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\r')
            ++i;
        fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

} // namespace

double StoredToMm(double stored, int32_t scalePercent) {
    return stored * factor(scalePercent);
}

int32_t MmToStored(double mm, int32_t scalePercent) {
    return RoundHalfEven(static_cast<long double>(mm) / factor(scalePercent));
}

std::string FormatMm(double mm, int decimals) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, mm, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 3));
    std::string s(buffer, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

int DecimalsForStep(double step) {
    if (!(step > 0)) return 3;
    return std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 3);
}

bool ParseMm(const std::string& text, double& value) {
    std::string s = trim(text);
    if (s.empty()) return false;
    std::replace(s.begin(), s.end(), ',', '.');
    if (s.front() == '+') s.erase(0, 1);
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value) && std::fabs(value) < Reach;
}

std::vector<TPointRow> ParsePointRows(const std::string& text, TRowsProblem& problem,
                                      bool heights) {
    problem = {};
    std::vector<TPointRow> rows;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        // A tab at either end stands for an empty cell.
        const std::string line = trim(text.substr(from, end - from), " \r");
        from = end + 1;
        if (line.empty()) continue;
        const int32_t row = static_cast<int32_t>(rows.size()) + 1;
        if (row > MaxOutlineVertices) {
            problem = {TRowsError::TooMany, row, line};
            return rows;
        }
        std::vector<std::string> fields;
        if (line.find('\t') != std::string::npos)
            fields = split(line, '\t');
        else if (line.find(';') != std::string::npos)
            fields = split(line, ';');
        else if (line.find(',') != std::string::npos)
            fields = split(line, ',');
        else
            fields = splitSpaces(line);
        if (fields.size() != 2 && (!heights || fields.size() != 3)) {
            problem = {TRowsError::FieldCount, row, line};
            return rows;
        }
        TPointRow p;
        p.HasH = fields.size() == 3;
        for (size_t k = 0; k < fields.size(); ++k)
            if (!ParseMm(fields[k], k == 0 ? p.X : k == 1 ? p.Y : p.H)) {
                problem = {fields[k].empty() ? TRowsError::EmptyCell : TRowsError::NotANumber, row,
                           fields[k]};
                return rows;
            }
        rows.push_back(p);
    }
    return rows;
}

std::string PointRowsToText(const std::vector<TPointRow>& rows, bool heights) {
    std::string text;
    for (const TPointRow& r : rows)
        text += FormatMm(r.X) + '\t' + FormatMm(r.Y) + (heights ? '\t' + FormatMm(r.H) : "") + '\n';
    return text;
}

TRoundedRows RoundToStorage(const std::vector<TPointRow>& rows, int32_t scalePercent) {
    TRoundedRows result;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Point2 p{MmToStored(rows[i].X, scalePercent), MmToStored(rows[i].Y, scalePercent)};
        result.Stored.push_back(p);
        const double shift = std::hypot(StoredToMm(p.X, scalePercent) - rows[i].X,
                                        StoredToMm(p.Y, scalePercent) - rows[i].Y);
        if (shift > result.MaxShift) {
            result.MaxShift = shift;
            result.WorstRow = static_cast<int32_t>(i) + 1;
        }
    }
    return result;
}

TStoredRows StoreExactly(const std::vector<TPointRow>& rows, int32_t currentScale, int32_t reach) {
    // Coordinates that are whole hundredths of a millimetre, as such; a scale (percent) holds
    // one exactly when it divides it.
    std::vector<int64_t> onCurrentStep;
    std::vector<double> values;
    for (const TPointRow& r : rows)
        for (double v : {r.X, r.Y}) {
            values.push_back(v);
            const double hundredths = v * 100;
            const double whole = std::nearbyint(hundredths);
            if (std::fabs(hundredths - whole) <= 1e-4 && std::fmod(whole, currentScale) == 0)
                onCurrentStep.push_back(int64_t(whole));
        }
    auto usable = [&](int32_t scale) {
        for (int64_t n : onCurrentStep)
            if (n % scale != 0) return false;
        for (double v : values)
            if (std::fabs(v * 100 / scale) > reach + 0.5) return false;
        return true;
    };
    // The stored rows at a scale, and how far all of them moved together.
    auto at = [&](int32_t scale, double& moved) {
        TStoredRows stored;
        static_cast<TRoundedRows&>(stored) = RoundToStorage(rows, scale);
        stored.Scale = scale;
        moved = 0;
        for (size_t i = 0; i < rows.size(); ++i)
            moved += std::hypot(StoredToMm(stored.Stored[i].X, scale) - rows[i].X,
                                StoredToMm(stored.Stored[i].Y, scale) - rows[i].Y);
        return stored;
    };
    constexpr double Exact = 1e-6; // millimetres
    double bestMoved = 0;
    TStoredRows best = at(std::max(currentScale, 1), bestMoved);
    if (best.MaxShift <= Exact) return best;
    const TStoredRows current = best;
    for (int32_t scale = currentScale - 1; scale >= MinRefinedScale; --scale) {
        if (!usable(scale)) continue;
        double moved = 0;
        TStoredRows candidate = at(scale, moved);
        if (candidate.MaxShift <= Exact) return candidate;
        // The farthest move first, then all moves together.
        if (candidate.MaxShift < best.MaxShift - Exact ||
            (candidate.MaxShift < best.MaxShift + Exact && moved < bestMoved - Exact)) {
            best = std::move(candidate);
            bestMoved = moved;
        }
    }
    return current.MaxShift <= RoundingNoteLimit ? current : best;
}

std::vector<float> StoreHeights(const std::vector<TPointRow>& rows, TStoredRows& stored) {
    std::vector<float> heights;
    for (size_t i = 0; i < rows.size(); ++i) {
        heights.push_back(float(rows[i].H * 100 / std::max(stored.Scale, 1)));
        const double shift = std::fabs(StoredToMm(heights.back(), stored.Scale) - rows[i].H);
        if (shift > stored.MaxShift) {
            stored.MaxShift = shift;
            stored.WorstRow = int32_t(i) + 1;
        }
    }
    return heights;
}

TRowsProblem CheckRowCount(int32_t rows) {
    if (rows > MaxOutlineVertices) return {TRowsError::TooMany, MaxOutlineVertices + 1, {}};
    if (rows < 2) return {TRowsError::TooFew, rows, {}};
    return {};
}
