// Building the dropped files' command lines.
#include "player/drop_commands.h"

std::string DropCommandLine(std::string_view name, bool append) {
    std::string line;
    line.reserve(kAppendPrefix.size() + name.size() + 2);
    if (append) line += kAppendPrefix;
    line += '"';
    line += name;
    line += '"';
    return line;
}
