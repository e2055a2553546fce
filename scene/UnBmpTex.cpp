// The texture table (add, find, delete, save, load) and the program's own BMP reader.
#include "scene/UnBmpTex.h"

#include "model/UnTExtrStream.h"
#include "scene/UnOpenGL.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <unordered_set>
#include <utility>

#include <sys/stat.h>

std::vector<TTextureObj> textureTable;

namespace {

TTextureUploader* installedUploader = nullptr;
// Texture ids handed out when no uploader is installed (no OpenGL context).
int32_t nextPlaceholderId = 1;
size_t textureMemoryLimit = MaxTextureMemory;

// Largest picture side the loaders accept.
constexpr int32_t MaxPictureSide = 1024;

// A failed open, read or seek on an image file.
class EInOutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openForReading(const std::string& fileName) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) throw EInOutError(std::strerror(errno));
    return FilePtr(f);
}

int64_t fileSize(std::FILE* f) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) throw EInOutError(std::strerror(errno));
    long size = std::ftell(f);
    if (size < 0 || std::fseek(f, here, SEEK_SET) != 0) throw EInOutError(std::strerror(errno));
    return size;
}

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// value right-aligned in 6 characters
std::string field6(int64_t value) {
    std::string s = std::to_string(value);
    if (s.size() < 6) s.insert(0, 6 - s.size(), ' ');
    return s;
}

// Everything the header reader learns about a BMP file.
struct BmpInfo {
    uint32_t PixelOffset = 0; // file header bytes 10..13
    int32_t Bits = 0;         // 4, 8 or 24
    int32_t Width = 0;        // rounded up to 4 pixels for 4- and 8-bit images
    int32_t Height = 0;
    uint8_t Palette[256][4] = {}; // blue, green, red, reserved; unread entries stay black
};

void readBmpHeaderInfo(const std::string& fileName, BmpInfo& info) {
    try {
        FilePtr file = openForReading(fileName);
        const int64_t size = fileSize(file.get());
        uint8_t hdr[54] = {};
        size_t got = std::fread(hdr, 1, sizeof hdr, file.get());
        if (std::ferror(file.get())) throw EInOutError(std::strerror(errno));
        if (got < 2 || hdr[0] != 'B' || hdr[1] != 'M') throw EBMPTEXError("Bad Bitmap file");
        if (got < sizeof hdr) throw EInOutError("Read beyond end of file");

        const uint8_t* bi = hdr + 14;
        if (le32(bi) != 40) throw EBMPTEXError("Bad CORE header");
        if (le32(bi + 16) != 0) throw EBMPTEXError("Can't handle compressed images");
        const int32_t bits = le16(bi + 14);
        if (bits != 4 && bits != 8 && bits != 24)
            throw EBMPTEXError("Bad pixel size: " + field6(bits));
        const int32_t width = static_cast<int32_t>(le32(bi + 4));
        const int32_t height = static_cast<int32_t>(le32(bi + 8));
        if (width > MaxPictureSide || height > MaxPictureSide)
            throw EBMPTEXError("The picture is too big: " + field6(width) + " x" + field6(height));
        // Zero or negative sizes (negative heights mark top-down files) are not read.
        if (width <= 0 || height <= 0)
            throw EBMPTEXError("The picture size is not valid: " + field6(width) + " x" +
                               field6(height));

        info.PixelOffset = le32(hdr + 10);
        info.Bits = bits;
        info.Width = bits == 24 ? width : (width + 3) / 4 * 4;
        info.Height = height;
        std::memset(info.Palette, 0, sizeof info.Palette);
        if (bits != 24) {
            int64_t entries = le32(bi + 32);
            if (entries == 0) entries = int64_t(1) << bits;
            if (entries > 256) entries = 256;
            const int64_t available = (size - 54) / 4;
            if (entries > available) entries = available;
            if (entries > 0) {
                size_t n = std::fread(info.Palette, 4, static_cast<size_t>(entries), file.get());
                if (n < static_cast<size_t>(entries) && std::ferror(file.get()))
                    throw EInOutError(std::strerror(errno));
            }
        }
    } catch (const EInOutError& e) {
        throw EBMPTEXError("BMP " + fileName + " Load I/O error: " + e.what());
    } catch (const std::exception& e) {
        throw EBMPTEXError("BMP " + fileName + " Load exception: " + e.what());
    }
}

