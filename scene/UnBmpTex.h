// The texture table and the image loaders (BMP by our own reader, JPEG through libjpeg).
#pragma once

#include "model/UnMessageSink.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TExtrStream;

// The file an image was decoded from, as the file system knows it (device, inode, size, time of
// the last change): entries naming the same file share one decoded image.
struct TImageSource {
    uint64_t Device = 0, Inode = 0;
    int64_t Size = -1, Modified = 0;
    bool operator==(const TImageSource&) const = default;
};

// RGB pixel buffer, width * height triplets, bottom row first.
struct TTextureImage {
    std::vector<uint8_t> Pixels;
    int32_t Width = 0;
    int32_t Height = 0;
    TImageSource Source;
};

// FileName is an absolute path, except for an entry whose image was not found: it keeps the path
// the document stored. Such an entry and one whose image could not be read have TexId -1 and no
// Image; their faces show their colour, and saving keeps the entry.
struct TTextureObj {
    std::string FileName;
    std::string TexName;
    int32_t TexId = -1; // -1: no texture; entries of one image file share their id
    std::shared_ptr<const TTextureImage> Image; // pixels kept for the GL upload and previews
};

// The most entries a stored texture table holds (saving and loading), and the most memory the
// decoded images of the table may take together (unless set otherwise).
constexpr int32_t MaxTextures = 10000;
constexpr size_t MaxTextureMemory = size_t(256) << 20;

class EBMPTEXError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Puts textures on the graphics card; installed by the 3D view, absent in command-line tools.
class TTextureUploader {
  public:
    virtual ~TTextureUploader() = default;
    // Returns the texture object name; throws EOGLError on failure.
    virtual int32_t upload(const TTextureImage& image) = 0;
    virtual void release(int32_t texId) = 0;
};

extern std::vector<TTextureObj> textureTable;

void setTextureUploader(TTextureUploader* uploader);
// Sets the bound on the decoded images' memory in bytes (its message names it in whole
// megabytes); returns the previous bound.
size_t setTextureMemoryLimit(size_t bytes);
TTextureUploader* textureUploader();

// Adds the image file under texName. A file already in the table is not decoded again: the new
// entry shares its image and texture id. Fails with EPfdError 1200 when the image cannot be read
// or would take the table past its memory bound (MaxTextureMemory unless set otherwise).
void addTexture(const std::string& fileName, const std::string& texName);
void deleteTexture(const TTextureObj& texture);
TTextureObj FindTexture(const std::string& name);
// Empties the table, releasing the GL textures of its entries when an uploader is installed.
void clearTextureTable();

void saveTextureTable(TExtrStream& stream);
// Each stored image is looked for in directory, then at the stored path. An image that is not
// found or cannot be read does not stop the load: its entry is kept without a picture and one line
// (file and reason) is returned for it. An empty directory restores a table in place: only the
// stored paths count, and a table that already holds exactly the stored entries is kept as it is.
std::vector<std::string> loadTextureTable(TExtrStream& stream, const std::string& directory,
                                          TMessageSink* messages);
// The one message telling the user which images were not loaded; empty when none failed.
std::string textureProblemsMessage(const std::vector<std::string>& problems);

// Only regular files are read (a pipe or a device named as an image would never end).
TTextureImage loadTextureImage(const std::string& fileName);
// Reads and checks the headers; width is rounded up to 4 pixels for 4- and 8-bit images.
void readBmpHeader(const std::string& fileName, int32_t& width, int32_t& height);
void loadBmpPixels(const std::string& fileName, TTextureImage& image);
// Decodes a JPEG file straight into the bottom-up RGB buffer; throws on any failure.
TTextureImage loadJpegImage(const std::string& fileName);

// The part of a stored path after its last "\", "/" or ":".
std::string FileNamePart(const std::string& path);
