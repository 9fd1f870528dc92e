// Loading the five skin pictures named by the settings, falling back to the
// built-in bitmaps, stretching every skin to the control's size, fixing the
// control's geometry, and fetching the title tip's font.
#include "skin/skin_set.h"

#include "host/host_services.h"
#include "plugin/state/plugin_state.h"
#include "skin/geometry.h"

#include <cstring>

std::array<SkinEntry, SKIN_COUNT> skinSet = {};
FontRecord tipFont = {};

namespace {

static_assert(SKIN_COUNT == kSkinFileCount, "one file name per skin role");
static_assert(kHostNameBufferSize == kSettingTextMax + 1, "a stored name fits the host's name buffer");

// Built-ins stand in for the normal, mouse-over and pressed skins only.
constexpr std::array<const char*, 3> kBuiltinSkins = {"PELORIN1", "PELORIN2", "PELORIN3"};
constexpr int kBuiltinCount = static_cast<int>(kBuiltinSkins.size());
constexpr int kBuiltinWidth = 55;
constexpr int kBuiltinHeight = 23;
// The built-in pictures are drawn for a 3-pixel bar and no side margin.
constexpr int kBuiltinSideOffset = 0;
constexpr int kBuiltinBarHeight = 3;

// The host owns name buffers: they come from its own allocator so that its
// FreePicture can release them.
char* HostNameBuffer(const char* name) {
    const HMODULE host = GetModuleHandleA(kHostLibrary);
    const FARPROC found = host ? GetProcAddress(host, kHostMallocName) : nullptr;
    if (!found) return nullptr;
    const auto hostMalloc = reinterpret_cast<HostMallocFn>(reinterpret_cast<void (*)()>(found));
    char* buffer = static_cast<char*>(hostMalloc(kHostNameBufferSize));
    if (!buffer) return nullptr;
    const size_t length = strnlen(name, kHostNameBufferSize - 1);
    memcpy(buffer, name, length);
    buffer[length] = '\0';
    return buffer;
}

void LoadSkinFile(PictureRecord* record, const SettingText& name) {
    *record = PictureRecord{};
    record->loadFlag = 1;
    record->fileName = HostNameBuffer(name.data());
    if (record->fileName) LoadImageEx(record);
}

void UseBuiltinSkins() {
    PictureRecord& normal = skinSet[SKIN_NORMAL].source;
    // The failed record still holds the host's name buffer; give it back
    // before the record is cleared, or it would be lost.
    if (normal.fileName) FreePictureRecord(&normal);
    for (int role = 0; role < kBuiltinCount; ++role) LoadBuiltinSkin(&skinSet[role].source, kBuiltinSkins[role]);
    for (int role = kBuiltinCount; role < SKIN_COUNT; ++role) skinSet[role].source = PictureRecord{};
    pluginState.sideOffset = kBuiltinSideOffset;
    pluginState.barHeight = kBuiltinBarHeight;
}

// The copies share the source's handle until StretchSkin replaces it; they
// never own a name, and the host owns what it stretches.
void MakeStretchedCopies() {
    for (SkinEntry& entry : skinSet) {
        entry.stretched = entry.source;
        entry.stretched.fileName = nullptr;
        entry.stretched.ownership = PICTURE_HOST_OWNED;
    }
}

int32_t HostMetric(size_t offset) {
    int32_t value = 0;
    if (hostContext.metrics) memcpy(&value, hostContext.metrics + offset, sizeof value);
    return value;
}

}  // namespace

void LoadBuiltinSkin(PictureRecord* record, const char* resourceName) {
    *record = PictureRecord{};
    record->kind = PICTURE_BITMAP;
    record->loadFlag = 1;
    record->bitmap = LoadImageA(pluginInstance, resourceName, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    record->width = kBuiltinWidth;
    record->height = kBuiltinHeight;
}

bool LoadSkinSet(const SkinFileNames& skinFiles) {
    LoadSkinFile(&skinSet[SKIN_NORMAL].source, skinFiles[SKIN_NORMAL]);
    if (skinSet[SKIN_NORMAL].source.bitmap) {
        for (int role = SKIN_MOUSE_OVER; role < SKIN_COUNT; ++role) {
            LoadSkinFile(&skinSet[role].source, skinFiles[role]);
        }
    } else {
        UseBuiltinSkins();
    }
    MakeStretchedCopies();

    const PictureRecord& normal = skinSet[SKIN_NORMAL].source;
    const Geometry geometry = ComputeGeometry(GeometryInput{
        normal.width, HostMetric(kRowHeightOffset), HostMetric(kScaleFactorOffset), pluginState.sideOffset,
        pluginState.barHeight, pluginState.barOffsetBottomRow});
    controlWidth = geometry.controlWidth;
    controlHeight = geometry.controlHeight;
    cellWidth = geometry.cellWidth;
    cellHeight = geometry.cellHeight;
    pluginState.barHeight = geometry.barHeight;
    const bool usable = CellsAreUsable(geometry) && normal.kind != PICTURE_UNUSABLE;

    for (SkinEntry& entry : skinSet) {
        StretchSkin(hostContext.skinContext, &entry.stretched, &entry.source, controlWidth, controlHeight);
    }
    GetFontHandle(&tipFont, static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT)));
    return usable;
}
