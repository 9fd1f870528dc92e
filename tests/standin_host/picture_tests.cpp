// Pictures through starter.dll: loading by file name, stretched copies,
// drawing, and who deletes what when a picture is released.
#include "host/host_abi.h"
#include "testbed/starter/standin_api.h"
#include "tests/support/iat_patch.h"
#include "tests/standin_host/test_canvas.h"
#include "tests/standin_host/test_files.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

HostMallocFn HostMalloc() {
    const FARPROC found = GetProcAddress(GetModuleHandleA(kHostLibrary), kHostMallocName);
    return reinterpret_cast<HostMallocFn>(reinterpret_cast<void*>(found));
}

// A record as the plug-in prepares it for LoadImageEx.
PictureRecord NamedRecord(const std::string& name) {
    PictureRecord record = {};
    record.loadFlag = 1;
    record.fileName = static_cast<char*>(HostMalloc()(kHostNameBufferSize));
    std::strncpy(record.fileName, name.c_str(), kHostNameBufferSize - 1);
    return record;
}

// Releases what a test loaded: the plug-in owns loaded pictures.
void ReleaseLoaded(PictureRecord* record) {
    if (record->bitmap != nullptr) {
        if (record->kind == PICTURE_UNUSABLE) {
            DestroyIcon(static_cast<HICON>(record->bitmap));
        } else {
            DeleteObject(record->bitmap);
        }
    }
    FreePicture(record);
}

std::vector<COLORREF> Solid(int width, int height, COLORREF colour) {
    return std::vector<COLORREF>(static_cast<size_t>(width * height), colour);
}

SIZE BitmapSize(HGDIOBJ bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, std::abs(info.bmHeight)};
}

// A file in a subfolder of the test program's folder, as skins live in
// Plugins\ beside the shell.
class FileBesideExecutable {
public:
    FileBesideExecutable(const std::string& folder, const std::string& name, const std::string& bytes)
        : folder_(ExeFolder() + "\\" + folder), path_(folder_ + "\\" + name) {
        CreateDirectoryA(folder_.c_str(), nullptr);
        WriteFileBytes(path_, bytes);
    }
    ~FileBesideExecutable() {
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

private:
    std::string folder_;
    std::string path_;
};

class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(previous_); }

private:
    char previous_[MAX_PATH + 1] = {};
};

// What starter.dll last asked LoadImageA to open.
std::string lastLoadedName;
using LoadImageAFn = HANDLE(WINAPI*)(HINSTANCE, LPCSTR, UINT, int, int, UINT);
LoadImageAFn realLoadImageA = nullptr;

HANDLE WINAPI RecordingLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    lastLoadedName = name;
    return realLoadImageA(instance, name, type, width, height, flags);
}

// A picture loaded from a .bmp written to folder.
PictureRecord LoadedPicture(const TempFolder& folder, int width, int height, const std::vector<COLORREF>& pixels) {
    const std::string path = folder.PathOf("picture-" + std::to_string(width) + "x" + std::to_string(height) + ".bmp");
    WriteFileBytes(path, BmpFileBytes(width, height, pixels));
    PictureRecord record = NamedRecord(path);
    LoadImageEx(&record);
    return record;
}

}  // namespace

TEST(PictureLoading, RelativeNamesAreFoundBesideTheExecutableNotTheCurrentFolder) {
    TempFolder folder;
    const std::string subfolder = "standin-skins-" + std::to_string(GetCurrentProcessId());
    const std::string name = subfolder + "\\skin.bmp";
    const FileBesideExecutable real(subfolder, "skin.bmp", BmpFileBytes(7, 5, Solid(7, 5, kRed)));
    CreateDirectoryA(folder.PathOf(subfolder).c_str(), nullptr);
    WriteFileBytes(folder.PathOf(name), BmpFileBytes(3, 3, Solid(3, 3, kBlue)));
    const CurrentFolder decoy(folder.path());

    // Wine's LoadImageA looks beside the executable by itself, so what the
    // host passes it is checked too: a full path into that folder.
    const ScopedImportPatch patch(GetModuleHandleA(kHostLibrary), "user32.dll", "LoadImageA",
                            reinterpret_cast<void*>(RecordingLoadImageA));
    ASSERT_NE(patch.original(), nullptr);
    realLoadImageA = reinterpret_cast<LoadImageAFn>(patch.original());

    StandInClearCallLog();
    PictureRecord record = NamedRecord(name);
    EXPECT_TRUE(LoadImageEx(&record));
    EXPECT_EQ(lastLoadedName, ExeFolder() + "\\" + name);
    EXPECT_EQ(record.kind, PICTURE_BITMAP);
    ASSERT_NE(record.bitmap, nullptr);
    EXPECT_EQ(GetObjectType(record.bitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(record.width, 7);
    EXPECT_EQ(record.height, 5);
    DIBSECTION section = {};
    EXPECT_EQ(GetObjectA(record.bitmap, sizeof section, &section), static_cast<int>(sizeof section))
        << "loaded as a DIB section";
    EXPECT_EQ(PixelOf(record.bitmap, 3, 2), kRed);
    const std::vector<std::string> log = CallLogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "LoadImageEx|" + name), log.end());
    ReleaseLoaded(&record);
}

