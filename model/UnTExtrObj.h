// The extrusion object (one solid of the document), its options, its editor links and the
// document list.
#pragma once

#include "model/UnMessageSink.h"
#include "model/UnTgroupObj.h"
#include "model/unVectorCalc.h"
#include "scene/UnBmpTex.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TExtrStream;
class TProfileObj;

class ESaveOptionsError : public std::runtime_error {
  public:
    ESaveOptionsError() : std::runtime_error("ClsExtrOptions: save error ") {}
};

class ELoadOptionsError : public std::runtime_error {
  public:
    ELoadOptionsError() : std::runtime_error("ClsExtrOptions: load error ") {}
};

// A record whose version mark is not "PALV10": the whole load stops with this message.
class EFileVersionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An object's options: what its properties dialog shows and edits, what the options block of the
// object file stores and what the object's accessors read. The name and the six coordinate fields
// are the dialog's copies of the object's own.
class TfrmExtrOption {
  public:
    std::vector<TTextureObj> Textures;
    int32_t Precision = 2;
    int32_t ProfileScale = 50;
    int32_t PathScale = 100;
    bool Lathe = false;
    std::string TexDir;
    bool RoundCorner = false;
    bool EmbCorner = false;
    TColor CornersColor = 0xFFFFFF;
    std::string CornersTexture;
    TColor TopColor = 0xFFFFFF;
    std::string TopTexture;
    TColor BottomColor = 0xFFFFFF;
    std::string BottomTexture;
    int32_t CoordX = 0, CoordY = 0, CoordZ = 0;
    int32_t RotX = 0, RotY = 0, RotZ = 0;
    std::string Name = "extrobj";

    void SetTextures(const std::vector<TTextureObj>& table) { Textures = table; }
    // The six coordinate fields from a placement, rounded to whole numbers.
    void SetCoordinates(const Vec3& position, const Vec3& rotation);
    // The options block; failures become ESaveOptionsError / ELoadOptionsError.
    void SaveToStream(TExtrStream& stream) const;
    void LoadFromStream(TExtrStream& stream);
};

// The window that edits an object's options copy (OK stores into it; the three colour/texture
// buttons store at once; Cancel leaves it alone).
class TOptionsDialogWindow {
  public:
    virtual ~TOptionsDialogWindow() = default;
    virtual void ShowModal(TfrmExtrOption& options) = 0;
};

// The profile/path editor window.
class TOutlineEditorWindow {
  public:
    virtual ~TOutlineEditorWindow() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetPathMode(bool pathMode) = 0;
    virtual void Reset() = 0;
    virtual void SetTextures(const std::vector<TTextureObj>& textures) = 0;
    // The outline's scale in percent: the editor shows stored coordinates times percent / 100 as
    // millimetres of the solid.
    virtual void SetScale(int32_t percent) = 0;
    // groups is null in path mode.
    virtual void SetData(const OutlineVertex* outline, int32_t count, TGroupListRef groups,
                         bool closed) = 0;
    virtual void ShowModal() = 0;
    virtual bool Saved() const = 0;
    // The outline's scale read back after a save (an imported drawing may change it); 0: the
    // editor does not handle it.
    virtual int32_t Scale() const { return 0; }
    virtual bool Closed() const = 0;
    // Fills outline[0..count-1]; in profile mode groups receives the editor's group list, in path
    // mode it is left untouched.
    virtual void GetData(OutlineVertex* outline, int32_t& count, TGroupListRef& groups) = 0;
    // The path's vertex heights (path units, one per vertex), handed over after SetData and read
    // back after GetData. An editor that does not handle them returns false and the object keeps
    // its heights for the vertices that remain.
    virtual void SetHeights(const float* /*heights*/, int32_t /*count*/) {}
    virtual bool GetHeights(float* /*heights*/, int32_t /*count*/) { return false; }
};

// Creates the windows the objects open; the application installs one at start, tests install fakes.
class TObjectWindowFactory {
  public:
    virtual ~TObjectWindowFactory() = default;
    virtual std::unique_ptr<TOutlineEditorWindow> CreateOutlineEditor() = 0;
    virtual std::unique_ptr<TOptionsDialogWindow> CreateOptionsDialog() = 0;
};

void setObjectWindowFactory(TObjectWindowFactory* factory);
TObjectWindowFactory* objectWindowFactory();

class TExtrObj {
  public:
    TExtrObj();
    ~TExtrObj();
    TExtrObj(const TExtrObj&) = delete;
    TExtrObj& operator=(const TExtrObj&) = delete;

    std::string Name = "extrobj";
    uint32_t DisplayList = 0;
    Vec3 Position{};
    Vec3 Rotation{};
    std::array<OutlineVertex, MaxOutlineVertices> Profile{}; // slots 1..100 at indices 0..99
    int32_t ProfileCount = 0;
    TGroupListRef Groups;
    std::array<OutlineVertex, MaxOutlineVertices> Path{};
    int32_t PathCount = 0;
    // Height of each path vertex above the plane, in path units like X and Y (world Y =
    // height x PathScale / 100); all 0 for a path in the plane.
    std::array<float, MaxOutlineVertices> PathHeight{};
    bool PathClosed = false;
    // A lathe's pitch: the rise per turn in millimetres of the solid and the number of turns; 0
    // and 1 spin the profile once in place.
    float LatheRise = 0;
    float LatheTurns = 1;
    // The object's options, stored once: the properties dialog edits them in place, the options
    // block of the file holds them, and the accessors below read them.
    TfrmExtrOption Options;
    std::unique_ptr<TOutlineEditorWindow> ProfileEditor;
    std::unique_ptr<TOutlineEditorWindow> PathEditor;
    std::unique_ptr<TOptionsDialogWindow> OptionsDialog;

