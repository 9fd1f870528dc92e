// The binary contract with the host shell: record layouts, the two host
// libraries' functions and the host window messages. Everything here is
// fixed by the host; the static_asserts keep the layouts honest.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

// Pointers, handles and ints are all 4 bytes on the only target we serve.
static_assert(sizeof(void*) == 4, "the host contract is 32-bit only");

struct HostContext {
    int32_t reserved0;
    const uint8_t* modulePaths;  // record; char* to the plug-in's path at 160
    const uint8_t* metrics;      // record; scaleFactor at 424, rowHeight at 648
    int32_t reserved12[3];
    int32_t configId;
    HWND hostWindow;
    int32_t reserved32;
    HWND taskbarWindow;
    HWND tooltipWindow;
    int32_t reserved44[6];
    int32_t skinContext;
    int32_t reserved72;
    int32_t* tipRelayFlag;       // 0 in *tipRelayFlag means relay to NotifyTip
    int32_t reserved80[8];
};
static_assert(sizeof(HostContext) == 112, "HostContext is 112 bytes");
static_assert(offsetof(HostContext, modulePaths) == 4, "");
static_assert(offsetof(HostContext, metrics) == 8, "");
static_assert(offsetof(HostContext, configId) == 24, "");
static_assert(offsetof(HostContext, hostWindow) == 28, "");
static_assert(offsetof(HostContext, taskbarWindow) == 36, "");
static_assert(offsetof(HostContext, tooltipWindow) == 40, "");
static_assert(offsetof(HostContext, skinContext) == 68, "");
static_assert(offsetof(HostContext, tipRelayFlag) == 76, "");

// Offsets inside the records that HostContext points at.
constexpr size_t kModulePathOffset = 160;
constexpr size_t kScaleFactorOffset = 424;
constexpr size_t kRowHeightOffset = 648;
constexpr size_t kModulePathsMinSize = 164;
constexpr size_t kMetricsMinSize = 652;

// Picture kinds the host produces.
constexpr int32_t PICTURE_BITMAP = 5;
constexpr int32_t PICTURE_UNUSABLE = 8;
constexpr int32_t PICTURE_TWO_OBJECTS = -9;
// Values of PictureRecord::ownership.
constexpr int32_t PICTURE_PLUGIN_OWNED = 0;
constexpr int32_t PICTURE_HOST_OWNED = -1;

struct PictureRecord {
    int32_t kind;
    HGDIOBJ bitmap;
    HGDIOBJ second;
    int32_t width;
    int32_t height;
    int32_t reserved20[2];
    char* fileName;        // 261-byte buffer from starter.dll's "malloc"
    int32_t reserved32[2];
    int32_t loadFlag;      // set to 1 before loading
    int32_t ownership;     // PICTURE_PLUGIN_OWNED or PICTURE_HOST_OWNED
    int32_t reserved48;
};
static_assert(sizeof(PictureRecord) == 52, "PictureRecord is 52 bytes");
static_assert(offsetof(PictureRecord, kind) == 0, "");
static_assert(offsetof(PictureRecord, bitmap) == 4, "");
static_assert(offsetof(PictureRecord, second) == 8, "");
static_assert(offsetof(PictureRecord, width) == 12, "");
static_assert(offsetof(PictureRecord, height) == 16, "");
static_assert(offsetof(PictureRecord, fileName) == 28, "");
static_assert(offsetof(PictureRecord, loadFlag) == 40, "");
static_assert(offsetof(PictureRecord, ownership) == 44, "");

// Opaque to the plug-in; the host keeps its pass state in it.
struct ConfigCursor {
    uint8_t opaque[36];
};
static_assert(sizeof(ConfigCursor) == 36, "ConfigCursor is 36 bytes");

struct FontRecord {
    uint8_t opaque[48];
    HFONT font;
};
static_assert(sizeof(FontRecord) == 52, "FontRecord is 52 bytes");
static_assert(offsetof(FontRecord, font) == 48, "");

