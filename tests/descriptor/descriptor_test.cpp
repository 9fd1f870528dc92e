// What GetPluginInfo hands the host: the record, the 23 setup rows with
// their keys, kinds, defaults and bounds, the labels and choices in English
// and Russian (picked by the locale id), and the About text's fixed lines.
// Russian expectations are written here in UTF-8 and converted to code page
// 1251, so they check the plug-in's escaped bytes independently.
#include "plugin/about_text.h"
#include "plugin/exports.h"
#include "plugin/setup_fields.h"
#include "plugin/state/language.h"
#include "plugin/state/plugin_state.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Cp1251(const char* utf8) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLength);
    const int length = WideCharToMultiByte(1251, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(1251, 0, wide.c_str(), -1, &out[0], length, nullptr, nullptr);
    out.resize(length - 1);
    return out;
}

struct ExpectedRow {
    const char* english;  // key and label; the heading's label
    bool heading;
    int32_t kind;
    int32_t defaultValue;
    int32_t low;
    int32_t high;  // ignored for the choice row
    const char* russian;  // UTF-8
};

const ExpectedRow kExpected[kSetupFieldCount] = {
    {"General", true, 26, 0, 0, 0, "Общие"},
    {"Position", false, 16, 0, 1, 0, "Положение"},
    {"Priority Position", false, 11, 5, 0, 10, "Приоритет положения"},
    {"Buttons tips", false, 1, 0, 0, 0, "Подсказки у кнопок"},
    {"Song Title tip", false, 1, 1, 0, 0, "Название трека в подсказке"},
    {"Player", true, 26, 0, 0, 0, "Плеер"},
    {"Winamp Path", false, 264, 0, 0, 0, "Путь к Winamp"},
    {"Run at Startup", false, 257, 0, 0, 0, "Запускать при загрузке"},
    {"Run Minimized", false, 257, 1, 0, 0, "Запускать свёрнутым"},
    {"Hide on Minimize", false, 257, 0, 0, 0, "Скрыть при сворачивании"},
    {"Volume Steps", false, 267, 5, 1, 10, "Шагов громкости"},
    {"Skin", true, 26, 0, 0, 0, "Тема"},
    {"Normal Skin", false, 14, 0, 0, 0, "Обычная картинка"},
    {"Mouse Over Skin", false, 14, 0, 0, 0, "Картинка при наведении"},
    {"Pressed Skin", false, 14, 0, 0, 0, "Картинка при нажатии"},
    {"Pressed Buttons Skin", false, 14, 0, 0, 0, "Картинка нажатых кнопок"},
    {"Mouse Over Pressed Skin", false, 14, 0, 0, 0, "Картинка при наведении на нажатые"},
    {"Position Bar Height", false, 11, 3, 1, 10, "Высота полосы позиции"},
    {"Left and Right OffSet", false, 11, 0, 0, 10, "Отступ слева и справа"},
    {"Bar OffSet of Bottom Row", false, 1, 0, 0, 0, "Отступ полосы для нижнего ряда"},
    {"Borders", true, 26, 0, 0, 0, "Границы"},
    {"Border On Mouse Over", false, 1, 1, 0, 0, "Граница кнопки при наведении"},
    {"Show Pressed Buttons", false, 1, 1, 0, 0, "Показывать нажатые кнопки"},
};
constexpr int kPositionRow = 1;

PluginInfo* InfoFor(LCID lcid) {
    ChooseLanguage(lcid);
    return GetPluginInfo();
}

const char* const* ChoiceList(const SetupField& row) {
    return reinterpret_cast<const char* const*>(static_cast<intptr_t>(row.high));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

// The index of the line equal to text, or -1.
int LineIndex(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == text) return static_cast<int>(i);
    }
    return -1;
}

const std::string kRule(65, '-');

class Descriptor : public ::testing::Test {
protected:
    void TearDown() override { ChooseLanguage(1033); }
};

}  // namespace

TEST_F(Descriptor, RecordDescribesThePlugin) {
    const PluginInfo* info = InfoFor(1033);
    EXPECT_EQ(info->size, 24);
    EXPECT_STREQ(info->name, "Pelorin");
    EXPECT_STREQ(info->name2, "Pelorin");
    EXPECT_EQ(info->about, kAboutEnglish);
    EXPECT_EQ(info->fieldCount, 23);
    EXPECT_EQ(info->fields, setupFields.data());
}

