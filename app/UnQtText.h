// Conversions between the model's strings (UTF-8; the files' Windows-1252 is converted by the core)
// and Qt text.
#pragma once

#include <QString>

#include <string>

// Qt text of a string of the model (names, messages), and back.
QString modelText(const std::string& text);
std::string modelString(const QString& text);
// A message that may carry system text or file names: UTF-8 when it is valid UTF-8, else
// Windows-1252.
QString messageText(const char* text);
// File name bytes for the core's file functions, and back.
std::string fileNameBytes(const QString& fileName);
QString fileNameText(const std::string& fileName);
