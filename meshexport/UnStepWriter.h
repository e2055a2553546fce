// The text of a STEP file (ISO 10303-21, AP214) of planar polyhedra: a product per object, its
// solid or shell of planar faces bounded by straight edges, its name and its faces' colours.
#pragma once

#include "meshexport/UnStepFaces.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// One object as the file holds it: corners and planes in the file's frame, in millimetres.
struct TStepObject {
    std::string Name;  // 8-bit text, Latin-1
    bool Solid = true; // a closed shell bounding a solid; else an open shell
    std::vector<std::array<double, 3>> Points;
    std::vector<TPlanarFace> Faces;            // loops by the numbers of Points
    std::vector<std::array<float, 3>> Colours; // per colour run, sRGB in 0..1
    double Uncertainty = 1e-7;                 // how far a corner may lie off its faces' planes
};

// The number in the shortest text that reads back as the same double, always with a point
// ("1.", "0.5", "1.5E-07"), never depending on the locale.
std::string stepReal(double value);
// A string literal's contents: quotes doubled, backslashes doubled, bytes outside printable ASCII
// as \X\hh.
std::string stepString(const std::string& text);

class TStepWriter {
  public:
    // Begins the file named fileName (its name is written without the folder) in text. When out
    // is given, the text goes on into it every so often, and text is left empty at the end.
    TStepWriter(std::string& text, const std::string& fileName, std::FILE* out = nullptr);
    // Appends the object's entities: its faces, its product, its colour styles. Every so many
    // faces, written is told how many of the object's are written; when it answers false, the
    // object is left unfinished and false returned.
    bool addObject(const TStepObject& object,
                   const std::function<bool(size_t faces)>& written = nullptr);
    // Ends the file; false when out could not take all of it.
    bool finish();
    // The system's error number of the first write out did not take (0: none).
    int error() const { return error_; }

  private:
    uint32_t emit(const std::string& entity);
    uint32_t point(const std::array<double, 3>& p);
    uint32_t direction(const std::array<double, 3>& d);
    uint32_t vector(const std::array<double, 3>& d);
    uint32_t styleOf(const std::array<float, 3>& colour);

    void flush();

    std::string& text_;
    std::FILE* out_;
    bool written_ = true; // everything handed to out_ went in
    int error_ = 0;
    uint32_t next_ = 1;
    uint32_t productContext_ = 0, definitionContext_ = 0, millimetre_ = 0, radian_ = 0,
             steradian_ = 0, origin_ = 0;
    struct BitsHash {
        size_t operator()(const std::array<uint64_t, 3>& b) const {
            return size_t((b[0] * 0x9E3779B97F4A7C15ull) ^ (b[1] * 0xC2B2AE3D27D4EB4Full) ^ b[2]);
        }
    };
    using BitsMap = std::unordered_map<std::array<uint64_t, 3>, uint32_t, BitsHash>;
    // Directions and vectors are shared within an object, colour styles within the file: each
    // by the bits of its numbers.
    BitsMap directions_, vectors_, styles_;
    std::string line_; // reused for each entity
};