    int32_t Precision() const { return Options.Precision; }
    int32_t ProfileScale() const { return Options.ProfileScale; }
    int32_t PathScale() const { return Options.PathScale; }
    bool Lathe() const { return Options.Lathe; }
    const std::string& TexDir() const { return Options.TexDir; }
    bool RoundCorner() const { return Options.RoundCorner; }
    bool EmbCorner() const { return Options.EmbCorner; }
    TColor CornersColor() const { return Options.CornersColor; }
    const std::string& CornersTexture() const { return Options.CornersTexture; }
    TColor TopColor() const { return Options.TopColor; }
    const std::string& TopTexture() const { return Options.TopTexture; }
    TColor BottomColor() const { return Options.BottomColor; }
    const std::string& BottomTexture() const { return Options.BottomTexture; }

    void SetName(const std::string& value);
    void SetDisplayList(uint32_t value);
    void SetPosition(const Vec3& value);
    void SetRotation(const Vec3& value);
    void SetPathClosed(bool value);
    void SetPrecision(int32_t value) { Options.Precision = value; }
    void SetProfileScale(int32_t value) { Options.ProfileScale = value; }
    void SetPathScale(int32_t value) { Options.PathScale = value; }
    void SetLathe(bool value) { Options.Lathe = value; }
    void SetTexDir(const std::string& value) { Options.TexDir = value; }
    void SetRoundCorner(bool value) { Options.RoundCorner = value; }
    void SetEmbCorner(bool value) { Options.EmbCorner = value; }
    void SetCornersColor(TColor value) { Options.CornersColor = value; }
    void SetCornersTexture(const std::string& value) { Options.CornersTexture = value; }
    void SetTopColor(TColor value) { Options.TopColor = value; }
    void SetTopTexture(const std::string& value) { Options.TopTexture = value; }
    void SetBottomColor(TColor value) { Options.BottomColor = value; }
    void SetBottomTexture(const std::string& value) { Options.BottomTexture = value; }

    // Copies this object into dest (outlines, shared groups, placement, options; not the name).
    void Assign(TExtrObj& dest) const;
    void EditProfile();
    void EditPath();
    void EditOptions();
    void BuildElementLists(TProfileObj& profileList, TProfileObj& pathList) const;
    void ApplyGroups(TProfileObj& profileList, const TGroupPropertyList* groups) const;
    int32_t NormalizeLatheProfile();
    // Segments are bounded so that at most MaxOutlineVertices path vertices are written.
    void MakeCirclePath(int32_t radius, int32_t segments);
    // The Lathe command's outlines: the profile moved onto the axis, the path a circle of its
    // width in subdivisions steps.
    void MakeLathe(int32_t subdivisions) { MakeCirclePath(NormalizeLatheProfile(), subdivisions); }
    bool IsComplete() const { return ProfileCount > 0 && PathCount > 0; }
    // True when a used path vertex has a height other than 0.
    bool HasHeights() const;
    // True when the lathe rises or turns other than once.
    bool HasPitch() const { return LatheRise != 0 || LatheTurns != 1; }

    void SaveToStream(TExtrStream& stream) const;
    // dir: directory of the file being read, ending in "/"; empty keeps the stored directory.
    void LoadFromStream(TExtrStream& stream, const std::string& dir);
};

// The most objects a document file holds: saving refuses more, and so does loading. Far below
// what the display-list numbering of a scene can show.
constexpr int64_t MaxObjects = 10000;

class TExtrObjList {
  public:
    int Add(std::unique_ptr<TExtrObj> object);
    bool Delete(int position);
    TExtrObj& Items(int position) const { return *Objects.at(position); }
    int Count() const { return static_cast<int>(Objects.size()); }
    void Clear() { Objects.clear(); }

    // Writes a regular file (links followed) through a temporary file renamed over it on success,
    // keeping its permissions; other targets are written directly. Any failure throws, also for
    // what the file cannot hold (more than MaxObjects objects, text outside Windows-1252).
    void SaveToFile(const std::string& fileName) const;
    // Replaces the objects when the whole file reads back; any failure throws and leaves the
    // objects as they were (the texture table is reloaded from the file, so callers start a new
    // document). Returns the lines of textures whose images could not be loaded (their entries
    // stay in the table without a picture): see textureProblemsMessage.
    std::vector<std::string> LoadFromFile(const std::string& fileName, TMessageSink* messages);
    // The bytes SaveToFile writes (also for an empty document: its count and texture table).
    std::string SaveToBytes() const;
    // Takes back a document from bytes of SaveToBytes: every object keeps its stored textures
    // directory and the texture table its stored paths (see loadTextureTable). Fails like
    // LoadFromFile, leaving the objects as they were.
    std::vector<std::string> RestoreFromBytes(const std::string& bytes);

  private:
    void writeDocument(TExtrStream& stream) const;
    // An empty dir restores in place (see RestoreFromBytes).
    std::vector<std::string> readDocument(TExtrStream& stream, const std::string& dir,
                                          TMessageSink* messages);
    std::vector<std::unique_ptr<TExtrObj>> Objects;
};
