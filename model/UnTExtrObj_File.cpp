// The object file (.PLV): object records, the options block, and whole-document save and load.
#include "model/UnTExtrObj.h"
#include "model/UnTExtrStream.h"
#include "scene/UnBmpTex.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include <fcntl.h>
#include <unistd.h>

namespace {

const std::string FileMagic = "PALV10";
constexpr int32_t MaxStoredString = 65536;
constexpr int64_t MaxGroups = 10000;
// Far beyond what the display-list numbering of a scene can show; keeps a crafted file of tiny
// records from holding millions of objects in memory.
constexpr int64_t MaxObjects = 10000;
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

bool isSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

// The directory part of a file name, keeping its final separator; empty for a bare name.
std::string directoryOf(const std::string& fileName) {
    for (size_t i = fileName.size(); i > 0; --i)
        if (isSeparator(fileName[i - 1])) return fileName.substr(0, i);
    return {};
}

[[noreturn]] void raiseSaveFailure(const std::string& fileName, const std::string& what, int err) {
    throw EExtrStrError("10: ExtrStream: Error in create " + what + " \"" + fileName +
                        "\": " + std::strerror(err));
}

} // namespace

// Creates an empty, exclusive temporary file next to target (permissions follow the umask).
std::string createTemporaryBeside(const std::string& target) {
    std::random_device seed;
    std::mt19937 random(seed());
    const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    int lastError = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".tmp-";
        for (int i = 0; i < 6; ++i)
            name += letters[random() % 36];
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        lastError = errno;
        if (lastError != EEXIST) break;
    }
    raiseSaveFailure(target, "Cannot create file", lastError);
}

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
        stream.writeString(key, TexDir);
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
        read.TexDir = stream.readCheckedString(key, MaxStoredString);
        if (!read.TexDir.empty() && read.TexDir.back() != '/' && read.TexDir.back() != '\\')
            read.TexDir += '/';
        read.CornersColor = stream.readColor(key);
        read.CornersTexture = stream.readCheckedString(key, MaxStoredString);
        read.TopColor = stream.readColor(key);
        read.TopTexture = stream.readCheckedString(key, MaxStoredString);
        read.BottomColor = stream.readColor(key);
        read.BottomTexture = stream.readCheckedString(key, MaxStoredString);
    } catch (const std::exception&) {
        throw ELoadOptionsError();
    }
    *this = std::move(read);
}

// ---- object record ----

void TExtrObj::SaveToStream(TExtrStream& stream) const {
    if (ProfileCount < 0 || ProfileCount > MaxOutlineVertices || PathCount < 0 ||
        PathCount > MaxOutlineVertices)
        throw std::runtime_error("Object \"" + Name + "\" has a vertex count outside 0..100");
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
        g->Texture = stream.readCheckedString("Groups/group", MaxStoredString);
        g->Id = stream.readInteger("Groups/group");
        g->RepeatU = stream.readInteger("Groups/group");
        g->RepeatV = stream.readInteger("Groups/group");
        g->FlipU = stream.readBoolean("Groups/group");
        g->FlipV = stream.readBoolean("Groups/group");
        groups->Add(std::move(g));
    }

    bool pathClosed = stream.readBoolean("pathclosed");
    std::string name = stream.readCheckedString("", MaxStoredString);
    Vec3 position, rotation;
    position.X = stream.readSingle("");
    position.Y = stream.readSingle("");
    position.Z = stream.readSingle("");
    rotation.X = stream.readSingle("");
    rotation.Y = stream.readSingle("");
    rotation.Z = stream.readSingle("");

    TfrmExtrOption options = Options;
    options.LoadFromStream(stream);
    options.TexDir = dir; // textures live beside the file, wherever it was moved
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
    Precision = Options.Precision;
    ProfileScale = Options.ProfileScale;
    PathScale = Options.PathScale;
    Lathe = Options.Lathe;
    TexDir = Options.TexDir;
    RoundCorner = Options.RoundCorner;
    EmbCorner = Options.EmbCorner;
    CornersColor = Options.CornersColor;
    CornersTexture = Options.CornersTexture;
    TopColor = Options.TopColor;
    TopTexture = Options.TopTexture;
    BottomColor = Options.BottomColor;
    BottomTexture = Options.BottomTexture;
}

// ---- whole document ----

void TExtrObjList::SaveToFile(const std::string& fileName) const {
    if (Objects.empty()) return;
    if (Objects.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::runtime_error("Too many objects to save");

    // Written beside the target and renamed over it only once complete: a failing save leaves
    // the previous file as it was.
    std::string temporary = createTemporaryBeside(fileName);
    try {
        TExtrStream stream(temporary, TExtrStreamMode::Create);
        stream.writeInteger("", static_cast<int32_t>(Objects.size()));
        for (const auto& object : Objects)
            object->SaveToStream(stream);
        saveTextureTable(stream);
        stream.Free();
        if (std::rename(temporary.c_str(), fileName.c_str()) != 0)
            raiseSaveFailure(fileName, "Cannot replace file", errno);
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
}

void TExtrObjList::LoadFromFile(const std::string& fileName, TMessageSink* messages) {
    TExtrStream stream(fileName, TExtrStreamMode::Read);
    const std::string dir = directoryOf(fileName);

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
    loadTextureTable(stream, dir, messages);
    stream.Free();
    Objects = std::move(loaded);
}
