// A STEP file read back with OpenCASCADE's own reader, summed up per top-level shape, for tests
// that must not include the library's headers themselves.
#pragma once

#include <array>
#include <string>
#include <vector>

struct StepShape {
    std::string Name;
    bool Solid = false;          // a solid (else a shell or something else)
    bool Valid = false;          // by the library's checker
    double Volume = 0;           // of a solid
    std::array<double, 6> Box{}; // min x y z, max x y z of its vertices
    size_t Faces = 0;
    size_t ColouredFaces = 0;                  // faces with a colour of their own or their shape's
    std::vector<std::array<float, 3>> Colours; // the distinct colours of its faces (sRGB)
};

// The shapes of the file in order; an empty list when it cannot be read.
std::vector<StepShape> readStepShapes(const std::string& path);
