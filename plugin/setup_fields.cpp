// The setup page's rows. Keys, defaults and bounds come from the settings
// table, so the page offers exactly what the read pass accepts; only the
// kind of each row, its group and its labels are the page's own.
#include "plugin/setup_fields.h"

#include "settings/setting_keys.h"

namespace {

constexpr int kHeading = -1;

struct SetupRow {
    int setting;      // SettingId, or kHeading
    int32_t kind;
    LocalText label;  // a setting row's English label is its key
    bool narrowsLow;  // the page offers less than the read pass accepts
    int32_t pageLow;
};

constexpr SetupRow Heading(const char* english, const char* russian) {
    return SetupRow{kHeading, SETUP_HEADING, {english, russian}, false, 0};
}

constexpr SetupRow Row(SettingId setting, int32_t kind, const char* russian) {
    return SetupRow{setting, kind, {kSettingKeys[setting].key, russian}, false, 0};
}

constexpr SetupRow PlayerRow(SettingId setting, int32_t kind, const char* russian) {
    return Row(setting, kind + SETUP_PLAYER_GROUP, russian);
}

constexpr SetupRow OfferedFrom(SetupRow row, int32_t low) {
    row.narrowsLow = true;
    row.pageLow = low;
    return row;
}

constexpr std::array<SetupRow, kSetupFieldCount> kSetupRows = {{
    // Общие
    Heading("General", "\xCE\xE1\xF9\xE8\xE5"),
    // Положение
    Row(SETTING_POSITION, SETUP_CHOICE, "\xCF\xEE\xEB\xEE\xE6\xE5\xED\xE8\xE5"),
    // Приоритет положения
    Row(SETTING_PRIORITY_POSITION, SETUP_INTEGER,
        "\xCF\xF0\xE8\xEE\xF0\xE8\xF2\xE5\xF2 \xEF\xEE\xEB\xEE\xE6\xE5\xED\xE8\xFF"),
    // Подсказки у кнопок
    Row(SETTING_BUTTONS_TIPS, SETUP_CHECK_BOX, "\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE8 \xF3 \xEA\xED\xEE\xEF\xEE\xEA"),
    // Название трека в подсказке
    Row(SETTING_SONG_TITLE_TIP, SETUP_CHECK_BOX,
        "\xCD\xE0\xE7\xE2\xE0\xED\xE8\xE5 \xF2\xF0\xE5\xEA\xE0 \xE2 \xEF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE5"),
    // Плеер
    Heading("Player", "\xCF\xEB\xE5\xE5\xF0"),
    // Путь к Winamp
    PlayerRow(SETTING_WINAMP_PATH, SETUP_PLAYER_PATH, "\xCF\xF3\xF2\xFC \xEA Winamp"),
    // Запускать при загрузке
    PlayerRow(SETTING_RUN_AT_STARTUP, SETUP_CHECK_BOX,
              "\xC7\xE0\xEF\xF3\xF1\xEA\xE0\xF2\xFC \xEF\xF0\xE8 \xE7\xE0\xE3\xF0\xF3\xE7\xEA\xE5"),
    // Запускать свёрнутым
    PlayerRow(SETTING_RUN_MINIMIZED, SETUP_CHECK_BOX,
              "\xC7\xE0\xEF\xF3\xF1\xEA\xE0\xF2\xFC \xF1\xE2\xB8\xF0\xED\xF3\xF2\xFB\xEC"),
    // Скрыть при сворачивании
    PlayerRow(SETTING_HIDE_ON_MINIMIZE, SETUP_CHECK_BOX,
              "\xD1\xEA\xF0\xFB\xF2\xFC \xEF\xF0\xE8 \xF1\xE2\xEE\xF0\xE0\xF7\xE8\xE2\xE0\xED\xE8\xE8"),
    // Шагов громкости
    PlayerRow(SETTING_VOLUME_STEPS, SETUP_INTEGER, "\xD8\xE0\xE3\xEE\xE2 \xE3\xF0\xEE\xEC\xEA\xEE\xF1\xF2\xE8"),
    // Тема
    Heading("Skin", "\xD2\xE5\xEC\xE0"),
    // Обычная картинка
    Row(SETTING_NORMAL_SKIN, SETUP_PICTURE_FILE, "\xCE\xE1\xFB\xF7\xED\xE0\xFF \xEA\xE0\xF0\xF2\xE8\xED\xEA\xE0"),
    // Картинка при наведении
    Row(SETTING_MOUSE_OVER_SKIN, SETUP_PICTURE_FILE,
        "\xCA\xE0\xF0\xF2\xE8\xED\xEA\xE0 \xEF\xF0\xE8 \xED\xE0\xE2\xE5\xE4\xE5\xED\xE8\xE8"),
    // Картинка при нажатии
    Row(SETTING_PRESSED_SKIN, SETUP_PICTURE_FILE,
        "\xCA\xE0\xF0\xF2\xE8\xED\xEA\xE0 \xEF\xF0\xE8 \xED\xE0\xE6\xE0\xF2\xE8\xE8"),
    // Картинка нажатых кнопок
    Row(SETTING_PRESSED_BUTTONS_SKIN, SETUP_PICTURE_FILE,
        "\xCA\xE0\xF0\xF2\xE8\xED\xEA\xE0 \xED\xE0\xE6\xE0\xF2\xFB\xF5 \xEA\xED\xEE\xEF\xEE\xEA"),
    // Картинка при наведении на нажатые
    Row(SETTING_MOUSE_OVER_PRESSED_SKIN, SETUP_PICTURE_FILE,
        "\xCA\xE0\xF0\xF2\xE8\xED\xEA\xE0 \xEF\xF0\xE8 \xED\xE0\xE2\xE5\xE4\xE5\xED\xE8\xE8 \xED\xE0 "
        "\xED\xE0\xE6\xE0\xF2\xFB\xE5"),
    // Высота полосы позиции. The read pass also takes 0 (no bar), which the
    // page does not offer.
    OfferedFrom(Row(SETTING_BAR_HEIGHT, SETUP_INTEGER,
                    "\xC2\xFB\xF1\xEE\xF2\xE0 \xEF\xEE\xEB\xEE\xF1\xFB \xEF\xEE\xE7\xE8\xF6\xE8\xE8"),
                1),
    // Отступ слева и справа
    Row(SETTING_SIDE_OFFSET, SETUP_INTEGER, "\xCE\xF2\xF1\xF2\xF3\xEF \xF1\xEB\xE5\xE2\xE0 \xE8 \xF1\xEF\xF0\xE0\xE2\xE0"),
    // Отступ полосы для нижнего ряда
    Row(SETTING_BAR_OFFSET_BOTTOM_ROW, SETUP_CHECK_BOX,
        "\xCE\xF2\xF1\xF2\xF3\xEF \xEF\xEE\xEB\xEE\xF1\xFB \xE4\xEB\xFF \xED\xE8\xE6\xED\xE5\xE3\xEE \xF0\xFF\xE4\xE0"),
    // Границы
    Heading("Borders", "\xC3\xF0\xE0\xED\xE8\xF6\xFB"),
    // Граница кнопки при наведении
    Row(SETTING_BORDER_ON_MOUSE_OVER, SETUP_CHECK_BOX,
        "\xC3\xF0\xE0\xED\xE8\xF6\xE0 \xEA\xED\xEE\xEF\xEA\xE8 \xEF\xF0\xE8 \xED\xE0\xE2\xE5\xE4\xE5\xED\xE8\xE8"),
    // Показывать нажатые кнопки
    Row(SETTING_SHOW_PRESSED_BUTTONS, SETUP_CHECK_BOX,
        "\xCF\xEE\xEA\xE0\xE7\xFB\xE2\xE0\xF2\xFC \xED\xE0\xE6\xE0\xF2\xFB\xE5 \xEA\xED\xEE\xEF\xEA\xE8"),
}};

constexpr std::array<LocalText, kPositionChoiceCount> kPositionChoiceTexts = {{
    // Слева (Сверху)
    {"Left (Top)", "\xD1\xEB\xE5\xE2\xE0 (\xD1\xE2\xE5\xF0\xF5\xF3)"},
    // Справа (Снизу)
    {"Right (Bottom)", "\xD1\xEF\xF0\xE0\xE2\xE0 (\xD1\xED\xE8\xE7\xF3)"},
}};

constexpr bool IsChoiceRow(const SetupRow& row) { return row.kind == SETUP_CHOICE; }

constexpr SetupField FieldFor(const SetupRow& row) {
    if (row.setting == kHeading) return SetupField{nullptr, SETUP_HEADING, row.label.english, 0, 0, 0};
    const SettingKey& setting = kSettingKeys[row.setting];
    SetupField field{setting.key, row.kind, row.label.english, 0, 0, 0};
    if (setting.type != SettingType::Text) field.defaultValue = setting.defaultValue;
    if (setting.type == SettingType::Integer) {
        field.low = setting.low;
        field.high = setting.high;
    }
    if (IsChoiceRow(row)) {
        // A choice row's low is the value of its last choice; its high
        // becomes the list's address at run time.
        field.low = setting.high;
        field.high = 0;
    }
    if (row.narrowsLow) field.low = row.pageLow;
    return field;
}

constexpr std::array<SetupField, kSetupFieldCount> EnglishSetupFields() {
    std::array<SetupField, kSetupFieldCount> fields = {};
    for (int i = 0; i < kSetupFieldCount; ++i) fields[i] = FieldFor(kSetupRows[i]);
    return fields;
}

constexpr bool EverySettingHasOneRow() {
    for (int setting = 0; setting < SETTING_COUNT; ++setting) {
        int rows = 0;
        for (const SetupRow& row : kSetupRows) rows += row.setting == setting ? 1 : 0;
        if (rows != 1) return false;
    }
    return true;
}
static_assert(EverySettingHasOneRow(), "the page edits every setting, each once");
static_assert(kSettingKeys[SETTING_POSITION].high + 1 == kPositionChoiceCount,
              "one choice text per value of Position");

}  // namespace

std::array<SetupField, kSetupFieldCount> setupFields = EnglishSetupFields();
std::array<const char*, kPositionChoiceCount> positionChoices = {kPositionChoiceTexts[0].english,
                                                                  kPositionChoiceTexts[1].english};

void ApplySetupLanguage(Language language) {
    for (int i = 0; i < kSetupFieldCount; ++i) setupFields[i].label = TextIn(language, kSetupRows[i].label);
    for (int i = 0; i < kPositionChoiceCount; ++i) positionChoices[i] = TextIn(language, kPositionChoiceTexts[i]);
}

void LinkPositionChoices() {
    const auto address = static_cast<int32_t>(reinterpret_cast<intptr_t>(positionChoices.data()));
    for (int i = 0; i < kSetupFieldCount; ++i) {
        if (IsChoiceRow(kSetupRows[i])) setupFields[i].high = address;
    }
}
