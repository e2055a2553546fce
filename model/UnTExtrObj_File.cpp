// The object file (.PLV): object records, the options block, and whole-document save and load.
#include "model/UnAnsiText.h"
#include "model/UnObjectExtension.h"
#include "model/UnSaveTarget.h"
#include "model/UnTExtrObj.h"
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

namespace {

const std::string FileMagic = "PALV10";
// Limits of a stored document, the same for saving and loading.
constexpr int64_t MaxGroups = 10000;
// Smallest stored group: colour, texture length, id, two repeats and two flips.
constexpr int64_t MinGroupBytes = 4 + 4 + 4 + 4 + 4 + 1 + 1;
// Smallest object record: magic and the profile, path and group counts.
constexpr int64_t MinRecordBytes = 6 + 4 + 4 + 4;
constexpr int32_t MinPrecision = 1, MaxPrecision = 20;

// A count read with readInteger that lies outside what the file can hold.
[[noreturn]] void raiseBadCount(const std::string& what, int64_t value, int64_t limit) {
    throw EExtrStrError("12: ExtrStream: Error in readInteger " + what + " " +
                        std::to_string(value) + " is outside 0.." + std::to_string(limit));
}

int32_t readVertexCount(TExtrStream& stream, const std::string& key, const std::string& what) {
    int32_t count = stream.readInteger(key);
    if (count < 0 || count > MaxOutlineVertices) raiseBadCount(what, count, MaxOutlineVertices);
    return count;
}

void readVertices(TExtrStream& stream, const std::string& key, OutlineVertex* dst, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        dst[i].X = stream.readInteger(key);
        dst[i].Y = stream.readInteger(key);
        for (int32_t& slot : dst[i].Groups)
            slot = stream.readInteger(key);
    }
}

void writeVertices(TExtrStream& stream, const OutlineVertex* src, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        stream.writeInteger("", src[i].X);
        stream.writeInteger("", src[i].Y);
        for (int32_t slot : src[i].Groups)
            stream.writeInteger("", slot);
    }
}

// The absolute directory of the document, ending in "/". A document's name is a path of this
// system, so only "/" separates its parts; ":" and "\\" are ordinary characters of a name here.
std::string documentDirectory(const std::string& fileName) {
    const std::string dir = std::filesystem::absolute(fileName).lexically_normal().parent_path();
    return dir.ends_with('/') ? dir : dir + "/";
}

// Refuses a text the file cannot hold: characters outside Windows-1252, or too long.
void checkStoredText(const std::string& object, const char* what, const std::string& text) {
    std::string stored;
    try {
        stored = utf8ToAnsi(text);
    } catch (const EAnsiTextError& e) {
        throw std::runtime_error("Object \"" + object + "\": the " + what + " \"" + text +
                                 "\" cannot be stored: " + e.what());
    }
    if (stored.size() > static_cast<size_t>(TExtrStream::MaxStringLength))
        throw std::runtime_error("Object \"" + object + "\": the " + what + " is longer than " +
                                 std::to_string(TExtrStream::MaxStringLength) + " characters");
}

bool finite(const Vec3& v) {
    return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}

// The loader's limits, checked before anything is written: what is saved always reads back.
void checkStorable(const TExtrObj& o) {
    const std::string& name = o.Name;
    if (o.ProfileCount < 0 || o.ProfileCount > MaxOutlineVertices || o.PathCount < 0 ||
        o.PathCount > MaxOutlineVertices)
        throw std::runtime_error("Object \"" + name + "\" has a vertex count outside 0..100");
    if (o.Groups && o.Groups->Count() > MaxGroups)
        throw std::runtime_error("Object \"" + name + "\" has " +
                                 std::to_string(o.Groups->Count()) +
                                 " groups; a file holds at most " + std::to_string(MaxGroups));
    if (!finite(o.Position) || !finite(o.Rotation))
        throw std::runtime_error("Object \"" + name +
                                 "\" has a position or rotation that is not a finite number");
    if (o.Options.Precision < MinPrecision || o.Options.Precision > MaxPrecision)
        throw std::runtime_error("Object \"" + name + "\" has a precision outside " +
                                 std::to_string(MinPrecision) + ".." +
                                 std::to_string(MaxPrecision));
    checkStoredText(name, "name", name);
    for (int32_t i = 0; o.Groups && i < o.Groups->Count(); ++i)
        checkStoredText(name, "group texture", o.Groups->Items(i).Texture);
    checkStoredText(name, "corners texture", o.Options.CornersTexture);
    checkStoredText(name, "top texture", o.Options.TopTexture);
    checkStoredText(name, "bottom texture", o.Options.BottomTexture);
}

} // namespace

// ---- options block ----

