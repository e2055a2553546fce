// Safe saving: links followed, the old file's permissions kept, devices written in place.
#include "model/UnSaveTarget.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows before it gives up.
constexpr int MaxLinkHops = 40;

[[noreturn]] void raiseTargetError(const char* what, const std::string& fileName, int err) {
    throw ESaveTargetError(std::string(what) + " \"" + fileName + "\": " + std::strerror(err));
}

// The file a chain of symbolic links ends at, for a name that does not exist yet.
std::string followLinks(const std::string& fileName) {
    std::string path = fileName;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n < 0) raiseTargetError("Cannot create file", fileName, errno);
        const std::string to(link.data(), static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        path =
            to.starts_with('/') || slash == std::string::npos ? to : path.substr(0, slash + 1) + to;
    }
    raiseTargetError("Cannot create file", fileName, ELOOP);
}

// Makes a new name target + mark + six random characters with make, trying again while the name
// is taken (make gives 0, or the errno of its failure); returns the name made.
template <class Make>
std::string makeBeside(const std::string& target, const char* mark, Make make) {
    std::random_device seed;
    std::mt19937 random(seed());
    const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    int lastError = EEXIST;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + mark;
        for (int i = 0; i < 6; ++i)
            name += letters[random() % 36];
        lastError = make(name);
        if (lastError == 0) return name;
        if (lastError != EEXIST) break;
    }
    raiseTargetError("Cannot create file", target, lastError);
}

// Creates an empty, exclusive file next to target; returns its name and its open descriptor.
std::string openTemporaryBeside(const std::string& target, int& fd) {
    return makeBeside(target, ".tmp-", [&fd](const std::string& name) {
        // A new file gets the permissions a plain create would give it (0666 less the umask).
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0 ? 0 : errno;
    });
}

} // namespace

std::FILE* openEmptied(const std::string& fileName, bool readBack) {
    const int fd =
        ::open(fileName.c_str(), (readBack ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 ||
        (S_ISREG(st.st_mode) && st.st_size > 0 && ::ftruncate(fd, 0) != 0)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, readBack ? "w+b" : "wb");
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

std::string keepBeside(const std::string& target) {
    return makeBeside(target, ".old-", [&target](const std::string& name) {
        return ::link(target.c_str(), name.c_str()) == 0 ? 0 : errno;
    });
}

std::FILE* openScratch() {
    const char* dir = std::getenv("TMPDIR");
    const int fd =
        ::open(dir != nullptr && *dir != '\0' ? dir : "/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) return std::tmpfile(); // a file system without unnamed files
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) ::close(fd);
    return f;
}

std::string createTemporaryBeside(const std::string& target) {
    int fd = -1;
    std::string name = openTemporaryBeside(target, fd);
    ::close(fd);
    return name;
}

TSaveTarget::TSaveTarget(const std::string& fileName) {
    struct stat st {};
    const bool exists = ::stat(fileName.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) raiseTargetError("Cannot create file", fileName, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        // A device or a pipe (also behind a link such as /dev/stdout): written in place.
        Target = fileName;
        return;
    }
    if (exists) {
        // The file itself, wherever links lead: it is replaced there and the links stay.
        char* real = ::realpath(fileName.c_str(), nullptr);
        Target = real ? real : fileName;
        std::free(real);
    } else {
        Target = followLinks(fileName); // a new file, or one a dangling link names
    }

    int fd = -1;
    std::string temporary = openTemporaryBeside(Target, fd);
    if (exists) {
        // The replacement keeps the old file's permissions and, where allowed, its owners.
        if (fchmod(fd, st.st_mode & 07777) != 0) {
            const int err = errno;
            ::close(fd);
            std::remove(temporary.c_str());
            raiseTargetError("Cannot create file", Target, err);
        }
        if (fchown(fd, st.st_uid, st.st_gid) != 0 &&
            fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Only root may give a file away; the saver's own user and group then stay.
        }
    }
    ::close(fd);
    Temporary = std::move(temporary);
    Pending = true;
}

TSaveTarget::~TSaveTarget() {
    if (Pending) std::remove(Temporary.c_str());
}

void TSaveTarget::Commit() {
    if (!Pending) return;
    if (std::rename(Temporary.c_str(), Target.c_str()) != 0)
        raiseTargetError("Cannot replace file", Target, errno);
    Pending = false;
}
