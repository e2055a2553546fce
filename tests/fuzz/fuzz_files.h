// Scratch files of the fuzz targets: the loaders read files, so each input is written to one first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fuzzfiles {

// One directory per process, in memory where the system offers it, removed at exit.
inline const std::string& scratchDir() {
    static const std::string* dir = [] {
        namespace fs = std::filesystem;
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "palvorin-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        auto* made = new std::string(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchDir(), ignored);
        });
        return made;
    }();
    return *dir;
}

// Writes the bytes as dir/name and returns the path.
inline std::string writeScratch(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = scratchDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0)
        std::abort();
    return path;
}

} // namespace fuzzfiles
