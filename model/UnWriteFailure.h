// Why a file could not be written, in plain words, read from the technical message of the failure.
#pragma once

#include <string>

enum class TWriteCause {
    Unknown,
    NoSpace,
    ReadOnly,
    NotAllowed,
    IsFolder,
    NoFolder,
    TooLarge,
    ImageUnreadable
};

// The plain causes in English, in the order of TWriteCause (the window translates them).
inline constexpr const char* WriteCauseTexts[] = {
    "an error stopped it",
    "no space left on the device",
    "the folder is read-only",
    "you are not allowed to write there",
    "it is a folder",
    "the folder does not exist",
    "the file would be too large",
    "a texture image could not be read",
};

// The cause a failure's message names: the system's reason as it reports it (strerror) or the
// exporters' own words for an image they cannot copy.
TWriteCause writeFailureCause(const std::string& technical);

// What stood at an export's target before it began.
enum class TTargetBefore { Nothing, File, Device };
// What stood at target before the export, links followed: a device or a pipe is written
// directly, so only a file stays as it was.
TTargetBefore targetBefore(const std::string& target);

// The command line's message: "could not export to 'target': <cause>; the earlier file is
// unchanged (<technical>)" ("; nothing was written" when there was no file, nothing for a device).
std::string exportFailureText(const std::string& target, const std::string& technical,
                              TTargetBefore before);
