// Reading the shell's command line.
#include "testbed/shell/shell_options.h"

#include <array>
#include <charconv>

const char* const kShellUsage =
    "mirel_shell [--store=FILE] [--plugin=FILE] [--row-height=N] [--scale=N]\n"
    "            [--edge=bottom|top|left|right]\n"
    "            [--scene=FILE --shots=DIR [--exit-when-done]] [--exit-after=MS] [--setup]";

namespace {

struct NamedEdge {
    std::string_view name;
    TaskbarEdge edge;
};
constexpr std::array<NamedEdge, 4> kEdgeNames = {{{"bottom", TaskbarEdge::Bottom},
                                                  {"top", TaskbarEdge::Top},
                                                  {"left", TaskbarEdge::Left},
                                                  {"right", TaskbarEdge::Right}}};

bool ParseNumber(std::string_view text, int low, int high, int* out) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return false;
    *out = value;
    return true;
}

// Applies one "--name=value" or "--flag"; returns an error text or "".
std::string ApplyOption(std::string_view argument, ShellOptions& options) {
    const size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const bool hasValue = equals != std::string_view::npos;
    const std::string_view value = hasValue ? argument.substr(equals + 1) : std::string_view();

    struct TextOption {
        std::string_view name;
        std::string ShellOptions::*field;
    };
    const TextOption texts[] = {{"--store", &ShellOptions::storePath},
                                {"--plugin", &ShellOptions::pluginPath},
                                {"--scene", &ShellOptions::scenePath},
                                {"--shots", &ShellOptions::shotDir}};
    for (const TextOption& option : texts) {
        if (name != option.name) continue;
        if (value.empty()) return std::string(name) + " needs a value";
        options.*option.field = std::string(value);
        return "";
    }

    struct NumberOption {
        std::string_view name;
        int ShellOptions::*field;
        int low;
        int high;
    };
    const NumberOption numbers[] = {{"--row-height", &ShellOptions::rowHeight, 8, 200},
                                    {"--scale", &ShellOptions::scaleFactor, 1, 8},
                                    {"--exit-after", &ShellOptions::exitAfterMs, 1, 24 * 3600 * 1000}};
    for (const NumberOption& option : numbers) {
        if (name != option.name) continue;
        if (!ParseNumber(value, option.low, option.high, &(options.*option.field)))
            return std::string(name) + " needs a number from " + std::to_string(option.low) + " to " +
                   std::to_string(option.high);
        return "";
    }

    if (name == "--edge") {
        const std::optional<TaskbarEdge> edge = TaskbarEdgeByName(value);
        if (!edge) return "--edge needs bottom, top, left or right";
        options.edge = *edge;
        return "";
    }
    if (!hasValue && name == "--exit-when-done") {
        options.exitWhenSceneDone = true;
        return "";
    }
    if (!hasValue && name == "--setup") {
        options.openSetupAtStart = true;
        return "";
    }
    return "unknown option " + std::string(argument);
}

}  // namespace

ParsedShellOptions ParseShellOptions(const std::vector<std::string>& arguments) {
    ParsedShellOptions parsed;
    for (const std::string& argument : arguments) {
        parsed.error = ApplyOption(argument, parsed.options);
        if (!parsed.error.empty()) return parsed;
    }
    if (parsed.options.exitWhenSceneDone && parsed.options.scenePath.empty())
        parsed.error = "--exit-when-done needs --scene";
    else if (!parsed.options.scenePath.empty() && parsed.options.shotDir.empty())
        parsed.error = "--scene needs --shots";
    return parsed;
}

std::optional<TaskbarEdge> TaskbarEdgeByName(std::string_view name) {
    for (const NamedEdge& named : kEdgeNames)
        if (named.name == name) return named.edge;
    return std::nullopt;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}
