// The files of one export written under temporary names and brought in all together or not at all.
// See docs/architecture.md (Saving an export).
#pragma once

#include "model/UnSaveTarget.h"

#include <memory>
#include <string>
#include <vector>

// Files of one export written under temporary names beside their targets and renamed over them
// only when the whole export succeeded; the temporaries are removed otherwise. As in saving, links
// are followed, replaced files keep their permissions, and a device or pipe is written directly.
class TStagedFiles {
  public:
    TStagedFiles() = default;
    TStagedFiles(const TStagedFiles&) = delete;
    TStagedFiles& operator=(const TStagedFiles&) = delete;
    ~TStagedFiles() { discard(); }

    // Creates the temporary file for target and returns its name (target itself for a device or
    // a pipe).
    std::string add(const std::string& target);
    // Renames every temporary over its target, the last added first (the main file last of all).
    // Each file replaced keeps a second name until all are in: should one rename fail, the files
    // already brought in go again and the earlier ones come back, byte for byte.
    void commit();
    // Takes over the files of other (which ends empty), as if added here after the others.
    void adopt(TStagedFiles& other);
    // Removes the temporaries not committed yet; never throws.
    void discard() noexcept;

  private:
    std::vector<std::unique_ptr<TSaveTarget>> files_;
};
