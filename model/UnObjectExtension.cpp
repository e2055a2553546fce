// The object file's extension block: tag, version, length, then per object its path heights and
// its lathe pitch.
#include "model/UnObjectExtension.h"

#include "model/UnTExtrObj.h"
#include "model/UnTExtrStream.h"

#include <cmath>

namespace {

// Bytes of one object's entry: height count, heights, rise, turns.
int64_t entryBytes(const TExtrObj& o) {
    return 4 + (o.HasHeights() ? 4 * int64_t(o.PathCount) : 0) + 4 + 4;
}

[[noreturn]] void damaged(const std::string& cause) {
    throw EExtrStrError("14: ExtrStream: Error in readExtension " + cause);
}

bool turnsAllowed(float turns) {
    return std::isfinite(turns) && turns > 0 && turns <= MaxLatheTurns;
}

bool riseAllowed(float rise) {
    return std::isfinite(rise) && std::fabs(rise) <= MaxLatheRise;
}

bool heightAllowed(float h) {
    return std::isfinite(h) && std::fabs(h) <= MaxPathHeight;
}

} // namespace

bool needsExtensionBlock(const std::vector<std::unique_ptr<TExtrObj>>& objects) {
    for (const auto& o : objects)
        if (o->HasHeights() || o->HasPitch()) return true;
    return false;
}

std::string extensionProblem(const TExtrObj& o) {
    const std::string head = "Object \"" + o.Name + "\" has ";
    if (!riseAllowed(o.LatheRise)) return head + "a rise per turn that is not a number in range";
    if (!turnsAllowed(o.LatheTurns)) return head + "a number of turns outside 0..99";
    for (int32_t i = 0; i < o.PathCount && i < MaxOutlineVertices; ++i)
        if (!heightAllowed(o.PathHeight[size_t(i)]))
            return head + "a path height that is not a number in range";
    return {};
}

void writeExtensionBlock(TExtrStream& stream,
                         const std::vector<std::unique_ptr<TExtrObj>>& objects) {
    if (!needsExtensionBlock(objects)) return;
    int64_t length = 4;
    for (const auto& o : objects) {
        if (const std::string problem = extensionProblem(*o); !problem.empty())
            throw std::runtime_error(problem);
        length += entryBytes(*o);
    }
    stream.writeStringBuffer("", ExtensionTag);
    stream.writeInteger("", ExtensionVersion);
    stream.writeInteger("", static_cast<int32_t>(length));
    stream.writeInteger("", static_cast<int32_t>(objects.size()));
    for (const auto& o : objects) {
        const bool heights = o->HasHeights();
        stream.writeInteger("", heights ? o->PathCount : 0);
        for (int32_t i = 0; heights && i < o->PathCount; ++i)
            stream.writeSingle("", o->PathHeight[size_t(i)]);
        stream.writeSingle("", o->LatheRise);
        stream.writeSingle("", o->LatheTurns);
    }
}

void readExtensionBlock(TExtrStream& stream, std::vector<std::unique_ptr<TExtrObj>>& objects) {
    if (stream.remaining() == 0) return; // a document that uses no extension
    const std::string key = "Extension";
    if (stream.remaining() < 12) damaged("the bytes after the texture table are no block");
    std::string tag;
    stream.readString(key, static_cast<int32_t>(ExtensionTag.size()), tag);
    if (tag != ExtensionTag) damaged("the bytes after the texture table are no block");
    const int32_t version = stream.readInteger(key);
    if (version != ExtensionVersion)
        damaged("block version " + std::to_string(version) + " is not " +
                std::to_string(ExtensionVersion));
    const int32_t length = stream.readInteger(key);
    if (length != stream.remaining())
        damaged("block length " + std::to_string(length) + " is not the " +
                std::to_string(stream.remaining()) + " bytes that follow");
    const int32_t count = stream.readInteger(key);
    if (count != static_cast<int32_t>(objects.size()))
        damaged("block count " + std::to_string(count) + " is not the " +
                std::to_string(objects.size()) + " objects");
    for (auto& o : objects) {
        const int32_t heights = stream.readInteger(key);
        if (heights != 0 && heights != o->PathCount)
            damaged("height count " + std::to_string(heights) + " of object \"" + o->Name +
                    "\" is not its " + std::to_string(o->PathCount) + " path vertices");
        std::array<float, MaxOutlineVertices> read{};
        for (int32_t i = 0; i < heights; ++i) {
            read[size_t(i)] = stream.readSingle(key);
            if (!heightAllowed(read[size_t(i)]))
                damaged("a height of object \"" + o->Name + "\" is not a number in range");
        }
        const float rise = stream.readSingle(key);
        const float turns = stream.readSingle(key);
        if (!riseAllowed(rise) || !turnsAllowed(turns))
            damaged("the pitch of object \"" + o->Name + "\" is not a number in range");
        o->PathHeight = read;
        o->LatheRise = rise;
        o->LatheTurns = turns;
    }
    if (stream.remaining() != 0) damaged("the block ends before the file");
}