TEST(PictureLoading, KindFollowsTheFileType) {
    TempFolder folder;
    WriteFileBytes(folder.PathOf("tip.ico"), IcoFileBytes(16, kBlue));
    WriteFileBytes(folder.PathOf("SKIN.BMP"), BmpFileBytes(2, 2, Solid(2, 2, kRed)));
    WriteFileBytes(folder.PathOf("skin.png"), BmpFileBytes(2, 2, Solid(2, 2, kRed)));
    WriteFileBytes(folder.PathOf("broken.bmp"), "BM not a bitmap");

    PictureRecord icon = NamedRecord(folder.PathOf("tip.ico"));
    EXPECT_TRUE(LoadImageEx(&icon));
    EXPECT_EQ(icon.kind, PICTURE_UNUSABLE);
    EXPECT_NE(icon.bitmap, nullptr);
    ReleaseLoaded(&icon);

    PictureRecord upper = NamedRecord(folder.PathOf("SKIN.BMP"));
    EXPECT_TRUE(LoadImageEx(&upper));
    EXPECT_EQ(upper.kind, PICTURE_BITMAP);
    ReleaseLoaded(&upper);

    for (const char* name : {"skin.png", "broken.bmp", "missing.bmp", "missing.ico"}) {
        PictureRecord record = NamedRecord(folder.PathOf(name));
        record.kind = 99;
        record.width = 99;
        EXPECT_FALSE(LoadImageEx(&record)) << name;
        EXPECT_EQ(record.bitmap, nullptr) << name;
        EXPECT_EQ(record.kind, 0) << name;
        EXPECT_EQ(record.width, 0) << name;
        FreePicture(&record);
    }
    PictureRecord unnamed = {};
    EXPECT_FALSE(LoadImageEx(&unnamed));
    EXPECT_FALSE(LoadImageEx(nullptr));
}

TEST(StretchSkin, MakesAHostOwnedCopyOfTheAskedSize) {
    TempFolder folder;
    // Left half red, right half blue.
    PictureRecord source = LoadedPicture(folder, 4, 2, {kRed, kRed, kBlue, kBlue, kRed, kRed, kBlue, kBlue});
    ASSERT_NE(source.bitmap, nullptr);
    PictureRecord stretched = source;  // the plug-in hands over a copy
    StretchSkin(77, &stretched, &source, 40, 20);

    ASSERT_NE(stretched.bitmap, nullptr);
    EXPECT_NE(stretched.bitmap, source.bitmap);
    EXPECT_EQ(stretched.kind, PICTURE_BITMAP);
    EXPECT_EQ(stretched.width, 40);
    EXPECT_EQ(stretched.height, 20);
    EXPECT_EQ(stretched.ownership, PICTURE_HOST_OWNED);
    EXPECT_EQ(stretched.fileName, nullptr) << "the copy must not release the source's name";
    const SIZE size = BitmapSize(stretched.bitmap);
    EXPECT_EQ(size.cx, 40);
    EXPECT_EQ(size.cy, 20);
    EXPECT_EQ(PixelOf(stretched.bitmap, 5, 10), kRed);
    EXPECT_EQ(PixelOf(stretched.bitmap, 34, 10), kBlue);

    HGDIOBJ made = stretched.bitmap;
    FreePicture(&stretched);
    EXPECT_EQ(GetObjectType(made), 0u) << "the host deletes its stretched copy";
    EXPECT_EQ(GetObjectType(source.bitmap), static_cast<DWORD>(OBJ_BITMAP)) << "and leaves the source alone";
    EXPECT_NE(source.fileName, nullptr);
    ReleaseLoaded(&source);
}

