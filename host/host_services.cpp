// The shared host helpers.
#include "host/host_services.h"

void StopTimer(HWND window, UINT_PTR* field) {
    if (*field == 0) return;
    KillTimer(window, *field);
    *field = 0;
}

int ShowPluginMessage(const HostContext& context, HWND owner, const char* caption, const char* text,
                      UINT flags, bool notifyHost) {
    if (notifyHost) SendMessageA(context.hostWindow, HM_MODAL_BEGIN, 0, 0);
    const int answer = MessageBoxA(owner, text, caption, flags | MB_TOPMOST);
    if (notifyHost) SendMessageA(context.hostWindow, HM_MODAL_END, 0, 0);
    return answer;
}

void WriteSetting(const HostContext& context, const char* section, const char* key, const char* value) {
    ConfigCursor cursor = {};
    OpenCFGw(context.configId, &cursor);
    FindSection(section, 1, &cursor);
    SetCFGString(key, value, &cursor);
    CloseCFGw(context.configId, CFG_CLOSE_KEEP, &cursor);
}

int RoundHalfAway(long double x) {
    return x >= 0 ? static_cast<int>(x + 0.5L) : static_cast<int>(x - 0.5L);
}

namespace {

// A picture the host could not use as a skin (kind 8) holds an icon, which
// DeleteObject refuses; left alone it would leak at every failed start.
void DeletePictureObject(HGDIOBJ object) {
    if (!DeleteObject(object)) DestroyIcon(static_cast<HICON>(object));
}

}  // namespace

void FreePictureRecord(PictureRecord* picture) {
    if (picture->ownership == PICTURE_PLUGIN_OWNED) {
        if (picture->bitmap) DeletePictureObject(picture->bitmap);
        if (picture->kind == PICTURE_TWO_OBJECTS && picture->second) DeleteObject(picture->second);
    }
    FreePicture(picture);
    picture->kind = 0;
}