// Reads one stored row into row `row` of the buffer. Returns false once the file has ended;
// the pixels not read stay zero.
bool readBmpRow(const BmpInfo& info, TTextureImage& image, int32_t row, std::FILE* file,
                std::vector<uint8_t>& rowBuffer) {
    try {
        const size_t rowBytes = (static_cast<size_t>(info.Width) * info.Bits + 31) / 32 * 4;
        rowBuffer.resize(rowBytes);
        const size_t got = std::fread(rowBuffer.data(), 1, rowBytes, file);
        if (got < rowBytes && std::ferror(file)) throw EInOutError(std::strerror(errno));

        uint8_t* out = image.Pixels.data() + static_cast<size_t>(row) * info.Width * 3;
        auto putIndex = [&](int32_t x, uint8_t index) {
            out[x * 3] = info.Palette[index][2];
            out[x * 3 + 1] = info.Palette[index][1];
            out[x * 3 + 2] = info.Palette[index][0];
        };
        const uint8_t* in = rowBuffer.data();
        if (info.Bits == 24) {
            const int32_t n = static_cast<int32_t>(std::min<size_t>(got / 3, info.Width));
            for (int32_t x = 0; x < n; ++x) {
                out[x * 3] = in[x * 3 + 2];
                out[x * 3 + 1] = in[x * 3 + 1];
                out[x * 3 + 2] = in[x * 3];
            }
        } else if (info.Bits == 8) {
            const int32_t n = static_cast<int32_t>(std::min<size_t>(got, info.Width));
            for (int32_t x = 0; x < n; ++x)
                putIndex(x, in[x]);
        } else {
            const int32_t n = static_cast<int32_t>(std::min<size_t>(got * 2, info.Width));
            for (int32_t x = 0; x < n; ++x)
                putIndex(x, x % 2 == 0 ? in[x / 2] >> 4 : in[x / 2] & 0x0F);
        }
        return got == rowBytes;
    } catch (const EInOutError& e) {
        throw EBMPTEXError(std::string("BMP  row read I/O error: ") + e.what());
    } catch (const std::exception& e) {
        throw EBMPTEXError(std::string("BMP  row read exception: ") + e.what());
    }
}

// The absolute, lexically normal form of a path; an empty one stays empty.
std::string absolutePath(const std::string& fileName) {
    if (fileName.empty()) return fileName;
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(fileName, error);
    return error ? fileName : path.lexically_normal().string();
}

TImageSource imageSource(const std::string& fileName) {
    struct stat st {};
    TImageSource source;
    if (::stat(fileName.c_str(), &st) != 0) return source;
    source.Device = st.st_dev;
    source.Inode = st.st_ino;
    source.Size = st.st_size;
    source.Modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return source;
}

// What a loader's message says after the file's name ("Load exception: Bad Bitmap file").
std::string reasonAfter(const std::string& message, const std::string& fileName) {
    const size_t at = message.find(fileName);
    if (at == std::string::npos) return message;
    const size_t start = message.find_first_not_of(": ", at + fileName.size());
    return start == std::string::npos ? message : message.substr(start);
}

// Bytes of decoded pixels the table holds, each shared image counted once.
size_t textureMemory() {
    std::unordered_set<const TTextureImage*> seen;
    size_t total = 0;
    for (const TTextureObj& t : textureTable)
        if (t.Image && seen.insert(t.Image.get()).second) total += t.Image->Pixels.size();
    return total;
}

} // namespace

void readBmpHeader(const std::string& fileName, int32_t& width, int32_t& height) {
    BmpInfo info;
    readBmpHeaderInfo(fileName, info);
    width = info.Width;
    height = info.Height;
}

