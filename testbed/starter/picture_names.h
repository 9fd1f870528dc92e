// What a picture's file name means: which loader it needs, and where the
// file is when the name is relative.
#pragma once

#include <string>
#include <string_view>

enum class PictureFileType { Unknown, Bitmap, Icon };

// By extension, in any letter case.
PictureFileType PictureFileTypeOf(std::string_view name);

// A relative name is taken from folder; a name with a drive or starting
// with a slash is returned as it is.
std::string ResolveInFolder(std::string_view folder, std::string_view name);

// The folder part of a full file path, without the last separator.
std::string_view FolderOf(std::string_view path);
