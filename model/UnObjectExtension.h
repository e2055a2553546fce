// The object file's extension block: per-object data that the record layout has no room for (path
// heights, a lathe's pitch), after the texture table, written only when a document uses it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TExtrObj;
class TExtrStream;

// The block's tag and the version this program writes and reads.
inline const std::string ExtensionTag = "PLVX";
constexpr int32_t ExtensionVersion = 1;
// The most turns a pitched lathe makes, and the largest rise per turn and height magnitude kept.
constexpr float MaxLatheTurns = 99;
constexpr float MaxLatheRise = 1e6f;
constexpr float MaxPathHeight = 1e9f;

// True when an object of the document needs the block.
bool needsExtensionBlock(const std::vector<std::unique_ptr<TExtrObj>>& objects);
// Writes the block for the objects when one of them needs it; otherwise writes nothing.
void writeExtensionBlock(TExtrStream& stream,
                         const std::vector<std::unique_ptr<TExtrObj>>& objects);
// Reads the block when bytes follow the texture table and fills the objects' heights and pitch;
// anything that is not one whole block of this version raises EExtrStrError (a damaged file).
void readExtensionBlock(TExtrStream& stream, std::vector<std::unique_ptr<TExtrObj>>& objects);
// Why the extension values of an object cannot be stored; empty when they can.
std::string extensionProblem(const TExtrObj& object);
