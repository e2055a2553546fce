// The command line's making reports: measurements as JSON, cut lists and turning tables as CSV,
// and the frame-for-a-picture path, with their options.
#pragma once

#include "making/UnCutList.h"
#include "making/UnPictureFrame.h"
#include "making/UnTurning.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TExtrObjList;

struct TMakingOptions {
    std::string Report, CutList, Turning; // files to write; empty: not asked for
    std::optional<double> Density;        // kg/m³, for the report's masses
    TStockSettings Stock;
    TTurningSettings Rings;
    bool Frame = false;           // --frame WxH given
    TFrameSettings FrameSettings; // its picture and allowance
    std::optional<double> Rebate; // --rebate; else the profile's proposed one
    bool AnyReport() const { return !Report.empty() || !CutList.empty() || !Turning.empty(); }
};

// The value of the current argument when it is the option name (moving on to the value), else
// nullopt.
using TOptionValue = std::function<std::optional<std::string>(const std::string& name)>;
// Takes the current argument into options when it is a making option; false when it is none.
// Throws std::invalid_argument with the command line's message for a value out of its range.
bool takeMakingOption(TMakingOptions& options, const TOptionValue& value);

// Gives the first object of doc the frame's path; throws std::runtime_error with the message
// naming the field out of range.
void applyFrame(TExtrObjList& doc, const TMakingOptions& options);

// The asked-for reports of doc: file names and their texts. Throws std::runtime_error naming the
// file, the object and the setting out of range for it; warnings receives a line per object or
// row that could not be measured or cut.
using TReportFiles = std::vector<std::pair<std::string, std::string>>;
TReportFiles makingReports(TExtrObjList& doc, const TMakingOptions& options,
                           std::vector<std::string>& warnings);
// Writes each file through a temporary file renamed on success; throws std::runtime_error.
void writeReportFiles(const TReportFiles& files);
