// Conversions between the model's 8-bit strings and Qt text.
#pragma once

#include <QString>

#include <string>

// Qt text of an 8-bit string of the model (names, messages): Latin-1.
QString latin1Text(const std::string& text);
// A message that may carry system text or file names: UTF-8 when it is valid UTF-8, else Latin-1.
QString messageText(const char* text);
// File name bytes for the core's file functions, and back.
std::string fileNameBytes(const QString& fileName);
QString fileNameText(const std::string& fileName);
