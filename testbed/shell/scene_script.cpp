// Reading a scene script.
#include "testbed/shell/scene_script.h"

#include "testbed/shell/shell_options.h"

#include <array>
#include <charconv>

namespace {

struct NamedCell {
    std::string_view name;
    int cell;
};
constexpr std::array<NamedCell, 12> kCellNames = {{{"on", 0},
                                                   {"play", 1},
                                                   {"pause", 2},
                                                   {"stop", 3},
                                                   {"volup", 4},
                                                   {"display", 5},
                                                   {"open", 6},
                                                   {"prev", 7},
                                                   {"next", 8},
                                                   {"voldown", 9},
                                                   {"bar", kCellBar},
                                                   {"away", kCellAway}}};

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Splits "verb rest" at the first blank.
std::pair<std::string_view, std::string_view> SplitVerb(std::string_view line) {
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) return {line, {}};
    return {line.substr(0, blank), Trim(line.substr(blank + 1))};
}

// Fills step from one line; returns an error text or "".
std::string ParseStep(std::string_view verb, std::string_view rest, SceneStep& step) {
    if (verb == "wait") {
        step.action = SceneAction::Wait;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), step.number);
        if (error != std::errc() || end != rest.data() + rest.size() || step.number < 0 || step.number > 600000)
            return "wait needs milliseconds from 0 to 600000";
        return "";
    }
    if (verb == "shot") {
        step.action = SceneAction::Shot;
        const auto [name, caption] = SplitVerb(rest);
        if (name.empty() || name.find_first_of("\\/:*?\"<>|.") != std::string_view::npos)
            return "shot needs a plain file name";
        step.name = std::string(name);
        step.text = std::string(caption);
        return "";
    }
    if (verb == "move" || verb == "hover" || verb == "click" || verb == "rightclick" || verb == "press") {
        step.action = verb == "move"         ? SceneAction::Move
                      : verb == "hover"      ? SceneAction::Hover
                      : verb == "click"      ? SceneAction::Click
                      : verb == "rightclick" ? SceneAction::RightClick
                                             : SceneAction::Press;
        step.number = CellByName(rest);
        if (step.number == -2) return "unknown cell '" + std::string(rest) + "'";
        if (step.number == kCellAway && step.action != SceneAction::Move) return "only move can go away";
        return "";
    }
    if (verb == "release" || verb == "closemenu") {
        step.action = verb == "release" ? SceneAction::Release : SceneAction::CloseMenu;
        return rest.empty() ? "" : std::string(verb) + " takes nothing";
    }
    if (verb == "menuitem") {
        step.action = SceneAction::MenuItem;
        step.text = std::string(rest);
        return rest.empty() ? "menuitem needs the item's text" : "";
    }
    if (verb == "player") {
        step.action = SceneAction::Player;
        step.text = std::string(rest);
        return rest.empty() ? "player needs a command" : "";
    }
    if (verb == "drop") {
        step.action = SceneAction::Drop;
        step.files = SplitCommandLine(rest);
        return step.files.empty() ? "drop needs at least one file" : "";
    }
    if (verb == "taskbar") {
        step.action = SceneAction::Taskbar;
        const std::optional<TaskbarEdge> edge = TaskbarEdgeByName(rest);
        if (!edge) return "taskbar needs bottom, top, left or right";
        step.edge = *edge;
        return "";
    }
    return "unknown step '" + std::string(verb) + "'";
}

}  // namespace

int CellByName(std::string_view name) {
    for (const NamedCell& named : kCellNames)
        if (named.name == name) return named.cell;
    return -2;
}

ParsedScene ParseScene(std::string_view text) {
    ParsedScene scene;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line[0] == '#') continue;
        const auto [verb, rest] = SplitVerb(line);
        SceneStep step;
        step.line = lineNumber;
        const std::string error = ParseStep(verb, rest, step);
        if (!error.empty()) {
            scene.error = "line " + std::to_string(lineNumber) + ": " + error;
            scene.steps.clear();
            return scene;
        }
        scene.steps.push_back(step);
    }
    return scene;
}

POINT CellPoint(const RECT& control, int cell, TaskbarEdge edge) {
    const int width = control.right - control.left;
    const int height = control.bottom - control.top;
    const POINT middle = {control.left + width / 2, control.top + height / 2};
    if (cell == kCellAway) {
        switch (edge) {
        case TaskbarEdge::Top: return {middle.x, control.bottom + 3 * height};
        case TaskbarEdge::Left: return {control.right + 3 * height, middle.y};
        case TaskbarEdge::Right: return {control.left - 3 * height, middle.y};
        case TaskbarEdge::Bottom: break;
        }
        return {middle.x, control.top - 3 * height};
    }
    if (cell == kCellBar) return {control.left + width / 2, control.top + 1};
    const int column = cell % 5;
    const int row = cell / 5;
    // Quarter points of the height: below a bar of a few pixels, the two
    // rows' middles lie near a quarter and three quarters down.
    return {control.left + width * (2 * column + 1) / 10, control.top + height * (2 * row + 1) / 4 + 1};
}
