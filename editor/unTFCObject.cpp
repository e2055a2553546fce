// Base of the plane figures of the outline editor: tag, group set, colour, state code, style,
// scale, and the virtual operations every figure answers.
#include "editor/unTFCObject.h"

#include "editor/UnTFCStream.h"

#include <algorithm>

bool TFCObject::DragDraw(Point2, Point2) {
    return true;
}

void TFCObject::CopyGroupsTo(TFCObject& other) const {
    other.ClearGroups();
    for (int32_t id : Groups)
        other.AddGroup(id);
}

void TFCObject::AddGroup(int32_t id) {
    if (id == 0 || HasGroup(id)) return;
    auto slot = std::find(Groups.begin(), Groups.end(), 0);
    *(slot != Groups.end() ? slot : Groups.begin()) = id;
}

void TFCObject::RemoveGroup(int32_t id) {
    TFCGroups packed{};
    size_t n = 0;
    for (int32_t g : Groups)
        if (g != 0 && g != id) packed[n++] = g;
    Groups = packed;
}

bool TFCObject::HasGroup(int32_t id) const {
    return std::find(Groups.begin(), Groups.end(), id) != Groups.end();
}

void TFCObject::WriteGroups(TFCStream& s) const {
    for (int32_t g : Groups)
        s.WriteInt32(g);
}

void TFCObject::ReadGroups(TFCStream& s) {
    for (int32_t& g : Groups)
        g = s.ReadInt32();
}

int32_t SnapCoordinate(int32_t x, int32_t step) {
    if (step < 1) return x;
    return RoundHalfEven((long double)x / step) * step;
}