void loadBmpPixels(const std::string& fileName, TTextureImage& image) {
    try {
        BmpInfo info;
        readBmpHeaderInfo(fileName, info);
        image.Width = info.Width;
        image.Height = info.Height;
        image.Pixels.assign(static_cast<size_t>(info.Width) * info.Height * 3, 0);

        FilePtr file = openForReading(fileName);
        if (std::fseek(file.get(), static_cast<long>(info.PixelOffset), SEEK_SET) != 0)
            throw EInOutError(std::strerror(errno));
        std::vector<uint8_t> rowBuffer;
        for (int32_t row = 0; row < info.Height; ++row)
            if (!readBmpRow(info, image, row, file.get(), rowBuffer)) break;
    } catch (const EBMPTEXError&) {
        throw;
    } catch (const EInOutError& e) {
        throw EBMPTEXError("BMP " + fileName + " load I/O error: " + e.what());
    } catch (const std::exception& e) {
        throw EBMPTEXError("BMP " + fileName + " load exception: " + e.what());
    }
}

TTextureImage loadTextureImage(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EPfdError("BMP " + fileName + " Load I/O error: not a regular file");
    int32_t width = 0, height = 0;
    try {
        readBmpHeader(fileName, width, height);
    } catch (const std::exception& bmpFailure) {
        // Not a readable BMP: try it as a JPEG, but report the BMP reader's complaint.
        std::string message = bmpFailure.what();
        try {
            return loadJpegImage(fileName);
        } catch (const std::exception&) {
            throw EPfdError(message);
        }
    }
    TTextureImage image;
    loadBmpPixels(fileName, image);
    return image;
}