TEST(StretchSkin, NoSourcePictureGivesNoTargetPicture) {
    TempFolder folder;
    PictureRecord absent = {};
    PictureRecord stretched = absent;
    StretchSkin(0, &stretched, &absent, 40, 20);
    EXPECT_EQ(stretched.bitmap, nullptr);
    EXPECT_EQ(stretched.kind, 0);

    WriteFileBytes(folder.PathOf("tip.ico"), IcoFileBytes(16, kBlue));
    PictureRecord icon = NamedRecord(folder.PathOf("tip.ico"));
    ASSERT_TRUE(LoadImageEx(&icon));
    stretched = icon;
    StretchSkin(0, &stretched, &icon, 40, 20);
    EXPECT_EQ(stretched.bitmap, nullptr) << "an icon cannot serve as a skin";
    FreePicture(&stretched);
    ReleaseLoaded(&icon);

    PictureRecord source = LoadedPicture(folder, 2, 2, Solid(2, 2, kRed));
    stretched = source;
    StretchSkin(0, &stretched, &source, 0, 20);
    EXPECT_EQ(stretched.bitmap, nullptr);
    StretchSkin(0, nullptr, &source, 10, 10);
    StretchSkin(0, &stretched, nullptr, 10, 10);
    EXPECT_EQ(stretched.bitmap, nullptr);
    ReleaseLoaded(&source);
}

TEST(DrawPicture, CopiesThePictureAtItsStoredSizeWithItsCornerAtXY) {
    TempFolder folder;
    const std::vector<COLORREF> pixels = {kRed, RGB(0, 255, 0), kBlue, RGB(10, 20, 30), RGB(40, 50, 60),
                                          RGB(70, 80, 90)};
    PictureRecord picture = LoadedPicture(folder, 3, 2, pixels);
    ASSERT_NE(picture.bitmap, nullptr);
    {
        const Canvas canvas(20, 20, kWhite);
        DrawPicture(canvas.dc(), canvas.dc(), 5, 7, &picture);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.At(5 + x, 7 + y), pixels[y * 3 + x]) << x << "," << y;
        }
        EXPECT_EQ(canvas.Count(kWhite), 20 * 20 - 6) << "nothing outside the picture's place";
    }
    {
        const Canvas canvas(20, 20, kWhite);
        picture.width = 2;
        DrawPicture(canvas.dc(), nullptr, 0, 0, &picture);
        EXPECT_EQ(canvas.At(1, 0), pixels[1]);
        EXPECT_EQ(canvas.At(2, 0), kWhite) << "only the stored width is copied";
        picture.width = 3;
    }
    {
        const Canvas canvas(20, 20, kWhite);
        DrawPicture(canvas.dc(), canvas.dc(), -1, -1, &picture);
        EXPECT_EQ(canvas.At(0, 0), pixels[4]);
        PictureRecord absent = {};
        absent.width = 5;
        absent.height = 5;
        DrawPicture(canvas.dc(), canvas.dc(), 10, 10, &absent);
        DrawPicture(canvas.dc(), canvas.dc(), 10, 10, nullptr);
        EXPECT_EQ(canvas.Count(kWhite), 20 * 20 - 2);
    }
    ReleaseLoaded(&picture);
}

