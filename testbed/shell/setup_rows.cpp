// The setup page's rows and values.
#include "testbed/shell/setup_rows.h"

#include "host/host_abi.h"

#include <algorithm>

namespace {

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

// Check boxes store true as -1 defaults do when read back: any non-zero.
int BoolDefault(int defaultValue) { return defaultValue ? -1 : 0; }

}  // namespace

RowType RowTypeOf(int32_t kind) {
    switch (kind & kRowTypeMask) {
    case 1: return RowType::CheckBox;
    case 8: return RowType::ProgramPath;
    case 11: return RowType::Integer;
    case 14: return RowType::Picture;
    case 16: return RowType::Choice;
    case 26: return RowType::Heading;
    default: return RowType::Unknown;
    }
}

std::vector<SetupRow> ReadSetupRows(const DescriptorRow* rows, int count) {
    std::vector<SetupRow> result;
    for (int i = 0; rows && i < count; ++i) {
        const DescriptorRow& source = rows[i];
        SetupRow row;
        row.type = RowTypeOf(source.kind);
        row.key = TextOf(source.key);
        row.label = TextOf(source.label);
        row.defaultValue = source.defaultValue;
        if (row.type == RowType::Integer) {
            row.low = source.low;
            row.high = static_cast<int>(source.high);
        } else if (row.type == RowType::Choice) {
            // The list holds the texts of values 0 to low.
            const auto* texts = reinterpret_cast<const char* const*>(source.high);
            for (int value = 0; texts && value <= source.low; ++value) row.choices.push_back(TextOf(texts[value]));
            row.low = 0;
            row.high = static_cast<int>(row.choices.size()) - 1;
        } else if (row.type == RowType::CheckBox) {
            row.high = 1;
        }
        result.push_back(row);
    }
    return result;
}

int ClampToRow(const SetupRow& row, int value) {
    if (row.high < row.low) return row.low;
    return std::clamp(value, row.low, row.high);
}

std::vector<SetupValue> LoadSetupValues(int configId, const std::string& section, const std::vector<SetupRow>& rows) {
    std::vector<SetupValue> values(rows.size());
    ConfigCursor cursor = {};
    if (!OpenCFGr(configId, &cursor)) return values;
    FindSection(section.c_str(), 0, &cursor);
    for (size_t i = 0; i < rows.size(); ++i) {
        const SetupRow& row = rows[i];
        if (row.key.empty()) continue;
        switch (row.type) {
        case RowType::CheckBox:
            values[i].number = GetCFGBool(row.key.c_str(), BoolDefault(row.defaultValue), &cursor) ? 1 : 0;
            break;
        case RowType::Integer:
        case RowType::Choice:
            values[i].number = ClampToRow(row, GetCFGInt(row.key.c_str(), row.defaultValue, &cursor));
            break;
        case RowType::ProgramPath:
        case RowType::Picture: {
            char text[kSetupTextMax + 2] = {};
            GetCFGString(row.key.c_str(), "", text, kSetupTextMax, &cursor);
            text[kSetupTextMax] = '\0';
            values[i].text = text;
            break;
        }
        default:
            break;
        }
    }
    CloseCFGr(&cursor);
    return values;
}

void SaveSetupValues(int configId, const std::string& section, const std::vector<SetupRow>& rows,
                     const std::vector<SetupValue>& values) {
    ConfigCursor cursor = {};
    if (!OpenCFGw(configId, &cursor)) return;
    FindSection(section.c_str(), 1, &cursor);
    for (size_t i = 0; i < rows.size() && i < values.size(); ++i) {
        const SetupRow& row = rows[i];
        if (row.key.empty()) continue;
        switch (row.type) {
        case RowType::CheckBox:
        case RowType::Integer:
        case RowType::Choice:
            SetCFGInt(row.key.c_str(), ClampToRow(row, values[i].number), &cursor);
            break;
        case RowType::ProgramPath:
        case RowType::Picture:
            SetCFGString(row.key.c_str(), values[i].text.substr(0, kSetupTextMax).c_str(), &cursor);
            break;
        default:
            break;
        }
    }
    CloseCFGw(configId, CFG_CLOSE_FLUSH, &cursor);
}
