// The language the loaded plug-in picks from the system locale. ctest runs
// this once under the default locale and once under LC_ALL=ru_RU.UTF-8,
// where Wine reports locale 1049 and code page 1251.
#include "plugin/descriptor.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <string>

TEST(LoadedPluginLanguage, FollowsTheSystemLocale) {
    HMODULE plugin = LoadLibraryA(PluginDllPath().c_str());
    ASSERT_TRUE(plugin);
    auto getInfo = ProcAddress<PluginInfo*(__stdcall*)()>(plugin, "GetPluginInfo");
    ASSERT_TRUE(getInfo);
    const std::string about = getInfo()->about;

    const char* expected = getenv("PELORIN_EXPECT_LANGUAGE");
    ASSERT_TRUE(expected) << "ctest names the language this run expects";
    if (std::string(expected) == "russian") {
        ASSERT_EQ(GetSystemDefaultLCID(), 1049u);
        EXPECT_NE(about.find("\xCE\xCF\xC8\xD1\xC0\xCD\xC8\xC5:"), std::string::npos);  // "ОПИСАНИЕ:"
        EXPECT_EQ(about.find("DESCRIPTION:"), std::string::npos);
    } else {
        ASSERT_NE(GetSystemDefaultLCID(), 1049u);
        EXPECT_NE(about.find("DESCRIPTION:"), std::string::npos);
    }
    FreeLibrary(plugin);
}
