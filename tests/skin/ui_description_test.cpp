#include "skin/ui_description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "skin/text_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

struct FindCase {
  const char* name;
  std::string_view file;
  std::u16string_view section;
  std::u16string_view entry;
  std::optional<std::u16string> expected;
};

TEST(UiDescription, ReadsTheIniRules) {
  const FindCase cases[] = {
      {"plain", "[Default]\nlb_Text->Font->Size=9\n", u"Default", u"lb_Text->Font->Size", u"9"},
      {"names without case", "[DEFAULT]\nLB_TEXT->font->size=9\n", u"default",
       u"lb_Text->Font->Size", u"9"},
      {"value as written", "[E]\nFontName=  Tahoma Bold \n", u"E", u"fontname", u"Tahoma Bold"},
      {"quotes kept", "[E]\nK=\"x\"\n", u"E", u"K", u"\"x\""},
      {"empty value present", "[E]\nK=\n", u"E", u"K", u""},
      {"no '=' is absent", "[E]\nK\n", u"E", u"K", std::nullopt},
      {"no '=' does not hide a later entry", "[E]\nK\nK=1\n", u"E", u"K", u"1"},
      {"first entry wins", "[E]\nK=1\nk=2\n", u"E", u"K", u"1"},
      {"split at the first '='", "[E]\nK = a = b\n", u"E", u"K", u"a = b"},
      {"repeated section ignored", "[E]\nK=1\n[e]\nK=2\nL=3\n", u"E", u"L", std::nullopt},
      {"section after a repeat works", "[E]\n[E]\nK=2\n[F]\nK=3\n", u"F", u"K", u"3"},
      {"section name trimmed", "  [  ChineseS  ]  \nK=1\n", u"ChineseS", u"K", u"1"},
      {"lines before the first section", "K=0\n[E]\n", u"E", u"K", std::nullopt},
      {"comment line", "[E]\n;K=1\n  ; K=2\nK=3\n", u"E", u"K", u"3"},
      {"comment name is no entry", "[E]\n;K=1\n", u"E", u";K", std::nullopt},
      {"header needs both brackets", "[E]\n[F\nK=1\n", u"E", u"[F", std::nullopt},
      {"header needs both brackets (entry)", "[E]\n[F\nK=1\n", u"E", u"K", u"1"},
      {"header with text after ']' is no header", "[E]\n[F] x\nK=1\n", u"E", u"K", u"1"},
      {"empty section name", "[]\nK=1\n", u"", u"K", u"1"},
      {"missing section", "[E]\nK=1\n", u"F", u"K", std::nullopt},
      {"CRLF and no final newline", "[E]\r\nK=1\r\nL=2", u"E", u"L", u"2"},
      {"Latin-1 file",
       "[E]\nK=Gr\xFC\xDF"
       "e\n",
       u"E", u"K",
       u"Gr\u00FC\u00DF"
       "e"},
      {"UTF-8 file", "[E]\nK=\xE5\x85\xB3\n", u"E", u"K", u"\u5173"},
      {"UTF-8 mark", "\xEF\xBB\xBF[E]\nK=1\n", u"E", u"K", u"1"},
      {"UTF-16LE", std::string_view("\xFF\xFE[\0E\0]\0\n\0K\0=\0\x73\x51", 16), u"E", u"K",
       u"\u5173"},
      {"UTF-16BE", std::string_view("\xFE\xFF\0[\0E\0]\0\n\0K\0=\x51\x73", 16), u"E", u"K",
       u"\u5173"},
      {"empty", "", u"E", u"K", std::nullopt},
  };
  for (const FindCase& c : cases) {
    const auto description = UiDescription::FromBytes(c.file);
    ASSERT_NE(description, nullptr) << c.name;
    EXPECT_EQ(description->Find(c.section, c.entry), c.expected) << c.name;
  }
}

TEST(UiDescription, ReadStringFallsBackOnlyWhenAbsent) {
  const auto description = UiDescription::FromBytes("[E]\nEmpty=\nNoValue\n");
  EXPECT_EQ(description->ReadString(u"E", u"Empty", u"dflt"), u"");
  EXPECT_EQ(description->ReadString(u"E", u"NoValue", u"dflt"), u"dflt");
  EXPECT_EQ(description->ReadString(u"X", u"Empty", u"dflt"), u"dflt");
}

// The listing holds exactly what lookups can find: the first block of a
// repeated section, the first of a repeated entry, no entry without '='.
TEST(UiDescription, ListsTheEntriesLookupsFind) {
  const auto description = UiDescription::FromBytes(
      "K=0\n[English]\nA=1\na=2\nNoValue\n[Default]\nB=\n[ENGLISH]\nC=3\n");
  std::vector<std::u16string> sections = description->SectionNames();
  std::sort(sections.begin(), sections.end());
  EXPECT_EQ(sections, (std::vector<std::u16string>{u"default", u"english"}));
  using Entries = std::vector<std::pair<std::u16string, std::u16string>>;
  EXPECT_EQ(description->EntriesOf(u"English"), (Entries{{u"a", u"1"}}));
  EXPECT_EQ(description->EntriesOf(u"default"), (Entries{{u"b", u""}}));
  EXPECT_TRUE(description->EntriesOf(u"Missing").empty());
}

TEST(UiDescription, SurvivesBinaryGarbage) {
  std::string bytes;
  for (int i = 0; i < 64 * 1024; ++i) bytes += static_cast<char>((i * 7919) & 0xFF);
  const auto description = UiDescription::FromBytes(bytes + "\n[E]\nK=1\n");
  EXPECT_EQ(description->Find(u"E", u"K"), u"1");
}

class UiDescriptionFile : public TempDirTest {};

TEST_F(UiDescriptionFile, LoadsAnExistingFileOnly) {
  const auto loaded = UiDescription::LoadFile(WriteFile("UI.txt", "[Default]\nK=1\n"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->Find(u"Default", u"K"), u"1");
  EXPECT_EQ(UiDescription::LoadFile(PathOf("missing.txt")), nullptr);
  EXPECT_EQ(UiDescription::LoadFile(m_Dir.string()), nullptr);
  // An empty file is a description without sections.
  const auto empty = UiDescription::LoadFile(WriteFile("empty.txt", ""));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Find(u"Default", u"K"), std::nullopt);
}

}  // namespace
