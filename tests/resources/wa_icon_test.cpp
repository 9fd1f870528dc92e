// The "WA" icon group beside the song title: the tip asks for one of five
// exact sizes, so each must exist as its own image, and each image must be
// a valid, visible icon.
#include "tests/resources/dib_view.h"
#include "tests/resources/plugin_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved, type, count;
};
struct GroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupEntry) == 14, "icon group entries are packed");

const char* const kGroupIcon = MAKEINTRESOURCEA(14);  // RT_GROUP_ICON
const char* const kIconImage = MAKEINTRESOURCEA(3);   // RT_ICON
const int kTipSizes[] = {8, 10, 12, 14, 16};

std::vector<GroupEntry> GroupEntries() {
    ResourceBytes group = FindPluginResource("WA", kGroupIcon);
    GroupHeader header{};
    if (group.size < sizeof header) return {};
    std::memcpy(&header, group.data, sizeof header);
    if (group.size < sizeof header + header.count * sizeof(GroupEntry)) return {};
    std::vector<GroupEntry> entries(header.count);
    std::memcpy(entries.data(), group.data + sizeof header, entries.size() * sizeof(GroupEntry));
    return entries;
}

}  // namespace

TEST(WaIcon, GroupHoldsExactlyTheFiveTipSizes) {
    ASSERT_NE(PluginResources(), nullptr) << "Plugins\\Pelorin.plg not found";
    std::vector<int> sizes;
    for (const GroupEntry& e : GroupEntries()) {
        EXPECT_EQ(e.width, e.height);
        sizes.push_back(e.width);
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, std::vector<int>(std::begin(kTipSizes), std::end(kTipSizes)));
}

TEST(WaIcon, EveryImageIsAVisibleIconOfItsSize) {
    std::vector<GroupEntry> entries = GroupEntries();
    ASSERT_FALSE(entries.empty());
    for (const GroupEntry& e : entries) {
        SCOPED_TRACE("size " + std::to_string(e.width));
        ResourceBytes image = FindPluginResource(MAKEINTRESOURCEA(e.id), kIconImage);
        std::optional<DibView> dib = ParseIconImage(image.data, image.size);
        ASSERT_TRUE(dib.has_value());
        EXPECT_EQ(dib->width, e.width);
        EXPECT_EQ(dib->height, e.width);

        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data),
                                              static_cast<DWORD>(image.size), TRUE,
                                              0x00030000, e.width, e.width, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        DestroyIcon(icon);

        // A round glyph: opaque in the middle, transparent in the corners.
        ASSERT_EQ(dib->bitCount, 32);
        int n = e.width;
        auto alpha = [&](int x, int y) {
            return dib->bits[static_cast<size_t>(n - 1 - y) * dib->stride + x * 4 + 3];
        };
        EXPECT_EQ(alpha(n / 2, n / 2), 255);
        EXPECT_EQ(alpha(0, 0), 0);
        EXPECT_EQ(alpha(n - 1, n - 1), 0);
    }
}

TEST(WaIcon, TitleTipSizeRequestsFindTheirOwnImage) {
    ResourceBytes group = FindPluginResource("WA", kGroupIcon);
    ASSERT_NE(group.data, nullptr);
    for (int size : kTipSizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        int id = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data), TRUE, size, size,
                                             LR_DEFAULTCOLOR);
        ResourceBytes image = FindPluginResource(MAKEINTRESOURCEA(id), kIconImage);
        std::optional<DibView> dib = ParseIconImage(image.data, image.size);
        ASSERT_TRUE(dib.has_value());
        EXPECT_EQ(dib->width, size);

        HICON icon = static_cast<HICON>(
            LoadImageA(PluginResources(), "WA", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}
