// Reading and editing the store's lines; see ini_document.h.
#include "testbed/starter/ini_document.h"

#include <algorithm>

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsBlank(std::string_view line) { return Trim(line).empty(); }

struct LineRange {
    size_t begin;  // first line after the header (0 for the preamble)
    size_t end;    // the next header, or the end of the document
};

size_t NextHeader(const IniDocument& document, size_t from) {
    for (size_t i = from; i < document.lines.size(); ++i) {
        if (ClassifyIniLine(document.lines[i]).kind == IniLineKind::Section) return i;
    }
    return document.lines.size();
}

// Every part of the document that belongs to the section, in file order:
// a section named twice is read as one.
std::vector<LineRange> SectionRanges(const IniDocument& document, std::string_view section) {
    std::vector<LineRange> ranges;
    if (section == kPreamble) {
        ranges.push_back({0, NextHeader(document, 0)});
        return ranges;
    }
    for (size_t i = 0; i < document.lines.size(); ++i) {
        const IniLine line = ClassifyIniLine(document.lines[i]);
        if (line.kind == IniLineKind::Section && line.name == section) {
            ranges.push_back({i + 1, NextHeader(document, i + 1)});
        }
    }
    return ranges;
}

std::optional<size_t> FindEntryLine(const IniDocument& document, std::string_view section,
                                    std::string_view key) {
    for (const LineRange& range : SectionRanges(document, section)) {
        for (size_t i = range.begin; i < range.end; ++i) {
            const IniLine line = ClassifyIniLine(document.lines[i]);
            if (line.kind == IniLineKind::Entry && line.name == key) return i;
        }
    }
    return std::nullopt;
}

std::string EntryText(std::string_view key, std::string_view value) {
    std::string text(key);
    text += '=';
    text += value;
    return text;
}

}  // namespace

IniDocument ParseIni(std::string_view text) {
    IniDocument document;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        document.lines.emplace_back(line);
        start = end + 1;
    }
    return document;
}

std::string SerializeIni(const IniDocument& document) {
    std::string text;
    for (const std::string& line : document.lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

IniLine ClassifyIniLine(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return {IniLineKind::Other, {}, {}};
    }
    if (trimmed.front() == '[') {
        // "[]" or "[unclosed" is not a header: kept as an unknown line.
        if (trimmed.size() > 2 && trimmed.back() == ']') {
            return {IniLineKind::Section, trimmed.substr(1, trimmed.size() - 2), {}};
        }
        return {IniLineKind::Other, {}, {}};
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {IniLineKind::Other, {}, {}};
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) return {IniLineKind::Other, {}, {}};
    return {IniLineKind::Entry, key, line.substr(equals + 1)};
}

bool HasSection(const IniDocument& document, std::string_view section) {
    return section == kPreamble || !SectionRanges(document, section).empty();
}

std::optional<std::string_view> FindValue(const IniDocument& document, std::string_view section,
                                          std::string_view key) {
    const std::optional<size_t> index = FindEntryLine(document, section, key);
    if (!index) return std::nullopt;
    return ClassifyIniLine(document.lines[*index]).value;
}

void AddSection(IniDocument& document, std::string_view section) {
    if (HasSection(document, section)) return;
    if (!document.lines.empty() && !IsBlank(document.lines.back())) document.lines.emplace_back();
    document.lines.push_back("[" + std::string(section) + "]");
}

void SetValue(IniDocument& document, std::string_view section, std::string_view key,
              std::string_view value) {
    // A line break would let a value forge keys or sections of its own.
    value = value.substr(0, value.find_first_of(kLineEnd));
    if (const std::optional<size_t> index = FindEntryLine(document, section, key)) {
        document.lines[*index] = EntryText(key, value);
        return;
    }
    AddSection(document, section);
    const LineRange range = SectionRanges(document, section).front();
    size_t insertAt = range.begin;
    for (size_t i = range.begin; i < range.end; ++i) {
        if (!IsBlank(document.lines[i])) insertAt = i + 1;
    }
    document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                          EntryText(key, value));
}

bool IsStorableSection(std::string_view section) {
    if (section == kPreamble) return true;
    return section.find_first_of(kLineEnd) == std::string_view::npos;
}

bool IsStorableKey(std::string_view key) {
    if (key.empty() || Trim(key) != key) return false;
    if (key.find_first_of("=\r\n") != std::string_view::npos) return false;
    return key.front() != '[' && key.front() != ';' && key.front() != '#';
}
