// The scene tests' fixture: a scratch folder and an empty texture table without uploader.
#pragma once

#include "TestFiles.h"
#include "scene/UnBmpTex.h"

class SceneTest : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        textureTable.clear();
        setTextureUploader(nullptr);
    }
    void TearDown() override {
        setTextureUploader(nullptr);
        textureTable.clear();
        ScratchTest::TearDown();
    }
};
