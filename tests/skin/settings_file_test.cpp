#include "skin/settings_file.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "skin/text_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

class SettingsFileTest : public TempDirTest {
 protected:
  SettingsFile WriteSettings(std::string_view bytes) const {
    return SettingsFile(WriteFile("Settings.ini", bytes));
  }
};

struct LookupCase {
  const char* name;
  std::string_view file;
  std::u16string_view section;
  std::u16string_view key;
  std::u16string_view expected;  // the default is "@@"
};

TEST_F(SettingsFileTest, LooksUpLikeThePrivateProfileReader) {
  const LookupCase cases[] = {
      {"plain", "[English]\nPopMenu1=Close\n", u"English", u"PopMenu1", u"Close"},
      {"missing section", "[English]\nPopMenu1=Close\n", u"ChineseS", u"PopMenu1", u"@@"},
      {"missing key", "[English]\nPopMenu1=Close\n", u"English", u"PopMenu2", u"@@"},
      {"key of another section", "[English]\nA=1\n[Default]\nB=2\n", u"English", u"B", u"@@"},
      {"empty value is no default", "[English]\nPopMenu1=\n", u"English", u"PopMenu1", u""},
      {"blank value is empty", "[English]\nPopMenu1=   \t\n", u"English", u"PopMenu1", u""},
      {"section letter case", "[English]\nPopMenu1=Close\n", u"english", u"PopMenu1", u"Close"},
      {"key letter case", "[english]\npopmenu1=Close\n", u"ENGLISH", u"PopMenu1", u"Close"},
      {"blanks around names and value", "  [ English ]  \n\t PopMenu1 \t=  Close it  \n",
       u"English", u"PopMenu1", u"Close it"},
      {"double quotes", "[E]\nK=\" spaced \"\n", u"E", u"K", u" spaced "},
      {"single quotes", "[E]\nK='x'\n", u"E", u"K", u"x"},
      {"only one pair of quotes", "[E]\nK=\"\"x\"\"\n", u"E", u"K", u"\"x\""},
      {"mismatched quotes stay", "[E]\nK=\"x'\n", u"E", u"K", u"\"x'"},
      {"lone quote stays", "[E]\nK=\"\n", u"E", u"K", u"\""},
      {"empty quotes", "[E]\nK=\"\"\n", u"E", u"K", u""},
      {"inner quotes stay", "[E]\nK=say \"hi\"\n", u"E", u"K", u"say \"hi\""},
      {"value holds '='", "[E]\nK=a=b\n", u"E", u"K", u"a=b"},
      {"CRLF", "[E]\r\nK=v\r\nL=w\r\n", u"E", u"L", u"w"},
      {"no final newline", "[E]\nK=last", u"E", u"K", u"last"},
      {"CR only", "[E]\rK=v\r", u"E", u"K", u"v"},
      {"first key wins", "[E]\nK=first\nK=second\n", u"E", u"K", u"first"},
      {"first section block wins", "[E]\nK=first\n[e]\nK=second\n", u"E", u"K", u"first"},
      {"later block is not searched", "[E]\nA=1\n[D]\n[E]\nK=second\n", u"E", u"K", u"@@"},
      {"line without '=' ignored", "[E]\nK\nK=v\n", u"E", u"K", u"v"},
      {"lines before a section ignored", "K=top\n[E]\n", u"E", u"K", u"@@"},
      {"text after ']' ignored", "[E] ; note\nK=v\n", u"E", u"K", u"v"},
      {"'[' line without ']' ignored", "[E]\n[oops\nK=v\n", u"E", u"K", u"v"},
      {"empty key name", "[E]\n=v\n", u"E", u"K", u"@@"},
      {"empty file", "", u"E", u"K", u"@@"},
      {"NUL in a value", std::string_view("[E]\nK=a\0b\n", 10), u"E", u"K",
       std::u16string_view(u"a\0b", 3)},
      {"NUL line", std::string_view("[E]\n\0\0\0\nK=v", 11), u"E", u"K", u"v"},
  };
  for (const LookupCase& c : cases) {
    const SettingsFile settings = WriteSettings(c.file);
    EXPECT_EQ(settings.ReadString(c.section, c.key, u"@@"), c.expected) << c.name;
  }
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesTheDefault) {
  EXPECT_EQ(SettingsFile(PathOf("Settings.ini")).ReadString(u"E", u"K", u"@@"), u"@@");
  EXPECT_EQ(SettingsFile(m_Dir.string()).ReadString(u"E", u"K", u"dflt"), u"dflt");
  EXPECT_EQ(SettingsFile("").ReadString(u"E", u"K", u""), u"");
}

TEST_F(SettingsFileTest, DefaultIsHandedBackUnchanged) {
  const SettingsFile settings = WriteSettings("[E]\n");
  EXPECT_EQ(settings.ReadString(u"E", u"K", u" \"x\" "), u" \"x\" ");
}

