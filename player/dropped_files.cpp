// Files dropped on the control: the player is started if need be, then
// each file is passed to it on its command line, one start per file, with
// a short wait for the player's window after each so that the player takes
// them in order. The host's thread is blocked meanwhile; dropBusy keeps the
// control's own input and the command thread quiet in any modal loop a
// failure box runs.
#include "player/launch.h"

#include "host/host_abi.h"
#include "player/drop_commands.h"
#include "player/player_link.h"
#include "player/player_start.h"
#include "plugin/state/plugin_state.h"

#include <climits>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kDropSettleMs = 500;
constexpr DWORD kDropStepMs = 250;
constexpr UINT kFileCountQuery = 0xFFFFFFFF;
// Each name is read into its own slot of this many bytes, terminator included.
constexpr UINT kNameSlot = 260;

// A block from the host's allocator, returned to it on every way out.
class HostBlock {
public:
    explicit HostBlock(int size) : data_(static_cast<char*>(Mmalloc(size))) {}
    ~HostBlock() {
        if (data_ != nullptr) Mfree(data_);
    }
    HostBlock(const HostBlock&) = delete;
    HostBlock& operator=(const HostBlock&) = delete;
    char* data() const { return data_; }

private:
    char* data_;
};

bool ShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

// Names that do not fit a slot are left out: cut short, they would name
// some other file.
std::vector<std::string_view> ReadDroppedNames(HDROP drop, UINT count, char* slots) {
    std::vector<std::string_view> names;
    names.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        if (DragQueryFileA(drop, i, nullptr, 0) >= kNameSlot) continue;
        char* slot = slots + static_cast<size_t>(i) * kNameSlot;
        const UINT length = DragQueryFileA(drop, i, slot, kNameSlot);
        if (length > 0) names.emplace_back(slot, length);
    }
    return names;
}

void PassToPlayer(const char* parameters) {
    char path[kPlayerPathSize];
    CopyPlayerPath(path, sizeof path);
    const INT_PTR result = StartPlayerProgram(path, parameters);
    WaitForPlayerWindow(kDropStepMs, result);
    if (!FindPlayer()) ShowLaunchFailure();
}

void EnqueueDroppedFiles(HDROP drop) {
    const UINT count = DragQueryFileA(drop, kFileCountQuery, nullptr, 0);
    if (count == 0 || count > (INT_MAX - 2) / kNameSlot) return;
    HostBlock slots(static_cast<int>(count * kNameSlot + 2));
    if (slots.data() == nullptr) return;
    const bool shiftHeld = ShiftHeld();
    const std::vector<std::string_view> names = ReadDroppedNames(drop, count, slots.data());
    for (const std::string& parameters : DropCommandLines(names, pluginState.playerStatus, shiftHeld)) {
        PassToPlayer(parameters.c_str());
    }
}

}  // namespace

void AcceptDroppedFiles(HDROP drop) {
    pluginState.dropBusy = true;
    StartLaunch();
    // Gives a launch that must start the player a head start. Nothing on
    // this thread can start the watchdog during the sleep, so waiting for it
    // beyond one sleep would wait for ever when SetTimer failed.
    Sleep(kDropSettleMs);
    try {
        EnqueueDroppedFiles(drop);
    } catch (...) {
        // Out of memory for the names: the drop is lost, the control is not.
    }
    DragFinish(drop);
    pluginState.dropBusy = false;
}
