// Building the dropped files' command lines.
#include "player/drop_commands.h"

namespace {

std::string CommandLine(std::string_view name, bool append) {
    std::string line;
    line.reserve(kAppendPrefix.size() + name.size() + 2);
    if (append) line += kAppendPrefix;
    line += '"';
    line += name;
    line += '"';
    return line;
}

}  // namespace

std::vector<std::string> DropCommandLines(const std::vector<std::string_view>& names, int playerStatus,
                                          bool shiftHeld) {
    std::vector<std::string> lines;
    lines.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const bool append = i > 0 || FirstFileAppends(playerStatus, shiftHeld);
        lines.push_back(CommandLine(names[i], append));
    }
    return lines;
}
