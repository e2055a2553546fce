// The document traversal behind every picture and export: element lists, placement, builders, list
// ids.
#pragma once

#include "model/UnTExtrObj.h"
#include "model/unVectorCalc.h"

#include <cstdint>
#include <string>
#include <vector>

// The screen's OpenGL steps around the traversal; the default does nothing (file exports, tests).
class TRedrawHooks {
  public:
    virtual ~TRedrawHooks() = default;
    // After initRendering: background list and axes marker.
    virtual void beforeObjects() {}
    virtual void deleteObjectLists(int32_t /*listId*/) {}
    virtual void placeObjectList(int32_t /*listId*/, const Vec3& /*position*/,
                                 const Vec3& /*rotation*/) {}
    // Before endRendering: replay of the display lists.
    virtual void drawAllLists() {}
    // After endRendering: error check and buffer swap of the screen.
    virtual void afterRendering() {}
};

// True when the traversal builds the object: both outlines in use and, for a lathe object, at least
// one angular step (two path vertices).
bool objectDrawable(const TExtrObj& object);

// True when the object encloses a volume: its profile is closed (the last vertex repeats the
// first), or it is a lathe whose profile starts and ends on the axis.
bool objectIsSolid(const TExtrObj& object);
// True for the exports meant for printing or machining (STL, 3MF, STEP), given the function that
// selects the renderer: only solids make sense there, so they warn about the objects that are not
// watertight.
bool exportNeedsSolids(void (*useRenderer)());
// True when the object's path is open but ends on its start (at the same height): the two end
// caps meet inside the solid, which is notched there instead of joined.
bool pathEndsOnItsStart(const TExtrObj& object);
// After an export's redraw of doc, while its renderer is still the current one: the drawable
// objects that are not watertight, in document order. Not solids (objectIsSolid), open paths that
// end on their start, and whatever surface a mesh export's weld found not closed.
std::vector<std::string> notWatertightObjects(const TExtrObjList& doc);

// Runs one redraw of doc against the current renderer. Incomplete objects are skipped; the frame is
// always finished. Returns the list id of the last object built (0 when none).
uint32_t redrawDocument(TExtrObjList& doc, int selectedIndex, const std::string& fileName,
                        TRedrawHooks* hooks = nullptr);