TEST_F(Descriptor, EnglishRowsMatchTheSettingsTheyEdit) {
    const PluginInfo* info = InfoFor(1033);
    for (int i = 0; i < kSetupFieldCount; ++i) {
        SCOPED_TRACE(kExpected[i].english);
        const SetupField& row = info->fields[i];
        const ExpectedRow& want = kExpected[i];
        if (want.heading) {
            EXPECT_EQ(row.key, nullptr);
        } else {
            ASSERT_NE(row.key, nullptr);
            EXPECT_STREQ(row.key, want.english);
        }
        EXPECT_STREQ(row.label, want.english);
        EXPECT_EQ(row.kind, want.kind);
        EXPECT_EQ(row.defaultValue, want.defaultValue);
        EXPECT_EQ(row.low, want.low);
        if (i != kPositionRow) {
            EXPECT_EQ(row.high, want.high);
        }
    }
}

TEST_F(Descriptor, PositionRowOffersItsTwoChoices) {
    for (LCID lcid : {1033u, 1049u}) {
        SCOPED_TRACE(lcid);
        const SetupField& row = InfoFor(lcid)->fields[kPositionRow];
        EXPECT_EQ(row.low, 1);
        ASSERT_EQ(ChoiceList(row), positionChoices.data());
        const bool russian = lcid == 1049;
        EXPECT_EQ(ChoiceList(row)[0], russian ? Cp1251("Слева (Сверху)") : "Left (Top)");
        EXPECT_EQ(ChoiceList(row)[1], russian ? Cp1251("Справа (Снизу)") : "Right (Bottom)");
    }
}

TEST_F(Descriptor, RussianLocaleTranslatesLabelsButNeverKeys) {
    const PluginInfo* info = InfoFor(1049);
    EXPECT_EQ(info->about, kAboutRussian);
    EXPECT_EQ(info->fieldCount, 23);
    for (int i = 0; i < kSetupFieldCount; ++i) {
        SCOPED_TRACE(kExpected[i].english);
        const SetupField& row = info->fields[i];
        EXPECT_EQ(row.label, Cp1251(kExpected[i].russian));
        if (kExpected[i].heading) {
            EXPECT_EQ(row.key, nullptr);
        } else {
            EXPECT_STREQ(row.key, kExpected[i].english);
        }
        EXPECT_EQ(row.kind, kExpected[i].kind);
        EXPECT_EQ(row.defaultValue, kExpected[i].defaultValue);
    }
}

TEST_F(Descriptor, OtherRussianLocalesGetEnglish) {
    const PluginInfo* info = InfoFor(2073);
    EXPECT_EQ(info->about, kAboutEnglish);
    EXPECT_STREQ(info->fields[1].label, "Position");
    EXPECT_STREQ(ChoiceList(info->fields[kPositionRow])[0], "Left (Top)");
}

TEST_F(Descriptor, RepeatedCallsHandOutTheSameStaticRecord) {
    const PluginInfo* first = InfoFor(1049);
    const PluginInfo firstCopy = *first;
    const std::vector<SetupField> firstRows(first->fields, first->fields + kSetupFieldCount);
    const PluginInfo* second = GetPluginInfo();
    EXPECT_EQ(first, second);
    EXPECT_EQ(0, memcmp(&firstCopy, second, sizeof(PluginInfo)));
    EXPECT_EQ(0, memcmp(firstRows.data(), second->fields, sizeof(SetupField) * kSetupFieldCount));
}

