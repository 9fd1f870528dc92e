// The stand-in shell's command line: where its store and plug-in are, the
// taskbar's metrics, and what the demo and tests ask of it (a scripted
// scene, screenshots, leaving after a while).
#pragma once

#include "testbed/hostkit/hostkit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ShellOptions {
    std::string storePath;   // empty: mirel.ini beside the shell
    std::string pluginPath;  // empty: Plugins\Pelorin.plg beside the shell
    int rowHeight = 23;
    int scaleFactor = 1;
    TaskbarEdge edge = TaskbarEdge::Bottom;
    std::string scenePath;   // a scene to play once the plug-in runs
    std::string shotDir;     // where the scene's screenshots go
    int exitAfterMs = 0;     // 0: run until closed
    bool exitWhenSceneDone = false;
    bool openSetupAtStart = false;
};

struct ParsedShellOptions {
    ShellOptions options;
    std::string error;  // empty when every argument was understood
};

// Arguments as "--name=value" or "--flag", without the program name.
ParsedShellOptions ParseShellOptions(const std::vector<std::string>& arguments);

// "bottom", "top", "left" or "right"; nothing for any other word.
std::optional<TaskbarEdge> TaskbarEdgeByName(std::string_view name);

// Splits a Windows command line (after the program name) at blanks,
// honouring double quotes.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

extern const char* const kShellUsage;
