// Classifying and resolving picture file names; see picture_names.h.
#include "testbed/starter/picture_names.h"

#include <cctype>

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    text = text.substr(text.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != suffix[i]) return false;
    }
    return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(std::string_view name) {
    if (!name.empty() && IsSeparator(name.front())) return true;
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

}  // namespace

PictureFileType PictureFileTypeOf(std::string_view name) {
    if (EndsWithNoCase(name, ".bmp")) return PictureFileType::Bitmap;
    if (EndsWithNoCase(name, ".ico")) return PictureFileType::Icon;
    return PictureFileType::Unknown;
}

std::string ResolveInFolder(std::string_view folder, std::string_view name) {
    if (IsAbsolute(name)) return std::string(name);
    std::string path(folder);
    if (!path.empty() && !IsSeparator(path.back())) path += '\\';
    path += name;
    return path;
}

std::string_view FolderOf(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string_view::npos) return {};
    return path.substr(0, separator);
}
