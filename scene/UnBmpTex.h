// The texture table and the image loaders (BMP by our own reader, JPEG through libjpeg).
#pragma once

#include "model/UnMessageSink.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TExtrStream;

// RGB pixel buffer, width * height triplets, bottom row first.
struct TTextureImage {
    std::vector<uint8_t> Pixels;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TTextureObj {
    std::string FileName;
    std::string TexName;
    int32_t TexId = -1; // -1: no texture
    std::shared_ptr<const TTextureImage> Image; // pixels kept for the GL upload and previews
};

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
TTextureUploader* textureUploader();

void addTexture(const std::string& fileName, const std::string& texName);
void deleteTexture(const TTextureObj& texture);
TTextureObj FindTexture(const std::string& name);
// Empties the table, releasing the GL textures of its entries when an uploader is installed.
void clearTextureTable();

void saveTextureTable(TExtrStream& stream);
void loadTextureTable(TExtrStream& stream, const std::string& directory, TMessageSink* messages);

TTextureImage loadTextureImage(const std::string& fileName);
// Reads and checks the headers; width is rounded up to 4 pixels for 4- and 8-bit images.
void readBmpHeader(const std::string& fileName, int32_t& width, int32_t& height);
void loadBmpPixels(const std::string& fileName, TTextureImage& image);
// Decodes a JPEG file straight into the bottom-up RGB buffer; throws on any failure.
TTextureImage loadJpegImage(const std::string& fileName);

// The part of a stored path after its last "\", "/" or ":".
std::string FileNamePart(const std::string& path);
