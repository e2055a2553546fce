// The command line's outlines from DXF drawings, put into a new or a loaded document.
#include "tools/UnOutlineDocument.h"

#include "mesh/UnRisingSweep.h"
#include "model/UnLathePitch.h"
#include "model/UnOutlineImport.h"
#include "model/UnTExtrObj.h"
#include "model/UnTProfileObj.h"

#include <memory>

void applyOutlineOptions(TExtrObjList& doc, bool newDocument, const TOutlineOptions& options,
                         std::vector<std::string>& report) {
    if (newDocument) {
        // A new document's one object, as the program's New makes it.
        auto object = std::make_unique<TExtrObj>();
        object->SetName("obj1");
        doc.Add(std::move(object));
    }
    TExtrObj* object = doc.Count() > 0 && options.Object.empty() ? &doc.Items(0) : nullptr;
    std::string names;
    for (int i = 0; i < doc.Count() && !object; ++i) {
        if (doc.Items(i).Name == options.Object) object = &doc.Items(i);
        names += (names.empty() ? "" : ", ") + doc.Items(i).Name;
    }
    if (!object)
        throw EOutlineError(options.Object.empty() ? std::string("the document holds no object")
                                                   : "no object is named \"" + options.Object +
                                                         "\" (the document holds " + names + ")");

    auto apply = [&](const std::string& file, const std::string& layer, TOutlineKind kind) {
        const int32_t current =
            kind == TOutlineKind::Profile ? object->ProfileScale() : object->PathScale();
        const TStoredOutline outline = importOutline(file, kind, layer, current);
        setObjectOutline(*object, kind, outline);
        report.push_back(file + ": " + outlineSummary(outline, kind));
        for (const std::string& note : outline.Notes)
            report.push_back(file + ": " + note);
    };
    if (!options.Profile.empty())
        apply(options.Profile, options.ProfileLayer, TOutlineKind::Profile);
    if (!options.Path.empty()) {
        apply(options.Path, options.PathLayer, TOutlineKind::Path);
        object->SetLathe(false);
        if (object->HasHeights()) {
            TProfileObj profileList, pathList;
            object->BuildElementLists(profileList, pathList);
            if (const std::string problem = risingPathProblem(pathList, object->PathClosed);
                !problem.empty())
                report.push_back(options.Path + ": warning: " + problem);
        }
    }
    if (options.Lathe > 0) {
        if (object->ProfileCount == 0)
            throw EOutlineError("--lathe needs a profile: the object \"" + object->Name +
                                "\" has none");
        object->MakeLathe(options.Lathe);
        object->LatheRise = static_cast<float>(options.Rise);
        object->LatheTurns = static_cast<float>(options.Turns);
        if (const std::string warning = lathePitchWarning(*object); !warning.empty())
            report.push_back("warning: " + warning);
    }
}
