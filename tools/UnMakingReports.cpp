// The command line's making reports and the frame-for-a-picture path.
#include "tools/UnMakingReports.h"

#include "making/UnMakingText.h"
#include "making/UnMeasure.h"
#include "model/UnSaveTarget.h"
#include "model/UnTExtrObj.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <stdexcept>

namespace {

// A decimal number with '.', nothing after it.
bool parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

double number(const std::string& option, const std::string& text) {
    double value = 0;
    if (!parseNumber(text, value))
        throw std::invalid_argument(option + " takes a number, not '" + text + "'");
    return value;
}

// A setting's range message as the command line's error.
void refuse(const std::string& option, const std::string& text, const std::string& message) {
    if (!message.empty())
        throw std::invalid_argument("invalid " + option + " '" + text + "': " + message);
}

void writeText(const std::string& fileName, const std::string& text) {
    TSaveTarget target(fileName);
    std::FILE* f = openEmptied(target.WritePath());
    const bool written = f != nullptr && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f == nullptr || std::fclose(f) != 0 || !written)
        throw std::runtime_error("cannot write '" + fileName + "': " + std::strerror(errno));
    target.Commit();
}

} // namespace

bool takeMakingOption(TMakingOptions& o, const TOptionValue& value) {
    const std::pair<const char*, std::string*> files[] = {
        {"--report", &o.Report}, {"--cut-list", &o.CutList}, {"--turning", &o.Turning}};
    for (const auto& [name, field] : files)
        if (std::optional<std::string> v = value(name)) {
            *field = *v;
            return true;
        }
    if (std::optional<std::string> v = value("--density")) {
        const double d = number("--density", *v);
        refuse("--density", *v, d > 0 && d <= 30000 ? "" : "Density must be from 1 to 30000 kg/m³");
        o.Density = d;
    } else if (std::optional<std::string> v = value("--kerf")) {
        o.Stock.Kerf = number("--kerf", *v);
        refuse("--kerf", *v, checkStockSettings(o.Stock, {}));
    } else if (std::optional<std::string> v = value("--waste")) {
        o.Stock.Waste = number("--waste", *v);
        refuse("--waste", *v, checkStockSettings(o.Stock, {}));
    } else if (std::optional<std::string> v = value("--stock")) {
        o.Stock.Stock = number("--stock", *v);
        refuse("--stock", *v, checkStockSettings(o.Stock, {}));
    } else if (std::optional<std::string> v = value("--board")) {
        o.Rings.Board = number("--board", *v);
        refuse("--board", *v, checkTurningSettings(o.Rings));
    } else if (std::optional<std::string> v = value("--segments")) {
        const double n = number("--segments", *v);
        o.Rings.Segments = n >= 0 && n <= 1000 && n == int(n) ? int(n) : -1;
        refuse("--segments", *v, checkTurningSettings(o.Rings));
        refuse("--segments", *v,
               o.Rings.Segments == 0 ? "Segments per ring must be from 3 to 100" : "");
    } else if (std::optional<std::string> v = value("--allowance")) {
        // The ring allowance and the frame's: one option, each its own range.
        const double a = number("--allowance", *v);
        o.Rings.Allowance = a;
        o.FrameSettings.Allowance = a;
        refuse("--allowance", *v, checkTurningSettings(o.Rings));
    } else if (std::optional<std::string> v = value("--rebate")) {
        o.Rebate = number("--rebate", *v);
    } else if (std::optional<std::string> v = value("--frame")) {
        const auto x = v->find_first_of("xX");
        double w = 0, h = 0;
        if (x == std::string::npos || !parseNumber(v->substr(0, x), w) ||
            !parseNumber(v->substr(x + 1), h))
            throw std::invalid_argument("--frame takes the picture's WIDTHxHEIGHT in mm, not '" +
                                        *v + "'");
        o.Frame = true;
        o.FrameSettings.Width = w;
        o.FrameSettings.Height = h;
    } else {
        return false;
    }
    return true;
}

void applyFrame(TExtrObjList& doc, const TMakingOptions& options) {
    if (doc.Count() == 0) throw std::runtime_error("the document holds no object to frame with");
    TExtrObj& object = doc.Items(0);
    TFrameSettings settings = options.FrameSettings;
    settings.Rebate = options.Rebate ? *options.Rebate : proposedRebate(object);
    const std::string problem = checkFrameSettings(object, settings);
    if (!problem.empty()) throw std::runtime_error("--frame: " + problem);
    makePictureFrame(object, settings);
}

TReportFiles makingReports(TExtrObjList& doc, const TMakingOptions& options,
                           std::vector<std::string>& warnings) {
    TReportFiles files;
    if (!options.Report.empty()) {
        const TDocumentMeasures measures = measureDocument(doc);
        for (const TObjectMeasures& m : measures.Objects)
            if (!m.Problem.empty())
                warnings.push_back("object \"" + m.Name + "\" cannot be measured: " + m.Problem);
        files.emplace_back(options.Report, measuresJson(measures, options.Density));
    }
    if (!options.CutList.empty()) {
        std::vector<TCutList> lists;
        for (int i = 0; i < doc.Count(); ++i) {
            if (doc.Items(i).Lathe()) continue;
            lists.push_back(cutList(doc.Items(i)));
            const TCutList& list = lists.back();
            if (!list.Problem.empty())
                warnings.push_back("object \"" + list.Object + "\" cannot be cut: " + list.Problem);
            for (const TCutRow& row : list.Rows)
                if (!row.Problem.empty())
                    warnings.push_back("object \"" + list.Object + "\", member " +
                                       std::to_string(row.Member) + ": " + row.Problem);
            const std::string problem = checkStockSettings(options.Stock, stockPieces(list));
            if (!problem.empty())
                throw std::runtime_error(options.CutList + ": object \"" + list.Object +
                                         "\": " + problem);
        }
        files.emplace_back(options.CutList, cutListCsv(lists, options.Stock));
    }
    if (!options.Turning.empty()) {
        std::vector<TTurningTable> tables;
        for (int i = 0; i < doc.Count(); ++i) {
            if (!doc.Items(i).Lathe()) continue;
            tables.push_back(turningTable(doc.Items(i), options.Rings));
            if (!tables.back().Problem.empty())
                warnings.push_back("object \"" + tables.back().Object +
                                   "\" has no turning table: " + tables.back().Problem);
        }
        files.emplace_back(options.Turning, turningCsv(tables));
    }
    return files;
}

void writeReportFiles(const TReportFiles& files) {
    for (const auto& [name, text] : files)
        writeText(name, text);
}