void TfrmExtrOption::SaveToStream(TExtrStream& stream) const {
    const std::string key = "Options";
    try {
        stream.writeBoolean(key, false); // reserved
        stream.writeBoolean(key, RoundCorner);
        stream.writeBoolean(key, EmbCorner);
        stream.writeBoolean(key, Lathe);
        stream.writeInteger(key, PathScale);
        stream.writeInteger(key, ProfileScale);
        stream.writeInteger(key, Precision);
        // Replaced by the document's own directory on loading, so a directory Windows-1252 cannot
        // spell is stored with "?" rather than refused.
        stream.writeString(key, ansiToUtf8(utf8ToAnsiLossy(TexDir)));
        stream.writeColor(key, CornersColor);
        stream.writeString(key, CornersTexture);
        stream.writeColor(key, TopColor);
        stream.writeString(key, TopTexture);
        stream.writeColor(key, BottomColor);
        stream.writeString(key, BottomTexture);
    } catch (const std::exception&) {
        throw ESaveOptionsError();
    }
}

void TfrmExtrOption::LoadFromStream(TExtrStream& stream) {
    const std::string key = "Options";
    TfrmExtrOption read = *this;
    try {
        stream.readBoolean(key); // reserved
        read.RoundCorner = stream.readBoolean(key);
        read.EmbCorner = stream.readBoolean(key);
        read.Lathe = stream.readBoolean(key);
        read.PathScale = stream.readInteger(key);
        read.ProfileScale = stream.readInteger(key);
        read.Precision = stream.readInteger(key);
        // The builders cut every path segment into Precision slices: refuse what they cannot build.
        if (read.Precision < MinPrecision || read.Precision > MaxPrecision)
            throw ELoadOptionsError();
        read.TexDir = stream.readCheckedString(key);
        if (!read.TexDir.empty() && read.TexDir.back() != '/' && read.TexDir.back() != '\\')
            read.TexDir += '/';
        read.CornersColor = stream.readColor(key);
        read.CornersTexture = stream.readCheckedString(key);
        read.TopColor = stream.readColor(key);
        read.TopTexture = stream.readCheckedString(key);
        read.BottomColor = stream.readColor(key);
        read.BottomTexture = stream.readCheckedString(key);
    } catch (const std::exception&) {
        throw ELoadOptionsError();
    }
    *this = std::move(read);
}

// ---- object record ----

void TExtrObj::SaveToStream(TExtrStream& stream) const {
    checkStorable(*this);
    int32_t groupCount = Groups ? Groups->Count() : 0;

    stream.writeStringBuffer("", FileMagic);
    stream.writeInteger("", ProfileCount);
    writeVertices(stream, Profile.data(), ProfileCount);
    stream.writeInteger("", PathCount);
    writeVertices(stream, Path.data(), PathCount);
    stream.writeInteger("", groupCount - 1);
    for (int32_t i = 0; i < groupCount; ++i) {
        const TGroupPropertyObj& g = Groups->Items(i);
        stream.writeColor("", g.Color);
        stream.writeString("", g.Texture);
        stream.writeInteger("", g.Id);
        stream.writeInteger("", g.RepeatU);
        stream.writeInteger("", g.RepeatV);
        stream.writeBoolean("", g.FlipU);
        stream.writeBoolean("", g.FlipV);
    }
    stream.writeBoolean("", PathClosed);
    stream.writeString("", Name);
    stream.writeSingle("", Position.X);
    stream.writeSingle("", Position.Y);
    stream.writeSingle("", Position.Z);
    stream.writeSingle("", Rotation.X);
    stream.writeSingle("", Rotation.Y);
    stream.writeSingle("", Rotation.Z);
    Options.SaveToStream(stream);
}

