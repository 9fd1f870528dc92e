// LoadImageEx and FreePicture: pictures from files, and their release.
// Relative names are the shell's own files (skins under Plugins\), so they
// are found beside the host's executable, whatever the current folder is.
#include "host/host_abi.h"
#include "testbed/starter/call_log.h"
#include "testbed/starter/gdi_helpers.h"
#include "testbed/starter/memory_services.h"
#include "testbed/starter/no_throw.h"
#include "testbed/starter/picture_names.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kLongestPath = 32768;

std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    while (true) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 2);
    }
}

void LoadBitmapPicture(PictureRecord* picture, const std::string& path) {
    HANDLE bitmap = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    SIZE size = {};
    if (bitmap == nullptr || !BitmapSizeOf(bitmap, &size)) return;
    picture->kind = PICTURE_BITMAP;
    picture->bitmap = bitmap;
    picture->width = size.cx;
    picture->height = size.cy;
}

void LoadIconPicture(PictureRecord* picture, const std::string& path) {
    HANDLE icon = LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    if (icon == nullptr) return;
    picture->kind = PICTURE_UNUSABLE;
    picture->bitmap = icon;
}

void DeleteHeldObject(HGDIOBJ object, int32_t kind) {
    if (object == nullptr) return;
    if (kind == PICTURE_UNUSABLE) {
        DestroyIcon(static_cast<HICON>(object));
    } else {
        DeleteObject(object);
    }
}

}  // namespace

BOOL __stdcall LoadImageEx(PictureRecord* p) {
    return NoThrow(FALSE, [&] {
        // The name lives in a fixed buffer from "malloc": never read past it.
        const bool named = p != nullptr && p->fileName != nullptr;
        const std::string name = named ? std::string(p->fileName, strnlen(p->fileName, kHostNameBufferSize - 1)) : "";
        CallLine("LoadImageEx").Text(named ? name.c_str() : nullptr).Record();
        if (p == nullptr) return FALSE;
        p->kind = 0;
        p->bitmap = nullptr;
        p->second = nullptr;
        p->width = 0;
        p->height = 0;
        if (!named) return FALSE;
        const std::string executable = ExecutablePath();
        const std::string path = ResolveInFolder(FolderOf(executable), name);
        switch (PictureFileTypeOf(name)) {
            case PictureFileType::Bitmap:
                LoadBitmapPicture(p, path);
                break;
            case PictureFileType::Icon:
                LoadIconPicture(p, path);
                break;
            case PictureFileType::Unknown:
                break;
        }
        return p->bitmap != nullptr ? TRUE : FALSE;
    });
}

void __stdcall FreePicture(PictureRecord* p) {
    NoThrow([&] {
        CallLine line("FreePicture");
        if (p != nullptr) line.Number(p->kind);
        line.Record();
        if (p == nullptr) return;
        if (p->ownership == PICTURE_HOST_OWNED) {
            DeleteHeldObject(p->bitmap, p->kind);
            if (p->kind == PICTURE_TWO_OBJECTS) DeleteHeldObject(p->second, p->kind);
        }
        FreeNameBuffer(p->fileName);
        p->fileName = nullptr;
        p->bitmap = nullptr;
        p->second = nullptr;
    });
}
