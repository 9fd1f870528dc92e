// The configuration store's file held as its own lines. Lookups and edits
// work on the lines in place, so a rewrite keeps every line it does not
// change byte for byte: comments, blank lines and lines it cannot parse.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct IniDocument {
    std::vector<std::string> lines;  // without their line ends
};

enum class IniLineKind { Other, Section, Entry };

struct IniLine {
    IniLineKind kind;
    std::string_view name;   // section name or key
    std::string_view value;  // entry value, exactly as after the '='
};

// The empty section name stands for the lines before the first header.
constexpr std::string_view kPreamble = "";

IniDocument ParseIni(std::string_view text);
std::string SerializeIni(const IniDocument& document);
IniLine ClassifyIniLine(std::string_view line);

bool HasSection(const IniDocument& document, std::string_view section);
std::optional<std::string_view> FindValue(const IniDocument& document, std::string_view section,
                                          std::string_view key);

// Appends "[section]" when no such section exists yet.
void AddSection(IniDocument& document, std::string_view section);
// Replaces the key's first line in the section, or adds one after the
// section's last non-blank line, creating the section if need be. The
// value is cut at its first line break: one entry is one line.
void SetValue(IniDocument& document, std::string_view section, std::string_view key,
              std::string_view value);

// Names the file format could not read back as written are refused.
bool IsStorableSection(std::string_view section);
bool IsStorableKey(std::string_view key);
