// Writes the control as it looks in each state to PNG files, once with the
// test skins and once with the default skins shipped in Plugins\, so a
// person can look at what the pixel tests check.
//   render_control_states <folder>
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "testbed/common/files.h"
#include "tests/painting/paint_rig.h"
#include "tests/painting/png_writer.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace {

struct StateLook {
    const char* name;
    void (*apply)(PaintRig& rig);
};

void Hover(int item) {
    pluginState.hotItem = item;
    pluginState.hoverTimer = TIMER_HOVER;
}
void Press(int item) {
    pluginState.hotItem = item;
    pluginState.buttonDown = true;
}
void Run(int status, int percent) {
    pluginState.playerStatus = status;
    positionPercent = percent;
}

const StateLook kLooks[] = {
    {"idle", [](PaintRig&) {}},
    {"idle-hover-play", [](PaintRig&) { Hover(1); }},
    {"idle-press-onoff", [](PaintRig&) { Press(0); }},
    {"stopped", [](PaintRig&) { Run(PLAYER_STOPPED, -1); }},
    {"playing-50", [](PaintRig&) { Run(PLAYER_PLAYING, 50); }},
    {"playing-blink", [](PaintRig&) { Run(PLAYER_PLAYING, 75); pluginState.blinkPhase = true; }},
    {"paused-blink", [](PaintRig&) { Run(PLAYER_PAUSED, 25); pluginState.blinkPhase = true; }},
    {"playing-hover-bar", [](PaintRig&) { Run(PLAYER_PLAYING, 50); Hover(HOT_POSITION_BAR); }},
    {"playing-hover-play", [](PaintRig&) { Run(PLAYER_PLAYING, 50); Hover(1); }},
    {"playing-hover-next", [](PaintRig&) { Run(PLAYER_PLAYING, 50); Hover(8); }},
    {"playing-press-next", [](PaintRig&) { Run(PLAYER_PLAYING, 50); Press(8); }},
    {"no-pressed-skin", [](PaintRig& rig) { rig.Remove(SKIN_PRESSED); Run(PLAYER_PLAYING, 50); Press(8); }},
    {"no-border", [](PaintRig&) { Run(PLAYER_PLAYING, 50); pluginState.borderOnMouseOver = false; Hover(8); }},
};

int RenderAll(PaintRig& rig, const std::string& folder, const char* prefix) {
    int written = 0;
    for (const StateLook& look : kLooks) {
        ResetPaintState();
        for (int role = 0; role < SKIN_COUNT; ++role) rig.Restore(static_cast<SkinRole>(role));
        look.apply(rig);
        const Image image = rig.Paint();
        const std::string path = folder + "\\" + prefix + "-" + look.name + ".png";
        if (WritePng(path, image.width, image.height, image.pixels)) {
            ++written;
        } else {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
        }
    }
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_control_states <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    CreateDirectoryA(folder.c_str(), nullptr);
    UseGeometry(0, 3, false);  // the settings' defaults

    int written = 0;
    {
        PaintRig rig;
        written += RenderAll(rig, folder, "test");
    }
    std::array<std::string, SKIN_COUNT> files;
    for (int role = 0; role < SKIN_COUNT; ++role) {
        files[role] = ExeFolder() + "\\Plugins\\Pelorin" + std::to_string(role + 1) + ".bmp";
        if (GetFileAttributesA(files[role].c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::fprintf(stderr, "no %s: that skin stays absent\n", files[role].c_str());
            files[role].clear();
        }
    }
    {
        PaintRig rig(files);
        written += RenderAll(rig, folder, "skins");
    }
    std::printf("%d pictures written to %s\n", written, folder.c_str());
    return written == 2 * static_cast<int>(std::size(kLooks)) ? 0 : 1;
}
