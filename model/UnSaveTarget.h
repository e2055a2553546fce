// Where a save writes: a regular file (or a new one) through a temporary file beside it that
// replaces it only when complete, any other target (a device, a pipe) directly.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/types.h>

class ESaveTargetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Creates an empty, exclusive file named target + ".tmp-" + six random characters next to target
// (permissions 0666 less the umask) and returns its name; throws ESaveTargetError
// "Cannot create file "<target>": <reason>" when the directory takes no new file.
std::string createTemporaryBeside(const std::string& target);

// Makes a second name (a hard link) target + ".old-" + six random characters for the existing file
// target, which thus outlives its replacement; throws ESaveTargetError "Cannot create file
// "<target>": <reason>" (also where the file system has no links).
std::string keepBeside(const std::string& target);

// An unnamed file for scratch data, in $TMPDIR (else /tmp), gone when closed; nullptr with errno
// set when there is none to be had.
std::FILE* openScratch();

// Opens fileName for writing ("wb", or "w+b" with readBack), creating it or emptying it; nullptr
// with errno set when it cannot. A file that is empty already (a temporary one just created) is
// not truncated: some file systems (ext4) send all of a file emptied by truncation to the disk
// when it is closed, which costs about as much as writing it again.
std::FILE* openEmptied(const std::string& fileName, bool readBack = false);

class TSaveTarget {
  public:
    // Follows symbolic links to the file they name, so the link stays a link. Creates the temporary
    // file with the permissions of the file it will replace. Throws ESaveTargetError
    // "Cannot create file "<name>": <reason>".
    explicit TSaveTarget(const std::string& fileName);
    // Removes the temporary file unless it was committed.
    ~TSaveTarget();
    TSaveTarget(const TSaveTarget&) = delete;
    TSaveTarget& operator=(const TSaveTarget&) = delete;

    // The file to write now: the temporary file, or the target itself when written directly.
    const std::string& WritePath() const { return Temporary.empty() ? Target : Temporary; }
    // The file the save ends up in, links resolved.
    const std::string& TargetPath() const { return Target; }
    // True for a target that is not a regular file: its writes go straight to it.
    bool Direct() const { return Temporary.empty(); }
    // Renames the temporary file over the target (once); throws ESaveTargetError
    // "Cannot replace file "<name>": <reason>". Does nothing for a direct target.
    void Commit();

  private:
    std::string Target;
    std::string Temporary;
    bool Pending = false; // a temporary file exists that is not yet the target
};
