// CSV and JSON text of the cut lists, turning tables and measurements.
#include "making/UnMakingText.h"

#include "model/UnAnsiText.h"

#include <charconv>
#include <cmath>

const char* const CutListHeader =
    "object,member,kind,long_mm,short_mm,mitre_start_deg,mitre_end_deg,width_mm,height_mm";
const char* const StockHeader =
    "object,pieces,kerf_mm,waste_percent,total_mm,stock_mm,stock_lengths";
const char* const TurningHeader =
    "object,ring,z_from_mm,z_to_mm,outer_radius_mm,inner_radius_mm,segments,segment_length_mm,"
    "segment_width_mm,mitre_deg,board_length_mm";

namespace {

constexpr const char* Eol = "\r\n";

// Joins fields with commas into one line.
std::string line(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& f : fields) {
        if (!text.empty()) text += ',';
        text += f;
    }
    return text + Eol;
}

std::string mm(double value) {
    return fixedNumber(value, 2);
}

void appendJsonText(std::string& out, const std::string& text) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : validUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') out += '\\';
        if (c >= 0x20 && c != 0x7F) {
            out += ch;
            continue;
        }
        out += "\\u00";
        out += Hex[c >> 4];
        out += Hex[c & 15];
    }
    out += '"';
}

void appendMeshJson(std::string& out, const TMeshMeasures& m, std::optional<double> density) {
    out += "\"size_mm\": [" + mm(m.Size(0)) + ", " + mm(m.Size(1)) + ", " + mm(m.Size(2)) +
           "], \"volume_mm3\": " + (m.Solid ? fixedNumber(m.Volume, 3) : "null") +
           ", \"area_mm2\": " + fixedNumber(m.Area, 3) +
           ", \"solid\": " + (m.Solid ? "true" : "false");
    if (density)
        out += ", \"mass_kg\": " + (m.Solid ? fixedNumber(massKg(m.Volume, *density), 6) : "null");
}

} // namespace

std::string fixedNumber(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // "-0.00" is 0.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string csvField(const std::string& text) {
    const std::string utf8 = validUtf8(text);
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string cutListCsv(const std::vector<TCutList>& lists, const TStockSettings& settings) {
    std::string text = std::string(CutListHeader) + Eol;
    for (const TCutList& list : lists) {
        const std::string name = csvField(list.Object);
        for (const TCutRow& row : list.Rows) {
            std::string number = row.Corner ? "C" : "";
            number += std::to_string(row.Member);
            if (!row.Problem.empty()) {
                text += line({name, number, row.KindName(), "", "", "", "", "", ""});
                continue;
            }
            text += line({name, number, row.KindName(), mm(row.Long), mm(row.Short),
                          mm(row.MitreStart), mm(row.MitreEnd), mm(list.Width), mm(list.Height)});
        }
    }
    text += Eol;
    text += std::string(StockHeader) + Eol;
    for (const TCutList& list : lists) {
        const std::vector<double> pieces = stockPieces(list);
        if (pieces.empty()) continue;
        const TStockSummary s = stockSummary(pieces, settings);
        text += line({csvField(list.Object), std::to_string(s.Pieces), mm(settings.Kerf),
                      fixedNumber(settings.Waste, 1), mm(s.Total), mm(settings.Stock),
                      std::to_string(s.StockLengths)});
    }
    return text;
}

std::string turningCsv(const std::vector<TTurningTable>& tables) {
    std::string text = std::string(TurningHeader) + Eol;
    for (const TTurningTable& table : tables)
        for (const TRing& r : table.Rings)
            text += line({csvField(table.Object), std::to_string(r.Ring), mm(r.From), mm(r.To),
                          mm(r.Outer), mm(r.Inner), std::to_string(r.Segments), mm(r.SegmentLength),
                          mm(r.SegmentWidth), mm(r.Mitre), mm(r.BoardLength)});
    return text;
}

std::string measuresJson(const TDocumentMeasures& measures, std::optional<double> density) {
    std::string out = "{\n  \"document\": {";
    appendMeshJson(out, measures.Whole, density);
    out += "},\n  \"objects\": [";
    for (size_t i = 0; i < measures.Objects.size(); ++i) {
        const TObjectMeasures& o = measures.Objects[i];
        out += i == 0 ? "\n    {\"name\": " : ",\n    {\"name\": ";
        appendJsonText(out, o.Name);
        out += ", ";
        appendMeshJson(out, o.Mesh, density);
        out += ", \"profile_area_mm2\": " + fixedNumber(o.Outlines.ProfileArea, 3) +
               ", \"path_length_mm\": " + fixedNumber(o.Outlines.PathLength, 3);
        if (!o.Problem.empty()) {
            out += ", \"problem\": ";
            appendJsonText(out, o.Problem);
        }
        out += "}";
    }
    out += measures.Objects.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}
