// The document traversal shared by the main window's redraw and the command-line exporter.
#include "traversal/UnRedraw.h"

#include "mesh/UnExtrusionBuilder.h"
#include "mesh/UnLatheBuilder.h"
#include "meshexport/UnTRenderer_Mesh.h"
#include "model/UnOutlineFit.h"
#include "model/UnTProfileObj.h"
#include "render/UnTRenderer.h"
#include "scene/UnOpenGL.h"

#include <algorithm>

bool objectDrawable(const TExtrObj& object) {
    if (object.ProfileCount <= 0 || object.PathCount <= 0) return false;
    if (object.ProfileCount > MaxOutlineVertices || object.PathCount > MaxOutlineVertices)
        return false;
    // The lathe builder takes its angular steps from the path: one vertex gives no step at all.
    if (object.Lathe() && object.PathCount < 2) return false;
    return true;
}

bool objectIsSolid(const TExtrObj& object) {
    const int32_t count = std::min(object.ProfileCount, MaxOutlineVertices);
    if (count < 3) return false;
    const OutlineVertex& first = object.Profile[0];
    const OutlineVertex& last = object.Profile[size_t(count - 1)];
    if (first.X == last.X && first.Y == last.Y) return true;
    if (!object.Lathe()) return false;
    // The lathe builder spins the profile about its leftmost point's vertical.
    int32_t axis = first.X;
    for (int32_t i = 1; i < count; ++i)
        axis = std::min(axis, object.Profile[size_t(i)].X);
    return first.X == axis && last.X == axis;
}

bool exportNeedsSolids(void (*useRenderer)()) {
    return useRenderer == &useSTLRenderer || useRenderer == &use3MFRenderer ||
           useRenderer == &useSTEPRenderer;
}

bool pathEndsOnItsStart(const TExtrObj& object) {
    const int32_t count = std::min(object.PathCount, MaxOutlineVertices);
    if (object.Lathe() || object.PathClosed || count < 3) return false;
    const OutlineVertex &first = object.Path[0], &last = object.Path[size_t(count - 1)];
    // A rising path (a helix of whole turns) that ends above its start does not meet it.
    return first.X == last.X && first.Y == last.Y &&
           object.PathHeight[0] == object.PathHeight[size_t(count - 1)];
}

std::vector<std::string> notWatertightObjects(const TExtrObjList& doc) {
    const auto* mesh = dynamic_cast<const TMeshRenderer*>(currentRenderer());
    const std::vector<std::string> none, &open = mesh ? mesh->openObjects() : none;
    std::vector<std::string> names;
    for (int i = 0; i < doc.Count(); ++i) {
        const TExtrObj& object = doc.Items(i);
        if (!objectDrawable(object)) continue;
        if (!objectIsSolid(object) || pathEndsOnItsStart(object) ||
            std::find(open.begin(), open.end(), object.Name) != open.end())
            names.push_back(object.Name);
    }
    return names;
}

namespace {

TLathePitch lathePitch(const TExtrObj& object) {
    TLathePitch pitch;
    pitch.Rise = object.LatheRise;
    pitch.Turns = object.LatheTurns;
    pitch.StartColor = ColorToRGB(object.TopColor());
    pitch.StartTexture = object.TopTexture();
    pitch.EndColor = ColorToRGB(object.BottomColor());
    pitch.EndTexture = object.BottomTexture();
    return pitch;
}

// True when the object's profile crosses or touches itself: its faces cross each other then,
// although they may close.
bool profileCrosses(const TExtrObj& object) {
    std::vector<Point2> points;
    for (int i = 0; i < object.ProfileCount; ++i)
        points.push_back(Point2{object.Profile[size_t(i)].X, object.Profile[size_t(i)].Y});
    return outlineCrossesItself(points);
}

// Builds one object's mesh into the current renderer and returns the list id it used.
uint32_t buildObject(TExtrObj& object, bool selected, const ColorF& highlight,
                     TRedrawHooks& hooks) {
    if (object.Lathe()) object.NormalizeLatheProfile();

    TProfileObj profileList;
    TProfileObj pathList;
    object.BuildElementLists(profileList, pathList);

    placeObject(object.Position, object.Rotation);
    currentRenderer()->outlineCrosses = profileCrosses(object);
    if (object.DisplayList != 0) hooks.deleteObjectLists(static_cast<int32_t>(object.DisplayList));

    const auto listId = static_cast<int32_t>(object.DisplayList);
    int32_t id;
    if (object.Lathe())
        id = buildLathe(object.Name, pathList, profileList, object.Precision(), false, selected,
                        &highlight, listId, lathePitch(object));
    else
        id = buildExtrusion(object.Name, pathList, profileList, object.Precision(),
                            object.PathClosed, object.Lathe(), !object.RoundCorner(),
                            object.EmbCorner(), false, selected, &highlight, listId);

    object.SetDisplayList(static_cast<uint32_t>(id));
    hooks.placeObjectList(id, object.Position, object.Rotation);
    return static_cast<uint32_t>(id);
}

} // namespace

uint32_t redrawDocument(TExtrObjList& doc, int selectedIndex, const std::string& fileName,
                        TRedrawHooks* hooks) {
    // An empty document makes no renderer call at all, so an export of it writes no file.
    if (doc.Count() == 0 || currentRenderer() == nullptr) return 0;

    TRedrawHooks noHooks;
    TRedrawHooks& steps = hooks != nullptr ? *hooks : noHooks;

    currentRenderer()->initRendering(fileName);
    steps.beforeObjects();

    const ColorF highlight{1, 0, 0, 1};
    uint32_t lastId = 0;
    for (int i = 0; i < doc.Count(); ++i) {
        TExtrObj& object = doc.Items(i);
        // An incomplete object is left out; the objects after it are still drawn and the frame
        // (or the export file) is finished.
        if (!objectDrawable(object)) continue;
        lastId = buildObject(object, i == selectedIndex, highlight, steps);
    }

    steps.drawAllLists();
    currentRenderer()->endRendering();
    steps.afterRendering();
    return lastId;
}
