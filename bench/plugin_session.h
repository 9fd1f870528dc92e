// The built plug-in started in the stand-in host, as the shell starts it,
// with the stand-in player already playing and its path stored, so that
// the benchmarks of a press and of the idle cost see what a user's taskbar
// runs. The calling thread is the host's thread.
#pragma once

#include "testbed/hostkit/hostkit.h"
#include "testbed/player/player_sim_client.h"

#include <windows.h>
#include <string>

class PluginSession {
public:
    PluginSession() = default;
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // Starts the player, with a playlist of that many entries and the
    // 1-based one current, the host and the plug-in, then lets the first
    // poll find the player. False with the reason in failure().
    bool Start(int playlistLength = 1, int currentEntry = 1);
    const std::string& failure() const { return failure_; }
    // Ends the player, as a user who quits it.
    void StopPlayer();

    HMODULE plugin() const { return plugin_; }
    HWND control() const { return control_; }
    HWND titleTip() const { return titleTip_; }
    HWND player() const { return sim_.window; }
    const std::string& playerLog() const { return sim_.logPath; }

private:
    bool Fail(const std::string& why);

    std::string failure_;
    std::string scratchDir_;
    HostKit host_;
    bool hostMade_ = false;
    PlayerSimProcess sim_;
    HMODULE plugin_ = nullptr;
    bool running_ = false;
    HWND control_ = nullptr;
    HWND titleTip_ = nullptr;
};