TEST(DrawSkin, PaintsThePictureStretchedOverTheFirstRectangle) {
    TempFolder folder;
    PictureRecord picture = LoadedPicture(folder, 2, 1, {kRed, kBlue});
    ASSERT_NE(picture.bitmap, nullptr);
    const Canvas canvas(20, 20, kWhite);
    SetStretchBltMode(canvas.dc(), COLORONCOLOR);
    RECT area = {2, 3, 12, 8};
    RECT unused = {0, 0, 1, 1};
    DrawSkin(canvas.dc(), canvas.dc(), &area, &unused, &unused, &picture, 0, 1);
    // A halftone stretch may blend neighbours; each end keeps its colour.
    const COLORREF left = canvas.At(2, 4);
    const COLORREF right = canvas.At(11, 7);
    EXPECT_GT(GetRValue(left), GetBValue(left));
    EXPECT_GT(GetBValue(right), GetRValue(right));
    EXPECT_EQ(canvas.Count(kWhite), 20 * 20 - 10 * 5) << "exactly the rectangle is painted";
    EXPECT_EQ(GetStretchBltMode(canvas.dc()), COLORONCOLOR) << "the caller's DC comes back as it was";

    RECT same = {0, 0, 2, 1};
    DrawSkin(canvas.dc(), nullptr, &same, nullptr, nullptr, &picture, 0, 1);
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(1, 0), kBlue);

    const Canvas blank(20, 20, kWhite);
    PictureRecord absent = {};
    DrawSkin(blank.dc(), blank.dc(), &area, &area, &area, &absent, 0, 1);
    DrawSkin(blank.dc(), blank.dc(), nullptr, nullptr, nullptr, &picture, 0, 1);
    EXPECT_EQ(blank.Count(kWhite), 20 * 20);
    ReleaseLoaded(&picture);
}

TEST(FreePicture, DeletesObjectsOnlyWhenTheHostOwnsThem) {
    HBITMAP first = CreateBitmap(1, 1, 1, 32, nullptr);
    HBITMAP second = CreateBitmap(1, 1, 1, 32, nullptr);
    PictureRecord hostOwned = {};
    hostOwned.kind = PICTURE_TWO_OBJECTS;
    hostOwned.bitmap = first;
    hostOwned.second = second;
    hostOwned.ownership = PICTURE_HOST_OWNED;
    FreePicture(&hostOwned);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(second), 0u);
    EXPECT_EQ(hostOwned.bitmap, nullptr);
    EXPECT_EQ(hostOwned.second, nullptr);

    first = CreateBitmap(1, 1, 1, 32, nullptr);
    second = CreateBitmap(1, 1, 1, 32, nullptr);
    PictureRecord plainKind = {};
    plainKind.kind = PICTURE_BITMAP;
    plainKind.bitmap = first;
    plainKind.second = second;
    plainKind.ownership = PICTURE_HOST_OWNED;
    FreePicture(&plainKind);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(GetObjectType(second), static_cast<DWORD>(OBJ_BITMAP)) << "only kind -9 holds a second object";
    DeleteObject(second);

    first = CreateBitmap(1, 1, 1, 32, nullptr);
    PictureRecord pluginOwned = {};
    pluginOwned.kind = PICTURE_BITMAP;
    pluginOwned.bitmap = first;
    pluginOwned.ownership = PICTURE_PLUGIN_OWNED;
    FreePicture(&pluginOwned);
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP)) << "the plug-in deletes its own";
    EXPECT_EQ(pluginOwned.bitmap, nullptr);
    DeleteObject(first);

    FreePicture(nullptr);
}

TEST(FreePicture, FreesNameBuffersFromTheExportedMalloc) {
    const HostMallocFn hostMalloc = HostMalloc();
    ASSERT_NE(hostMalloc, nullptr) << "starter.dll exports \"malloc\"";
    StandInClearCallLog();
    char* name = static_cast<char*>(hostMalloc(kHostNameBufferSize));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::count(name, name + kHostNameBufferSize, '\0'), kHostNameBufferSize);
    std::memset(name, 'n', kHostNameBufferSize);
    EXPECT_EQ(CallLogLines(), std::vector<std::string>{"malloc|261"});

    PictureRecord record = {};
    record.fileName = name;
    FreePicture(&record);
    EXPECT_EQ(record.fileName, nullptr);

    // A name shared by two records is freed once, not twice.
    char* shared = static_cast<char*>(hostMalloc(kHostNameBufferSize));
    PictureRecord a = {};
    PictureRecord b = {};
    a.fileName = shared;
    b.fileName = shared;
    FreePicture(&a);
    FreePicture(&b);
    EXPECT_EQ(b.fileName, nullptr);

    // A name that did not come from the host is not the host's to free.
    char local[16] = "on the stack";
    PictureRecord foreign = {};
    foreign.fileName = local;
    FreePicture(&foreign);
    EXPECT_EQ(foreign.fileName, nullptr);
    EXPECT_STREQ(local, "on the stack");
    EXPECT_EQ(_heapchk(), _HEAPOK);
}
