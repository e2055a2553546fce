// The DXF drawings of the outline tests, written by an independent writer (ezdxf, through
// tests/model/dxf_fixtures.py) into a fresh folder for each test.
#pragma once

#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// Writes every drawing as dir/NAME.dxf; false when ezdxf could not.
inline bool writeDxfDrawings(const std::filesystem::path& dir) {
    const std::string command = "/usr/bin/python3 '" PALVORIN_SOURCE_DIR
                                "/tests/model/dxf_fixtures.py' '" +
                                dir.string() + "'";
    return std::system(command.c_str()) == 0;
}

class DxfDrawingsTest : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        ASSERT_TRUE(writeDxfDrawings(dir)) << "ezdxf did not write the drawings";
    }
    std::string drawing(const std::string& name) const { return file(name + ".dxf"); }
};