TEST(AboutText, EnglishHasTheFixedLinesInOrder) {
    const std::vector<std::string> lines = Lines(kAboutEnglish);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find("Pelorin"), std::string::npos);
    EXPECT_NE(lines[0].find("1.2"), std::string::npos);
    EXPECT_NE(lines[1].find("Winamp"), std::string::npos);
    EXPECT_EQ(std::string(kAboutEnglish).find_first_of('\n'), std::string(kAboutEnglish).find("\r\n") + 1)
        << "lines are separated by CR LF";

    const int description = LineIndex(lines, "DESCRIPTION:");
    ASSERT_GT(description, 2);
    EXPECT_EQ(lines[description - 1], "");
    EXPECT_EQ(lines[description + 1], kRule);
    EXPECT_EQ(lines[description + 5], "");

    const int buttons = LineIndex(lines, "BUTTONS ORDER:");
    ASSERT_EQ(buttons, description + 6);
    const std::vector<std::string> fixed = {
        kRule,
        "\t\t----------- Position Bar ----------",
        "\tOn/Off\tPlay\tPause\tStop\tVol+",
        "\tDisplay\tLoad\tPrevious\tNext\tVol-",
        "",
        "If Winamp is running On/Off button show Pressed state.",
        "Mouse Over Skin must have a PAUSE symbol in Display area",
        "that will be show blinking if Winamp is paused.",
        "And Pressed Skin must have a PLAY symbol in Display area",
        "that will be show blinking if Winamp is playing.",
        "",
    };
    ASSERT_GE(lines.size(), buttons + 1 + fixed.size() + 5);
    for (size_t i = 0; i < fixed.size(); ++i) EXPECT_EQ(lines[buttons + 1 + i], fixed[i]) << "line " << i;

    const size_t closing = buttons + 1 + fixed.size();
    EXPECT_FALSE(lines[closing].empty());
    EXPECT_EQ(lines[closing + 1], kRule);
    EXPECT_EQ(lines.size(), closing + 5);
    EXPECT_EQ(lines.back().rfind("\t\t", 0), 0u) << "the sign-off is indented by two tabs";
}

TEST(AboutText, RussianHasTheSameShapeInRussian) {
    const std::vector<std::string> lines = Lines(kAboutRussian);
    EXPECT_NE(lines[0].find("1.2"), std::string::npos);
    const int description = LineIndex(lines, Cp1251("ОПИСАНИЕ:"));
    ASSERT_GT(description, 2);
    EXPECT_EQ(lines[description + 1], kRule);
    EXPECT_EQ(lines[description + 4], "");  // two lines of description

    const int buttons = LineIndex(lines, Cp1251("ПОРЯДОК КНОПОК:"));
    ASSERT_EQ(buttons, description + 5);
    ASSERT_GE(lines.size(), static_cast<size_t>(buttons) + 14);
    EXPECT_EQ(lines[buttons + 1], kRule);
    EXPECT_EQ(lines[buttons + 2], Cp1251("\t\t----------- Полоса позиции ----------"));
    EXPECT_EQ(lines[buttons + 3], Cp1251("\tВк/Вык\tВоспр.\tПауза\tСтоп\tГром.+"));
    EXPECT_EQ(lines[buttons + 4], Cp1251("\tДисплей\tОткр.\tПред.\tСлед.\tГром.-"));
    EXPECT_EQ(lines[buttons + 5], "");
    // The skin note in three lines, then the closing section.
    for (int i = 6; i <= 8; ++i) EXPECT_FALSE(lines[buttons + i].empty()) << i;
    EXPECT_EQ(lines[buttons + 9], "");
    EXPECT_EQ(lines[buttons + 11], kRule);
    EXPECT_EQ(lines.size(), static_cast<size_t>(buttons) + 15);
    EXPECT_EQ(lines.back().rfind("\t\t", 0), 0u);
}

// The built plug-in as the host loads it: its labels follow the locale that
// the system reports at library load. ctest runs this once more under
// LC_ALL=ru_RU.UTF-8, where Wine reports 1049.
TEST(LoadedPlugin, SetupPageFollowsTheSystemLocale) {
    HMODULE plugin = LoadLibraryA(PluginDllPath().c_str());
    ASSERT_NE(plugin, nullptr);
    auto getInfo = reinterpret_cast<PluginInfo*(__stdcall*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(plugin, "GetPluginInfo")));
    ASSERT_NE(getInfo, nullptr);
    const PluginInfo* info = getInfo();
    ASSERT_EQ(info->fieldCount, 23);
    const bool russian = GetSystemDefaultLCID() == 1049;
    if (getenv("PELORIN_EXPECT_RUSSIAN")) {
        ASSERT_TRUE(russian) << "the Russian run must see locale 1049";
    }
    for (int i = 0; i < kSetupFieldCount; ++i) {
        SCOPED_TRACE(kExpected[i].english);
        EXPECT_EQ(info->fields[i].label, russian ? Cp1251(kExpected[i].russian) : kExpected[i].english);
        if (!kExpected[i].heading) {
            EXPECT_STREQ(info->fields[i].key, kExpected[i].english);
        }
    }
    const char* const* choices = ChoiceList(info->fields[kPositionRow]);
    EXPECT_EQ(choices[1], russian ? Cp1251("Справа (Снизу)") : "Right (Bottom)");
    FreeLibrary(plugin);
}
