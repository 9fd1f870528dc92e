// Small file helpers the stand-in programs and the tests share.
#pragma once

#include <string>

// The folder of the running executable, without a trailing separator.
std::string ExeFolder();

// The whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces the file's contents.
void WriteWholeFile(const std::string& path, const std::string& text);
