// The extrusion object: defaults, setters, copying, editing through its windows, element lists and
// the object list.
#include "model/UnTExtrObj.h"

#include "model/UnTProfileObj.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

using Ext = long double;

TObjectWindowFactory* installedWindowFactory = nullptr;

TObjectWindowFactory& RequireWindowFactory() {
    if (installedWindowFactory == nullptr)
        throw std::runtime_error("No window factory is installed: the object cannot open its "
                                 "editor or options windows");
    return *installedWindowFactory;
}

// A count read back from a window or a file, kept inside the outline capacity.
int32_t BoundedCount(int32_t count) {
    return std::clamp(count, 0, MaxOutlineVertices);
}

float ReduceAngle(float a) {
    if (!(a > 360)) return a;
    const Ext e = a;
    return static_cast<float>(e - std::trunc(e / 360) * 360);
}

} // namespace

void setObjectWindowFactory(TObjectWindowFactory* factory) {
    installedWindowFactory = factory;
}

TObjectWindowFactory* objectWindowFactory() {
    return installedWindowFactory;
}

// ---------------------------------------------------------------------------------------------
// TExtrObj

// A new object has no textures folder: it takes its document's folder when the document is
// saved and opened again (the properties dialog shows that folder meanwhile).
TExtrObj::TExtrObj() : Groups(std::make_shared<TGroupPropertyList>()) {
    Options.Name = Name;
}

TExtrObj::~TExtrObj() = default;

void TExtrObj::SetName(const std::string& value) {
    Name = value;
    Options.Name = value;
}

void TExtrObj::SetDisplayList(uint32_t value) {
    DisplayList = value;
}

void TExtrObj::SetPosition(const Vec3& value) {
    Position = value;
}

void TExtrObj::SetRotation(const Vec3& value) {
    Rotation = Vec3{ReduceAngle(value.X), ReduceAngle(value.Y), ReduceAngle(value.Z)};
}

void TExtrObj::SetPathClosed(bool value) {
    PathClosed = value;
}

void TExtrObj::Assign(TExtrObj& dest) const {
    if (&dest == this) return;
    dest.ProfileCount = ProfileCount;
    dest.Profile = Profile;
    dest.PathCount = PathCount;
    dest.Path = Path;
    dest.PathHeight = PathHeight;
    dest.LatheRise = LatheRise;
    dest.LatheTurns = LatheTurns;
    dest.Groups = Groups; // shared, not duplicated
    dest.Position = Position;
    dest.Rotation = Rotation;
    dest.SetPathClosed(PathClosed);
    dest.SetPrecision(Precision());
    dest.SetProfileScale(ProfileScale());
    dest.SetPathScale(PathScale());
    dest.SetLathe(Lathe());
    dest.SetTexDir(TexDir());
    dest.SetRoundCorner(RoundCorner());
    dest.SetEmbCorner(EmbCorner());
    dest.SetCornersColor(CornersColor());
    dest.SetCornersTexture(CornersTexture());
    dest.SetTopColor(TopColor());
    dest.SetTopTexture(TopTexture());
    dest.SetBottomColor(BottomColor());
    dest.SetBottomTexture(BottomTexture());
}

void TExtrObj::EditProfile() {
    if (!ProfileEditor) ProfileEditor = RequireWindowFactory().CreateOutlineEditor();
    TOutlineEditorWindow& editor = *ProfileEditor;
    editor.SetCaption("Profile editor");
    editor.SetPathMode(false);
    editor.Reset();
    editor.SetTextures(textureTable);
    editor.SetScale(ProfileScale());
    editor.SetData(Profile.data(), BoundedCount(ProfileCount), Groups, false);
    editor.ShowModal();
    if (!editor.Saved()) return;
    if (editor.Scale() > 0) SetProfileScale(editor.Scale());
    int32_t count = ProfileCount;
    TGroupListRef groups = Groups;
    editor.GetData(Profile.data(), count, groups);
    ProfileCount = BoundedCount(count);
    Groups = groups ? std::move(groups) : std::make_shared<TGroupPropertyList>();
}

void TExtrObj::EditPath() {
    if (!PathEditor) PathEditor = RequireWindowFactory().CreateOutlineEditor();
    TOutlineEditorWindow& editor = *PathEditor;
    editor.SetCaption("Path editor");
    editor.SetPathMode(true);
    editor.Reset();
    editor.SetScale(PathScale());
    editor.SetData(Path.data(), BoundedCount(PathCount), nullptr, PathClosed);
    editor.SetHeights(PathHeight.data(), BoundedCount(PathCount));
    editor.ShowModal();
    if (!editor.Saved()) return;
    if (editor.Scale() > 0) SetPathScale(editor.Scale());
    int32_t count = PathCount;
    TGroupListRef groups = Groups;
    editor.GetData(Path.data(), count, groups); // path mode leaves the groups as they are
    PathCount = BoundedCount(count);
    editor.GetHeights(PathHeight.data(), PathCount);
    std::fill(PathHeight.begin() + PathCount, PathHeight.end(), 0.0f);
    SetPathClosed(editor.Closed());
}

void TfrmExtrOption::SetCoordinates(const Vec3& position, const Vec3& rotation) {
    CoordX = RoundHalfEven(position.X);
    CoordY = RoundHalfEven(position.Y);
    CoordZ = RoundHalfEven(position.Z);
    RotX = RoundHalfEven(rotation.X);
    RotY = RoundHalfEven(rotation.Y);
    RotZ = RoundHalfEven(rotation.Z);
}

