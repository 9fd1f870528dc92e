// Playing a scene on the shell's own thread: each step runs from a timer
// tick, so the plug-in's windows and timers keep working between steps.
#pragma once

#include "testbed/hostkit/hostkit.h"
#include "testbed/shell/scene_script.h"

#include <windows.h>
#include <string>
#include <vector>

constexpr UINT_PTR kSceneTimerId = 0x5CE;

struct SceneRun {
    std::vector<SceneStep> steps;
    size_t next = 0;
    std::string shotDir;
    HWND timerWindow = nullptr;  // receives the scene's WM_TIMER
    HostKit* kit = nullptr;      // the taskbar's host
    bool done = false;
    std::string failure;  // the first step that could not be done
};

// The part of the screen a shot keeps: the control, the title tip beside
// the taskbar (above or below a horizontal one, beside a vertical one
// where it ends at the control's bottom) and a stretch of taskbar, the
// same size in every shot, moved onto the screen where it would leave it.
RECT ShotRect(const RECT& control, int screenWidth, int screenHeight, TaskbarEdge edge = TaskbarEdge::Bottom);
constexpr int kShotWidth = 360;
constexpr int kShotHeightAboveControl = 40;

// The list a shell hands a window for files dropped on it at point (client
// coordinates); whoever receives WM_DROPFILES releases it.
HGLOBAL MakeDropList(const std::vector<std::string>& files, POINT point);
// The same with UTF-16 names, for names the ANSI code page cannot hold.
HGLOBAL MakeWideDropList(const std::vector<std::wstring>& files, POINT point);

// Starts the scene; its steps run on kSceneTimerId ticks of timerWindow.
void StartScene(SceneRun* run);
// The timer tick: runs steps up to the next wait. True once all are done.
bool AdvanceScene(SceneRun* run);