void TExtrObj::LoadFromStream(TExtrStream& stream, const std::string& dir) {
    // Everything is read into locals first: a failing record leaves the object as it was.
    std::string magic;
    stream.readString("fileversion", static_cast<int32_t>(FileMagic.size()), magic);
    if (magic != FileMagic) throw EFileVersionError("File version incompatible! " + magic);

    std::array<OutlineVertex, MaxOutlineVertices> profile{};
    int32_t profileCount = readVertexCount(stream, "Profile/count", "profile vertex count");
    readVertices(stream, "Profile/profilepoint", profile.data(), profileCount);

    std::array<OutlineVertex, MaxOutlineVertices> path{};
    int32_t pathCount = readVertexCount(stream, "Path/count", "path vertex count");
    readVertices(stream, "Path/pathpoint", path.data(), pathCount);

    int64_t groupCount = static_cast<int64_t>(stream.readInteger("Groups/count")) + 1;
    int64_t groupLimit = std::min(MaxGroups, stream.remaining() / MinGroupBytes);
    if (groupCount < 0 || groupCount > groupLimit)
        raiseBadCount("group count", groupCount, groupLimit);
    auto groups = std::make_shared<TGroupPropertyList>();
    for (int64_t i = 0; i < groupCount; ++i) {
        auto g = std::make_shared<TGroupPropertyObj>();
        g->Color = stream.readColor("Groups/group");
        g->Texture = stream.readCheckedString("Groups/group");
        g->Id = stream.readInteger("Groups/group");
        g->RepeatU = stream.readInteger("Groups/group");
        g->RepeatV = stream.readInteger("Groups/group");
        g->FlipU = stream.readBoolean("Groups/group");
        g->FlipV = stream.readBoolean("Groups/group");
        groups->Add(std::move(g));
    }

    bool pathClosed = stream.readBoolean("pathclosed");
    std::string name = stream.readCheckedString("");
    Vec3 position, rotation;
    position.X = stream.readSingle("");
    position.Y = stream.readSingle("");
    position.Z = stream.readSingle("");
    rotation.X = stream.readSingle("");
    rotation.Y = stream.readSingle("");
    rotation.Z = stream.readSingle("");
    // A placement that is no number would reach every vertex: such a record is damaged.
    if (!finite(position) || !finite(rotation))
        throw EExtrStrError("13: ExtrStream: Error in readSingle the position or rotation of "
                            "object \"" +
                            name + "\" is not a finite number");

    TfrmExtrOption options = Options;
    options.LoadFromStream(stream);
    // Textures live beside the file, wherever it was moved; a restore keeps the stored directory.
    if (!dir.empty()) options.TexDir = dir;
    options.SetCoordinates(position, rotation);
    options.Name = name;

    // The whole record read back: take it.
    Profile = profile;
    ProfileCount = profileCount;
    Path = path;
    PathCount = pathCount;
    Groups = std::move(groups);
    PathClosed = pathClosed;
    Name = std::move(name);
    Position = position;
    Rotation = rotation;
    Options = std::move(options);
}

// ---- whole document ----

void TExtrObjList::writeDocument(TExtrStream& stream) const {
    if (Objects.size() > static_cast<size_t>(MaxObjects))
        throw std::runtime_error("The document has " + std::to_string(Objects.size()) +
                                 " objects; a file holds at most " + std::to_string(MaxObjects));
    stream.writeInteger("", static_cast<int32_t>(Objects.size()));
    for (const auto& object : Objects)
        object->SaveToStream(stream);
    saveTextureTable(stream);
    writeExtensionBlock(stream, Objects);
}

std::vector<std::string> TExtrObjList::readDocument(TExtrStream& stream, const std::string& dir,
                                                    TMessageSink* messages) {
    int32_t count = stream.readInteger("");
    int64_t countLimit = std::min(MaxObjects, stream.remaining() / MinRecordBytes);
    if (count < 0 || count > countLimit) raiseBadCount("object count", count, countLimit);

    // The document changes only when every record and the texture table read back.
    std::vector<std::unique_ptr<TExtrObj>> loaded;
    for (int32_t k = 1; k <= count; ++k) {
        auto object = std::make_unique<TExtrObj>();
        if (messages) messages->SetMessageString("Loading object  " + std::to_string(k));
        object->LoadFromStream(stream, dir);
        loaded.push_back(std::move(object));
    }
    std::vector<std::string> unloaded = loadTextureTable(stream, dir, messages);
    readExtensionBlock(stream, loaded);
    stream.Free();
    Objects = std::move(loaded);
    return unloaded;
}

void TExtrObjList::SaveToFile(const std::string& fileName) const {
    if (Objects.empty()) return;
    // A regular file is written beside the target and renamed over it only once complete, so a
    // failing save leaves the previous file as it was.
    std::optional<TSaveTarget> target;
    try {
        target.emplace(fileName);
    } catch (const ESaveTargetError& e) {
        throw EExtrStrError(std::string("10: ExtrStream: Error in create ") + e.what());
    }
    TExtrStream stream(target->WritePath(), TExtrStreamMode::Create);
    writeDocument(stream);
    stream.Free();
    try {
        target->Commit();
    } catch (const ESaveTargetError& e) {
        throw EExtrStrError(std::string("10: ExtrStream: Error in create ") + e.what());
    }
}

std::vector<std::string> TExtrObjList::LoadFromFile(const std::string& fileName,
                                                    TMessageSink* messages) {
    TExtrStream stream(fileName, TExtrStreamMode::Read);
    return readDocument(stream, documentDirectory(fileName), messages);
}

std::string TExtrObjList::SaveToBytes() const {
    std::string bytes;
    TExtrStream stream(bytes, TExtrStreamMode::Create);
    writeDocument(stream);
    stream.Free();
    return bytes;
}

std::vector<std::string> TExtrObjList::RestoreFromBytes(const std::string& bytes) {
    std::string copy = bytes; // the memory stream reads a buffer of its own
    TExtrStream stream(copy, TExtrStreamMode::Read);
    return readDocument(stream, std::string(), nullptr);
}
