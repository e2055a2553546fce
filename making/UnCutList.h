// The cut list of a swept object: one row per straight member with its lengths at the profile's
// outer and inner extremes and its saw settings, the corner pieces, and the stock to buy.
#pragma once

#include <string>
#include <vector>

class TExtrObj;

// How a member ends: at a mitre, a square end cap, or against a corner piece.
enum class TEndKind { Mitre, Cap, Round, Band, Embedded };
const char* endKindName(TEndKind kind); // "mitre", "cap", "round", "band", "embedded"

struct TCutRow {
    bool Corner = false;                 // a corner piece, joining member Member to the next
    int Member = 0;                      // 1-based, in path order
    TEndKind Kind = TEndKind::Mitre;     // a corner piece's kind (Round, Band or Embedded)
    double Long = 0;                     // mm along the member at the profile's outer extreme
    double Short = 0;                    // and at its inner extreme
    double MitreStart = 0, MitreEnd = 0; // saw settings in degrees, 0 = square
    TEndKind StartKind = TEndKind::Cap, EndKind = TEndKind::Cap;
    double Radius = 0;   // a corner piece's arc radius at the path, mm
    double Angle = 0;    // and the angle it turns, degrees
    std::string Problem; // why the member cannot be cut; the figures are not given then

    // The CSV kind: "member" or the corner piece's kind.
    const char* KindName() const { return Corner ? endKindName(Kind) : "member"; }
};

struct TCutList {
    std::string Object;
    double Width = 0, Height = 0; // of the profile, mm
    std::vector<TCutRow> Rows;    // members and corner pieces, in path order
    std::string Problem;          // why the object has no cut list (then Rows is empty)
};

// The cut list of a swept object (a lathe object gets a Problem).
TCutList cutList(const TExtrObj& object);

struct TStockSettings {
    double Kerf = 3;     // mm lost per cut
    double Waste = 10;   // percent added to the total
    double Stock = 2400; // mm, one length of moulding as sold
};

struct TStockSummary {
    int Pieces = 0;
    double Total = 0;     // mm to buy: long points plus a kerf each, plus the waste
    int StockLengths = 0; // stock lengths for the pieces, packed first-fit decreasing
    std::vector<std::vector<double>> Bars; // each stock length's pieces (long points)
};

// The members' long points that go to the stock (members with a problem and corner pieces not).
std::vector<double> stockPieces(const TCutList& list);
// "" when the settings are usable for pieces; else the message naming the field and its range.
std::string checkStockSettings(const TStockSettings& settings, const std::vector<double>& pieces);
// Packs pieces (each with its kerf) into stock lengths, longest first, each into the first length
// with room; the settings must have passed checkStockSettings.
TStockSummary stockSummary(const std::vector<double>& pieces, const TStockSettings& settings);
