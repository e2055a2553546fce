// Texture upload to the current OpenGL context: the uploader the scene installs.
#pragma once

#include "scene/UnBmpTex.h"

// Builds mipmapped RGB textures and deletes them; needs the scene's context current.
class TGLTextureUploader : public TTextureUploader {
  public:
    int32_t upload(const TTextureImage& image) override;
    void release(int32_t texId) override;
};

// The one uploader of the program, installed by initScene and removed by shutdownScene.
TTextureUploader* glTextureUploader();