std::string FileNamePart(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void setTextureUploader(TTextureUploader* uploader) {
    installedUploader = uploader;
}

TTextureUploader* textureUploader() {
    return installedUploader;
}

size_t setTextureMemoryLimit(size_t bytes) {
    return std::exchange(textureMemoryLimit, bytes);
}

void addTexture(const std::string& fileName, const std::string& texName) {
    TTextureObj entry;
    entry.FileName = absolutePath(fileName);
    entry.TexName = texName;
    const TImageSource source = imageSource(entry.FileName);
    for (const TTextureObj& t : textureTable)
        if (t.Image && source.Size >= 0 && t.Image->Source == source) {
            entry.TexId = t.TexId;
            entry.Image = t.Image;
            textureTable.push_back(std::move(entry));
            return;
        }

    TTextureImage image;
    try {
        image = loadTextureImage(entry.FileName);
    } catch (const std::exception& e) {
        raisePfdError(1200, e.what());
    }
    image.Source = source;
    if (textureMemory() + image.Pixels.size() > textureMemoryLimit)
        raisePfdError(1200, "Texture " + entry.FileName +
                                " not loaded: the textures need more than " +
                                std::to_string(textureMemoryLimit >> 20) + " MB of memory");
    entry.TexId = installedUploader ? installedUploader->upload(image) : nextPlaceholderId++;
    entry.Image = std::make_shared<const TTextureImage>(std::move(image));
    textureTable.push_back(std::move(entry));
}

void deleteTexture(const TTextureObj& texture) {
    for (size_t i = textureTable.size(); i-- > 0;) {
        if (textureTable[i].TexName != texture.TexName) continue;
        const int32_t texId = textureTable[i].TexId;
        textureTable.erase(textureTable.begin() + static_cast<std::ptrdiff_t>(i));
        const bool shared = std::any_of(textureTable.begin(), textureTable.end(),
                                        [&](const TTextureObj& t) { return t.TexId == texId; });
        if (installedUploader && texId >= 0 && !shared) installedUploader->release(texId);
        return;
    }
}

TTextureObj FindTexture(const std::string& name) {
    for (const TTextureObj& t : textureTable)
        if (t.TexName == name) return t;
    raisePfdError(1800, "Texture " + name + " not found");
}

void clearTextureTable() {
    std::vector<TTextureObj> old;
    old.swap(textureTable);
    if (!installedUploader) return;
    // Release every texture once, even when one release fails; report the first failure.
    std::exception_ptr firstFailure;
    std::unordered_set<int32_t> released;
    for (const TTextureObj& t : old) {
        if (t.TexId < 0 || !released.insert(t.TexId).second) continue;
        try {
            installedUploader->release(t.TexId);
        } catch (...) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    }
    if (firstFailure) std::rethrow_exception(firstFailure);
}

void saveTextureTable(TExtrStream& stream) {
    if (textureTable.size() > static_cast<size_t>(MaxTextures))
        throw std::runtime_error("The document has " + std::to_string(textureTable.size()) +
                                 " textures; a file holds at most " + std::to_string(MaxTextures));
    stream.writeInteger("", static_cast<int32_t>(textureTable.size()) - 1);
    for (const TTextureObj& t : textureTable) {
        stream.writeString("", t.FileName);
        stream.writeString("", t.TexName);
    }
}

std::vector<std::string> loadTextureTable(TExtrStream& stream, const std::string& directory,
                                          TMessageSink* messages) {
    const int32_t high = stream.readInteger("Textures/count");
    // Each entry holds at least its two 4-byte lengths.
    const int64_t limit = std::min<int64_t>(MaxTextures, stream.remaining() / 8);
    if (high < -1 || static_cast<int64_t>(high) + 1 > limit)
        throw EExtrStrError("12: ExtrStream: Error in readInteger texture count " +
                            std::to_string(static_cast<int64_t>(high) + 1) + " is outside 0.." +
                            std::to_string(limit));
    std::vector<std::pair<std::string, std::string>> entries; // stored path, name
    for (int32_t i = 0; i <= high; ++i) {
        std::string stored = stream.readCheckedString("Textures/path");
        entries.emplace_back(std::move(stored), stream.readCheckedString("Textures/name"));
    }
    // A table restored in place that already holds these entries keeps its images.
    if (directory.empty() &&
        std::equal(entries.begin(), entries.end(), textureTable.begin(), textureTable.end(),
                   [](const auto& e, const TTextureObj& t) {
                       return e.first == t.FileName && e.second == t.TexName;
                   }))
        return {};
    clearTextureTable();
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    std::vector<std::string> problems;
    std::unordered_set<std::string> reported; // a file named by many entries is listed once
    auto report = [&](const std::string& line) {
        if (reported.insert(line).second) problems.push_back(line);
    };
    for (const auto& [stored, name] : entries) {
        const std::string file = FileNamePart(stored);
        if (messages) messages->SetMessageString("Loading texture  " + file);
        // Beside the document first (it may have moved with its images), then where it was.
        const std::string beside = dir.empty() ? std::string() : dir + file;
        std::string found;
        for (const std::string& candidate : {beside, stored}) {
            struct stat st {};
            if (!candidate.empty() && ::stat(candidate.c_str(), &st) == 0) {
                found = candidate;
                break;
            }
        }
        TTextureObj kept;
        kept.TexName = name;
        if (found.empty()) {
            kept.FileName = stored;
            report((beside.empty() ? stored : beside) + ": not found");
        } else {
            try {
                addTexture(found, name);
                continue;
            } catch (const std::exception& e) {
                kept.FileName = absolutePath(found);
                report(kept.FileName + ": " + reasonAfter(e.what(), kept.FileName));
            }
        }
        textureTable.push_back(std::move(kept));
    }
    return problems;
}

std::string textureProblemsMessage(const std::vector<std::string>& problems) {
    if (problems.empty()) return {};
    constexpr size_t MaxListed = 20;
    std::string text = "These texture images were not found or could not be read; the faces that "
                       "use them show their colour:\n";
    for (size_t i = 0; i < problems.size() && i < MaxListed; ++i)
        text += "\n" + problems[i];
    if (problems.size() > MaxListed)
        text += "\n... and " + std::to_string(problems.size() - MaxListed) + " more";
    return text;
}
