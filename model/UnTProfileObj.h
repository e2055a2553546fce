// Element lists: profile and path vertices in world units with the attributes the mesh builders
// need.
#pragma once

#include "model/unVectorCalc.h"

#include <string>
#include <vector>

class TProfileElementObj {
  public:
    bool GroupStart = false;
    ColorF Color{0, 0, 0, 0};
    std::string Texture;
    float TexU = 0;
    float TexV = 0;
    int32_t RepeatU = 1;
    int32_t RepeatV = 1;
    bool FlipU = false;
    bool FlipV = false;
    Vec3 Point{};
    float Angle = 0;

    // Copies every field except Point into dest.
    void AssignAttributes(TProfileElementObj& dest) const;
};

class TprofElemList {
  public:
    int Add(const TProfileElementObj& element);
    TProfileElementObj& Items(int position) { return Elements.at(position); }
    const TProfileElementObj& Items(int position) const { return Elements.at(position); }
    int Count() const { return static_cast<int>(Elements.size()); }

  private:
    std::vector<TProfileElementObj> Elements;
};

class TProfileObj {
  public:
    TprofElemList Elements;

    int Add(const TProfileElementObj& element) { return Elements.Add(element); }
    int Count() const { return Elements.Count(); }
    TProfileElementObj& Items(int position) { return Elements.Items(position); }
    const TProfileElementObj& Items(int position) const { return Elements.Items(position); }

    void SetColor(int position, const ColorF& color);
    void SetTexture(int position, const std::string& texture);
    void SetGroupStart(int position, bool value);
    void SetTexParams(int position, int32_t repeatU, int32_t repeatV, bool flipU, bool flipV);

    // mode 1 = U, 2 = V; perGroup restarts the coordinate at every group start.
    void ComputeTexCoords(int mode, bool perGroup);
    void PlanarTexCoords(bool flip);
    void ComputeAngles();
    void XRange(float& max, float& min) const;
    float MaxAbsX() const;
};