// Host main window messages.
constexpr UINT HM_ADD_TASKBAR_ITEM = 32743;
constexpr UINT HM_MODAL_BEGIN = 32738;
constexpr UINT HM_MODAL_END = 32737;
constexpr UINT HM_OPEN_SETUP = 32729;
constexpr char HM_OPEN_SETUP_PREFIX = '/';

// Values of CloseCFGw's mode and FindSection's mode.
constexpr int CFG_CLOSE_KEEP = 0;
constexpr int CFG_CLOSE_FLUSH = -1;

// The stand-in host defines HOST_API empty to implement these itself.
#ifndef HOST_API
#define HOST_API __declspec(dllimport)
#endif

extern "C" {
// starter.dll
HOST_API BOOL __stdcall OpenCFGr(int configId, ConfigCursor* c);
HOST_API void __stdcall CloseCFGr(ConfigCursor* c);
HOST_API BOOL __stdcall OpenCFGw(int configId, ConfigCursor* c);
HOST_API void __stdcall CloseCFGw(int configId, int mode, ConfigCursor* c);
HOST_API BOOL __stdcall FindSection(const char* name, int mode, ConfigCursor* c);
HOST_API int __stdcall GetCFGInt(const char* key, int def, ConfigCursor* c);
HOST_API int __stdcall GetCFGBool(const char* key, int def, ConfigCursor* c);
HOST_API void __stdcall GetCFGString(const char* key, const char* def, char* buf, int max,
                                                  ConfigCursor* c);
HOST_API void __stdcall SetCFGInt(const char* key, int value, ConfigCursor* c);
HOST_API void __stdcall SetCFGString(const char* key, const char* value, ConfigCursor* c);
HOST_API void __stdcall CheckInt(int* value, int low, int high, int fallback);
HOST_API BOOL __stdcall LoadImageEx(PictureRecord* p);
HOST_API void __stdcall StretchSkin(int skinContext, PictureRecord* target, PictureRecord* source,
                                                 int width, int height);
HOST_API void __stdcall DrawPicture(HDC dc, HDC dc2, int x, int y, PictureRecord* p);
HOST_API void __stdcall DrawSkin(HDC dc, HDC dc2, RECT* r1, RECT* r2, RECT* r3, PictureRecord* p,
                                              int a, int b);
HOST_API void __stdcall FreePicture(PictureRecord* p);
HOST_API HFONT __stdcall GetFontHandle(FontRecord* f, HFONT fallback);
HOST_API void __stdcall FreeFont(FontRecord* f);
HOST_API void __stdcall NotifyTip(HWND tooltip, HWND window, UINT msg, WPARAM wp, LPARAM lp);
HOST_API BOOL __stdcall FileExists(const char* path);
HOST_API void* __stdcall Mmalloc(int size);
HOST_API void __stdcall Mfree(void* block);

// MirelEx.dll; rgb is 0x00RRGGBB.
HOST_API void __stdcall MDrawText(HDC dc, const char* text, RECT* r, HFONT font, int format,
                                               COLORREF rgb, int a, int b);
}

// starter.dll also exports a cdecl "malloc"; it is looked up at run time,
// never imported, so it cannot clash with the C runtime's malloc.
using HostMallocFn = void*(__cdecl*)(size_t size);
constexpr const char* kHostLibrary = "starter.dll";
constexpr const char* kHostMallocName = "malloc";
constexpr int kHostNameBufferSize = 261;

// Sent with HM_ADD_TASKBAR_ITEM; the host then places and sizes `window`.
struct TaskbarItem {
    HWND window;
    HWND parent;
    RECT rect;
    int32_t position;   // 0 left (top) end, 1 right (bottom) end
    int32_t reserved1;  // always -1
    int32_t reserved2;  // always -1
    int32_t priority;   // higher is nearer the end
};
static_assert(sizeof(TaskbarItem) == 40, "TaskbarItem is 40 bytes");
static_assert(offsetof(TaskbarItem, rect) == 8, "");
static_assert(offsetof(TaskbarItem, position) == 24, "");
static_assert(offsetof(TaskbarItem, priority) == 36, "");