void TExtrObj::EditOptions() {
    if (!OptionsDialog) OptionsDialog = RequireWindowFactory().CreateOptionsDialog();
    Options.SetTextures(textureTable);
    Options.SetCoordinates(Position, Rotation);

    OptionsDialog->ShowModal(Options);

    // The dialog edits the options in place. Whichever button closed it, the object takes the
    // dialog's name and coordinates; after Cancel the options are unchanged except for the
    // colour/texture buttons, and the placement comes back rounded.
    const TfrmExtrOption& o = Options;
    SetName(o.Name);
    SetPosition(Vec3{static_cast<float>(o.CoordX), static_cast<float>(o.CoordY),
                     static_cast<float>(o.CoordZ)});
    SetRotation(
        Vec3{static_cast<float>(o.RotX), static_cast<float>(o.RotY), static_cast<float>(o.RotZ)});
}

void TExtrObj::BuildElementLists(TProfileObj& profileList, TProfileObj& pathList) const {
    const int32_t profileCount = BoundedCount(ProfileCount);
    const int32_t pathCount = BoundedCount(PathCount);
    if (profileCount == 0 || pathCount == 0) return;

    const float s = static_cast<float>(Ext(ProfileScale()) / 100);
    for (int32_t i = 0; i < profileCount; ++i) {
        TProfileElementObj e;
        e.Point = Vec3{static_cast<float>(Profile[i].X * Ext(s)),
                       static_cast<float>(Profile[i].Y * Ext(s)), 0.0f};
        profileList.Add(e);
    }
    ApplyGroups(profileList, Groups.get());

    // The path lies in the world X/Z plane: the editor's Y becomes world Z.
    const float t = static_cast<float>(Ext(PathScale()) / 100);
    const ColorF corners = ColorToRGB(CornersColor());
    for (int32_t i = 0; i < pathCount; ++i) {
        TProfileElementObj e;
        e.Point = Vec3{static_cast<float>(Path[i].X * Ext(t)),
                       static_cast<float>(PathHeight[size_t(i)] * Ext(t)) + 0.0f,
                       static_cast<float>(Path[i].Y * Ext(t))};
        e.Texture = CornersTexture();
        e.Color = corners;
        pathList.Add(e);
    }
    if (!PathClosed) {
        const int first = pathList.Count() - pathCount;
        const int last = pathList.Count() - 1;
        pathList.SetTexture(first, TopTexture());
        pathList.SetColor(first, ColorToRGB(TopColor()));
        pathList.SetTexture(last, BottomTexture());
        pathList.SetColor(last, ColorToRGB(BottomColor()));
    }
}

void TExtrObj::ApplyGroups(TProfileObj& profileList, const TGroupPropertyList* groups) const {
    if (groups == nullptr) return;
    const int32_t profileCount = BoundedCount(ProfileCount);
    std::vector<int> members;
    for (int g = 0; g < groups->Count(); ++g) {
        const TGroupPropertyObj& group = groups->Items(g);
        members.clear();
        for (int32_t i = 0; i < profileCount; ++i)
            for (int32_t slot : Profile[i].Groups)
                if (slot == group.Id) members.push_back(i);

        const ColorF color = ColorToRGB(group.Color);
        for (size_t p = 0; p < members.size(); ++p) {
            const int position = members[p];
            if (position >= profileList.Count()) continue;
            TProfileElementObj& e = profileList.Items(position);
            if (e.GroupStart) continue; // a group start keeps the group it starts
            e.Color = color;
            e.Texture = group.Texture;
            e.RepeatU = group.RepeatU;
            e.RepeatV = group.RepeatV;
            e.FlipU = group.FlipU;
            e.FlipV = group.FlipV;
            if (p == 0) e.GroupStart = true;
        }
    }
}

int32_t TExtrObj::NormalizeLatheProfile() {
    const int32_t count = BoundedCount(ProfileCount);
    if (count == 0) return 0;
    int32_t minX = Profile[0].X, maxX = Profile[0].X;
    for (int32_t i = 1; i < count; ++i) {
        minX = std::min(minX, Profile[i].X);
        maxX = std::max(maxX, Profile[i].X);
    }
    for (int32_t i = 0; i < count; ++i)
        Profile[i].X = static_cast<int32_t>(int64_t(Profile[i].X) - minX);
    return static_cast<int32_t>(int64_t(maxX) - minX);
}

void TExtrObj::MakeCirclePath(int32_t radius, int32_t segments) {
    if (segments < 1) return;
    // segments + 1 vertices are written (the last repeats the first): keep them within the outline.
    segments = std::min(segments, MaxOutlineVertices - 1);

    const float step = static_cast<float>(6.283185307179586L / segments);
    float a = 0.0f;
    PathCount = 0;
    for (int32_t k = 0; k <= segments; ++k) {
        OutlineVertex v;
        v.X = RoundHalfEven(std::cos(Ext(a)) * radius);
        v.Y = RoundHalfEven(std::sin(Ext(a)) * radius);
        Path[static_cast<size_t>(PathCount)] = v;
        ++PathCount;
        a = static_cast<float>(Ext(a) + step);
    }
    PathHeight.fill(0.0f);
    SetPathClosed(true);
    SetLathe(true);
}

bool TExtrObj::HasHeights() const {
    const int32_t count = BoundedCount(PathCount);
    return std::any_of(PathHeight.begin(), PathHeight.begin() + count,
                       [](float h) { return h != 0; });
}

// ---------------------------------------------------------------------------------------------
// TExtrObjList

int TExtrObjList::Add(std::unique_ptr<TExtrObj> object) {
    if (!object) throw std::runtime_error("TExtrObjList: cannot add an empty object");
    Objects.push_back(std::move(object));
    return static_cast<int>(Objects.size()) - 1;
}

bool TExtrObjList::Delete(int position) {
    if (position < 0 || position >= Count())
        throw std::out_of_range("TExtrObjList: list index out of bounds");
    Objects.erase(Objects.begin() + position);
    return true;
}
