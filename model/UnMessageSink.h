// One-line progress messages from long operations (loading a document and its textures).
#pragma once

#include <string>

class TMessageSink {
  public:
    virtual ~TMessageSink() = default;
    virtual void SetMessageString(const std::string& text) = 0;
};
