// The warnings of a document's objects as built.
#include "traversal/UnBuildWarnings.h"

#include "mesh/UnRisingSweep.h"
#include "model/UnTProfileObj.h"
#include "traversal/UnRedraw.h"

std::vector<TBuildWarning> buildWarnings(const TExtrObjList& doc) {
    std::vector<TBuildWarning> warnings;
    for (int i = 0; i < doc.Count(); ++i) {
        const TExtrObj& object = doc.Items(i);
        // A lathe turns its profile about the axis: its path is no sweep line.
        if (!objectDrawable(object) || object.Lathe() || !object.HasHeights()) continue;
        TProfileObj profileList, pathList;
        object.BuildElementLists(profileList, pathList);
        if (!pathRises(pathList)) continue;
        const TRisingPathProblem p = checkRisingPath(pathList, object.PathClosed);
        if (p.Text) warnings.push_back({object.Name, p.Text, p.Vertex});
    }
    return warnings;
}
