// The plain cause of a failed write, found by the system's own words in its message.
#include "model/UnWriteFailure.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/stat.h>

TWriteCause writeFailureCause(const std::string& technical) {
    auto says = [&technical](const char* words) {
        return technical.find(words) != std::string::npos;
    };
    auto saysError = [&says](int err) { return says(std::strerror(err)); };
    if (says("Cannot read texture")) return TWriteCause::ImageUnreadable;
    const std::pair<int, TWriteCause> reasons[] = {
        {ENOSPC, TWriteCause::NoSpace},   {EDQUOT, TWriteCause::NoSpace},
        {EROFS, TWriteCause::ReadOnly},   {EACCES, TWriteCause::NotAllowed},
        {EPERM, TWriteCause::NotAllowed}, {EISDIR, TWriteCause::IsFolder},
        {EFBIG, TWriteCause::TooLarge},
    };
    for (const auto& [err, cause] : reasons)
        if (saysError(err)) return cause;
    // A missing folder shows where the file is made, not where an image is read.
    if (says("Cannot create file") && (saysError(ENOENT) || saysError(ENOTDIR)))
        return TWriteCause::NoFolder;
    return TWriteCause::Unknown;
}

TTargetBefore targetBefore(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return TTargetBefore::Nothing;
    return S_ISREG(st.st_mode) ? TTargetBefore::File : TTargetBefore::Device;
}

std::string exportFailureText(const std::string& target, const std::string& technical,
                              TTargetBefore before) {
    const char* outcome = before == TTargetBefore::File      ? "; the earlier file is unchanged"
                          : before == TTargetBefore::Nothing ? "; nothing was written"
                                                             : "";
    return "could not export to '" + target +
           "': " + WriteCauseTexts[int(writeFailureCause(technical))] + outcome + " (" + technical +
           ")";
}
