// Staged export files: every temporary renamed over its target, or none.
#include "render/UnStagedFiles.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

#include <sys/stat.h>

namespace {

// A second name for the file target (keepBeside); none where the file system has no links (the
// file is then replaced without a way back).
std::string keptBeside(const std::string& target) {
    try {
        return keepBeside(target);
    } catch (const ESaveTargetError&) {
        return std::string();
    }
}

} // namespace

std::string TStagedFiles::add(const std::string& target) {
    files_.push_back(std::make_unique<TSaveTarget>(target));
    return files_.back()->WritePath();
}

void TStagedFiles::commit() {
    struct Brought {
        std::string target, earlier; // earlier: the replaced file's second name, empty if new
    };
    std::vector<Brought> brought;
    while (!files_.empty()) {
        TSaveTarget& file = *files_.back();
        std::string earlier;
        try {
            struct stat st {};
            if (!file.Direct() && ::lstat(file.TargetPath().c_str(), &st) == 0 &&
                S_ISREG(st.st_mode))
                earlier = keptBeside(file.TargetPath());
            file.Commit();
        } catch (const std::exception& e) {
            const std::string message = e.what();
            if (!earlier.empty()) std::remove(earlier.c_str());
            for (auto b = brought.rbegin(); b != brought.rend(); ++b) {
                if (b->earlier.empty())
                    std::remove(b->target.c_str());
                else
                    std::rename(b->earlier.c_str(), b->target.c_str());
            }
            discard();
            throw std::runtime_error(message);
        }
        if (!file.Direct()) brought.push_back(Brought{file.TargetPath(), std::move(earlier)});
        files_.pop_back();
    }
    for (const Brought& b : brought)
        if (!b.earlier.empty()) std::remove(b.earlier.c_str());
}

void TStagedFiles::adopt(TStagedFiles& other) {
    for (auto& file : other.files_)
        files_.push_back(std::move(file));
    other.files_.clear();
}

void TStagedFiles::discard() noexcept {
    files_.clear(); // each uncommitted target removes its temporary file
}
