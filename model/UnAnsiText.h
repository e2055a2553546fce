// Text at the file boundary: 8-bit Windows-1252 strings in files, UTF-8 everywhere in memory.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Text that Windows-1252 cannot hold, or that is not valid UTF-8.
class EAnsiTextError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Every byte has a character: the five bytes Windows-1252 leaves undefined become the control
// characters of the same number, so any stored string converts back to the same bytes.
std::string ansiToUtf8(std::string_view ansi);

// Throws EAnsiTextError naming the first character that has no Windows-1252 byte.
std::string utf8ToAnsi(std::string_view utf8);

// As utf8ToAnsi, with "?" for every character (or broken sequence) that has no byte.
std::string utf8ToAnsiLossy(std::string_view utf8);

// Text as valid UTF-8, for files that must hold it: valid sequences stay as they are, every other
// byte (of a file name that is not UTF-8) is taken as Windows-1252.
std::string validUtf8(std::string_view text);
