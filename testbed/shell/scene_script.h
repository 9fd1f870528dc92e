// The demo's scene: a short script of what a person would do with the
// taskbar control, one step a line, played by the shell once the plug-in
// runs.
//
//   wait 1500                    pause the script
//   shot playing The bar moves   screenshot named playing.bmp, with a caption
//   move play | move away        put the pointer on a cell, or off the control
//   hover play                   nudge the pointer inside a cell, as a resting
//                                hand does: a tip waits for a move over its tool
//   click next                   move there, press and release the left button
//   rightclick display           the same with the right button: the menu opens
//   menuitem Playlist            put the pointer on the open menu's item
//                                whose text begins so: its submenu opens
//   closemenu                    close the open menu
//   press stop / release         press and hold, then let go where the pointer is
//   player state paused          a control command for the stand-in player
//   drop "C:\a.mp3" "C:\b.mp3"   drop files on the control
//   taskbar top                  move the taskbar strip to an edge (bottom,
//                                top, left, right), the control with it
//   # a comment
#pragma once

#include "testbed/hostkit/hostkit.h"

#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

enum class SceneAction { Wait, Shot, Move, Hover, Click, RightClick, Press, Release, CloseMenu, MenuItem, Player, Drop, Taskbar };

// The cells of the control by name; kCellAway is off the control.
constexpr int kCellAway = -1;
constexpr int kCellBar = 12;
int CellByName(std::string_view name);  // -2 when unknown

struct SceneStep {
    SceneAction action = SceneAction::Wait;
    int number = 0;                  // Wait: ms; Move/Hover/Click/RightClick/Press: cell
    std::string name;                // Shot: file name without extension
    std::string text;                // Shot: caption; Player: the command; MenuItem: the item's text
    std::vector<std::string> files;  // Drop
    TaskbarEdge edge = TaskbarEdge::Bottom;  // Taskbar
    int line = 0;
};

struct ParsedScene {
    std::vector<SceneStep> steps;
    std::string error;  // "line N: ..." for the first line not understood
};

ParsedScene ParseScene(std::string_view text);

// The point a step aims at on a control of this screen rectangle: the
// middle of a button cell (five columns, two rows under a thin bar), the
// bar's middle, or for kCellAway a point well off the control towards the
// middle of the screen from a taskbar on that edge.
POINT CellPoint(const RECT& control, int cell, TaskbarEdge edge = TaskbarEdge::Bottom);
