// Scratch files for the stand-in host's tests: a temporary folder removed
// afterwards, whole-file reads and writes, small .bmp and .ico files, and
// the call log split into lines.
#pragma once

#include "testbed/common/files.h"

#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string PathOf(std::string_view name) const;

private:
    std::string path_;
};

void WriteFileBytes(const std::string& path, std::string_view bytes);
// The file's bytes, or "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);

// A 24-bit bottom-up .bmp whose pixel (x, y) is pixels[y * width + x].
std::string BmpFileBytes(int width, int height, const std::vector<COLORREF>& pixels);
// A one-image 32-bit .ico of size x size pixels in one colour.
std::string IcoFileBytes(int size, COLORREF colour);


std::vector<std::string> CallLogLines();