TEST_F(SettingsFileTest, ValuesAreCutTo2047Units) {
  const std::string longValue(3000, 'v');
  const SettingsFile settings =
      WriteSettings("[E]\nK=" + longValue + "\nL=" + std::string(2047, 'w') + "\n");
  EXPECT_EQ(settings.ReadString(u"E", u"K", u"@@"), std::u16string(2047, u'v'));
  EXPECT_EQ(settings.ReadString(u"E", u"L", u"@@"), std::u16string(2047, u'w'));
}

TEST_F(SettingsFileTest, CutNeverSplitsASurrogatePair) {
  // 2046 letters and an emoji: unit 2047 would be the first half of the pair.
  const SettingsFile settings =
      WriteSettings("[E]\nK=" + std::string(2046, 'a') + "\xF0\x9F\x98\x80" + "tail\n");
  EXPECT_EQ(settings.ReadString(u"E", u"K", u"@@"), std::u16string(2046, u'a'));
}

TEST_F(SettingsFileTest, ReadsEveryAcceptedEncoding) {
  const std::u16string text = u"[ChineseS]\r\nPopMenu1=\u5173\u95ED\r\n";
  std::string utf16le = "\xFF\xFE";
  for (char16_t unit : text) {
    utf16le += static_cast<char>(unit & 0xFF);
    utf16le += static_cast<char>(unit >> 8);
  }
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"UTF-16LE with mark", utf16le, u"\u5173\u95ED"},
      {"UTF-8 with mark", "\xEF\xBB\xBF" + Utf16ToUtf8(text), u"\u5173\u95ED"},
      {"UTF-8", Utf16ToUtf8(text), u"\u5173\u95ED"},
      {"Latin-1",
       "[ChineseS]\nPopMenu1=Schlie\xDF"
       "en\n",
       u"Schlie\u00DF"
       "en"},
  };
  for (const Case& c : cases) {
    const SettingsFile settings = WriteSettings(c.bytes);
    EXPECT_EQ(settings.ReadString(u"ChineseS", u"PopMenu1", u"@@"), c.expected) << c.name;
  }
}

TEST_F(SettingsFileTest, OneBadByteMakesTheWholeFileLatin1) {
  // "\xC3\xA9" would be é in UTF-8; in a file that is not UTF-8 it is two
  // Latin-1 characters like every other byte of that file.
  const SettingsFile settings = WriteSettings("[E]\nA=\xC3\xA9\nB=\xE9\n");
  EXPECT_EQ(settings.ReadString(u"E", u"A", u"@@"), u"\u00C3\u00A9");
  EXPECT_EQ(settings.ReadString(u"E", u"B", u"@@"), u"\u00E9");
}

TEST_F(SettingsFileTest, EveryLookupReadsTheFileAfresh) {
  const std::string path = WriteFile("Settings.ini", "[English]\nPopMenu1=Close\n");
  const SettingsFile settings(path);
  EXPECT_EQ(settings.ReadString(u"English", u"PopMenu1", u"@@"), u"Close");
  WriteFile("Settings.ini", "[English]\nPopMenu1=Quit\n");
  EXPECT_EQ(settings.ReadString(u"English", u"PopMenu1", u"@@"), u"Quit");
  std::filesystem::remove(path);
  EXPECT_EQ(settings.ReadString(u"English", u"PopMenu1", u"@@"), u"@@");
}

TEST_F(SettingsFileTest, BinaryGarbageGivesDefaultsAndSparesLaterSections) {
  std::mt19937 random(1234);
  std::string garbage(256 * 1024, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random() & 0xFF);

  EXPECT_EQ(WriteSettings(garbage).ReadString(u"English", u"PopMenu1", u"@@"), u"@@");
  const SettingsFile settings = WriteSettings(garbage + "\n[English]\nPopMenu1=Close\n");
  EXPECT_EQ(settings.ReadString(u"English", u"PopMenu1", u"@@"), u"Close");
}

TEST_F(SettingsFileTest, ReadsA50MegabyteFile) {
  const std::string filler = "Filler=" + std::string(100, 'f') + "\n";
  std::string bytes = "[Default]\n";
  bytes.reserve(50u * 1024 * 1024 + 64);
  while (bytes.size() < 50u * 1024 * 1024) bytes += filler;
  bytes += "[English]\nPopMenu1=Close";
  const SettingsFile settings = WriteSettings(bytes);
  bytes = std::string();

  EXPECT_EQ(settings.ReadString(u"English", u"PopMenu1", u"@@"), u"Close");
  EXPECT_EQ(settings.ReadString(u"ChineseS", u"PopMenu1", u"@@"), u"@@");
}

TEST_F(SettingsFileTest, OneHugeLineWithoutLineEnd) {
  const SettingsFile settings = WriteSettings("[E]\nK=" + std::string(1024 * 1024, 'x'));
  EXPECT_EQ(settings.ReadString(u"E", u"K", u"@@").size(), 2047u);
}

}  // namespace
