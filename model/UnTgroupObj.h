// Edge groups: the colour, texture and texture mapping that a set of profile edges share.
#pragma once

#include "model/unVectorCalc.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TGroupPropertyObj {
  public:
    int32_t Id = 0;
    TColor Color = 0;
    std::string Texture;
    int32_t RepeatU = 1;
    int32_t RepeatV = 1;
    bool FlipU = false;
    bool FlipV = false;
};

// Group entries are shared between objects copied from one another and an open profile editor.
using TGroupRef = std::shared_ptr<TGroupPropertyObj>;

class TGroupPropertyList {
  public:
    int Add(TGroupRef group) {
        Entries.push_back(std::move(group));
        return static_cast<int>(Entries.size()) - 1;
    }
    bool Delete(int position) {
        if (position < 0 || position >= Count())
            throw std::out_of_range("group position out of range");
        Entries.erase(Entries.begin() + position);
        return true;
    }
    TGroupPropertyObj& Items(int position) const { return *Entries.at(position); }
    const TGroupRef& Item(int position) const { return Entries.at(position); }
    int Count() const { return static_cast<int>(Entries.size()); }

  private:
    std::vector<TGroupRef> Entries;
};

// Group lists are shared the same way: they live while any object or editor refers to them.
using TGroupListRef = std::shared_ptr<TGroupPropertyList>;
