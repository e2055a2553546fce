// The DXF drawings of the outline tests, written by an independent writer (ezdxf, through
// tests/model/dxf_fixtures.py) into a fresh folder for each test.
#pragma once

#include "TestFiles.h"

#include <cstdlib>
#include <string>

class DxfDrawingsTest : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        const std::string command = "/usr/bin/python3 '" PALVORIN_SOURCE_DIR
                                    "/tests/model/dxf_fixtures.py' '" + dir.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << "ezdxf did not write the drawings";
    }
    std::string drawing(const std::string& name) const { return file(name + ".dxf"); }
};
