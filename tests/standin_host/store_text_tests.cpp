// The stand-in host's text rules, checked without the DLL where the exports
// cannot reach every case: the store file's lines, integer parsing and
// picture names.
#include "testbed/starter/ini_document.h"
#include "testbed/starter/picture_names.h"
#include "testbed/starter/stored_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Value(const IniDocument& document, std::string_view section, std::string_view key) {
    const auto value = FindValue(document, section, key);
    return value ? std::string(*value) : std::string("<missing>");
}

}  // namespace

TEST(IniDocument, KeepsEveryLineItDoesNotUnderstand) {
    const std::string text =
        "top=0\n; a comment=with equals\n# another\ngarbage line\n[unclosed\n[]\n=no key\n"
        "\n[Pelorin]\r\n  Position = 2\r\nTitle= spaced \r\n";
    const IniDocument document = ParseIni(text);
    EXPECT_EQ(SerializeIni(document),
              "top=0\r\n; a comment=with equals\r\n# another\r\ngarbage line\r\n[unclosed\r\n[]\r\n=no key\r\n"
              "\r\n[Pelorin]\r\n  Position = 2\r\nTitle= spaced \r\n");
    EXPECT_EQ(Value(document, kPreamble, "top"), "0");
    EXPECT_EQ(Value(document, kPreamble, "; a comment"), "<missing>");
    EXPECT_EQ(Value(document, kPreamble, ""), "<missing>");
    EXPECT_FALSE(HasSection(document, "unclosed"));
    // Keys are trimmed; values are kept exactly as written.
    EXPECT_EQ(Value(document, "Pelorin", "Position"), " 2");
    EXPECT_EQ(Value(document, "Pelorin", "Title"), " spaced ");
}

TEST(IniDocument, SectionNamedTwiceReadsAsOneFirstEntryWins) {
    const IniDocument document = ParseIni("[A]\nx=1\n[B]\ny=2\n[A]\nx=3\nz=4\n");
    EXPECT_EQ(Value(document, "A", "x"), "1");
    EXPECT_EQ(Value(document, "A", "z"), "4");
    EXPECT_EQ(Value(document, "A", "y"), "<missing>");
}

TEST(IniDocument, SetValueEditsInPlaceAndAddsAfterTheSectionsLastLine) {
    IniDocument document = ParseIni("; head\n[A]\nx=1\n; note\n\n[B]\ny=2\n");
    SetValue(document, "A", "x", "5");
    SetValue(document, "A", "z", "7");
    SetValue(document, "B", "y", "");
    SetValue(document, "C", "k", "v");
    SetValue(document, kPreamble, "top", "t");
    EXPECT_EQ(SerializeIni(document),
              "; head\r\ntop=t\r\n[A]\r\nx=5\r\n; note\r\nz=7\r\n\r\n[B]\r\ny=\r\n\r\n[C]\r\nk=v\r\n");
}

TEST(IniDocument, RefusesNamesThatWouldNotReadBack) {
    EXPECT_TRUE(IsStorableKey("Winamp Path"));
    EXPECT_TRUE(IsStorableKey("Left and Right OffSet"));
    for (const char* key : {"", " lead", "trail ", "a=b", "a\nb", "a\rb", "[x", ";x", "#x"}) {
        EXPECT_FALSE(IsStorableKey(key)) << key;
    }
    EXPECT_TRUE(IsStorableSection("Pelorin"));
    EXPECT_TRUE(IsStorableSection(kPreamble));
    EXPECT_FALSE(IsStorableSection("a\r\nb"));
}

TEST(StoredValues, ParsesOnlyWholeDecimalIntegers) {
    EXPECT_EQ(ParseStoredInt("42"), 42);
    EXPECT_EQ(ParseStoredInt(" -1 "), -1);
    EXPECT_EQ(ParseStoredInt("+7"), 7);
    EXPECT_EQ(ParseStoredInt("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseStoredInt("2147483647"), INT_MAX);
    for (const char* text : {"", " ", "abc", "12abc", "0x10", "1 2", "+", "-", "+-1", "2147483648", "1.5"}) {
        EXPECT_FALSE(ParseStoredInt(text).has_value()) << text;
    }
}

TEST(PictureNames, TypeByExtensionAndRelativeNamesFromTheFolder) {
    EXPECT_EQ(PictureFileTypeOf("Plugins\\Pelorin1.bmp"), PictureFileType::Bitmap);
    EXPECT_EQ(PictureFileTypeOf("SKIN.BMP"), PictureFileType::Bitmap);
    EXPECT_EQ(PictureFileTypeOf("a.Ico"), PictureFileType::Icon);
    EXPECT_EQ(PictureFileTypeOf("a.png"), PictureFileType::Unknown);
    EXPECT_EQ(PictureFileTypeOf("bmp"), PictureFileType::Unknown);
    EXPECT_EQ(PictureFileTypeOf(""), PictureFileType::Unknown);

    EXPECT_EQ(ResolveInFolder("C:\\Shell", "Plugins\\a.bmp"), "C:\\Shell\\Plugins\\a.bmp");
    EXPECT_EQ(ResolveInFolder("C:\\Shell\\", "a.bmp"), "C:\\Shell\\a.bmp");
    EXPECT_EQ(ResolveInFolder("C:\\Shell", "D:\\x\\a.bmp"), "D:\\x\\a.bmp");
    EXPECT_EQ(ResolveInFolder("C:\\Shell", "\\\\server\\a.bmp"), "\\\\server\\a.bmp");
    EXPECT_EQ(ResolveInFolder("C:\\Shell", "/x/a.bmp"), "/x/a.bmp");

    EXPECT_EQ(FolderOf("C:\\Shell\\shell.exe"), "C:\\Shell");
    EXPECT_EQ(FolderOf("shell.exe"), "");
}
