#include <gtest/gtest.h>

#include <string>

#include "skin/Language_subroutines.h"
#include "skin/text_helpers.h"

namespace {

// Every test starts and ends with no system language source installed.
class LanguageTable : public ::testing::Test {
 protected:
  void TearDown() override { SetSystemLanguageIdSource({}); }

  static void SetSystemLanguage(uint16_t id) {
    SetSystemLanguageIdSource([id] { return id; });
  }
};

struct NameAndId {
  std::u16string_view name;
  uint16_t id;
};

// The 34 names and the id that stands for each.
constexpr NameAndId kAllLanguages[] = {
    {u"Arabic", 1025},     {u"Bulgarian", 1026},  {u"ChineseT", 1028},  {u"Czech", 1029},
    {u"Danish", 1030},     {u"German", 3079},     {u"Greek", 1032},     {u"Finnish", 1035},
    {u"French", 2060},     {u"Hungarian", 1038},  {u"Italian", 1040},   {u"Japanese", 1041},
    {u"Korean", 1042},     {u"Dutch", 2067},      {u"Norwegian", 1044}, {u"Polish", 1045},
    {u"Portuguese", 1046}, {u"Romanian", 1048},   {u"Russian", 1049},   {u"Croatian", 1050},
    {u"Slovak", 1051},     {u"Swedish", 1053},    {u"Thai", 1054},      {u"Turkish", 1055},
    {u"Indonesian", 1057}, {u"Estonian", 1061},   {u"Persian", 1065},   {u"Vietnamese", 1066},
    {u"Azerbaijan", 1068}, {u"Macedonian", 1071}, {u"Malay", 1086},     {u"ChineseS", 2052},
    {u"Spanish", 11274},   {u"English", 1033},
};

TEST_F(LanguageTable, EveryNameRoundTripsThroughItsId) {
  for (const NameAndId& language : kAllLanguages) {
    const std::string name = Utf16ToUtf8(language.name);
    EXPECT_EQ(GetLanguageId(language.name), language.id) << name;
    EXPECT_EQ(GetLanguageNameById(GetLanguageId(language.name)), language.name) << name;
  }
}

TEST_F(LanguageTable, IdsSelectTheirNames) {
  const NameAndId cases[] = {
      // Sub-languages that share a name.
      {u"Arabic", 0x0401},
      {u"Arabic", 0x4001},
      {u"German", 0x0407},
      {u"German", 0x1407},
      {u"French", 0x040C},
      {u"French", 0x180C},
      {u"Spanish", 0x080A},
      {u"Spanish", 3082},
      {u"Spanish", 0x500A},
      {u"ChineseT", 3076},
      {u"Dutch", 0x0413},
      {u"Malay", 0x083E},
      // Neighbours of listed ids and ids the table leaves out.
      {u"English", 1034},
      {u"English", 0x540A},
      {u"English", 0x4401},
      {u"ChineseT", 4100},
      {u"English", 5124},
      {u"English", 2057},
      {u"English", 1033},
      {u"English", 1027},
      {u"English", 0xFFFF},
      {u"ChineseS", 2052},
  };
  for (const NameAndId& c : cases) EXPECT_EQ(GetLanguageNameById(c.id), c.name) << c.id;
}

TEST_F(LanguageTable, NameToIdCountsLetterCase) {
  const NameAndId cases[] = {
      {u"French", 2060},   {u"Spanish", 11274}, {u"English", 1033}, {u"", 1033},
      {u"chineses", 1033}, {u"CHINESET", 1033}, {u"German ", 1033}, {u"Klingon", 1033},
  };
  for (const NameAndId& c : cases) EXPECT_EQ(GetLanguageId(c.name), c.id) << Utf16ToUtf8(c.name);
}

TEST_F(LanguageTable, SystemLanguageIsEnglishUntilASourceIsSet) {
  EXPECT_EQ(SystemDefaultLangId(), 1033);
  EXPECT_EQ(GetLanguageName(u""), u"English");
  SetSystemLanguage(2052);
  EXPECT_EQ(SystemDefaultLangId(), 2052);
}

TEST_F(LanguageTable, EmptySettingFollowsTheSystemLanguage) {
  const NameAndId cases[] = {
      {u"ChineseS", 2052}, {u"Spanish", 3082}, {u"English", 1034}, {u"ChineseT", 4100},
      {u"English", 1033},  {u"English", 2057}, {u"German", 1031},  {u"English", 0},
  };
  for (const NameAndId& c : cases) {
    SetSystemLanguage(c.id);
    EXPECT_EQ(GetLanguageName(u""), c.name) << c.id;
    // Id 0 names the system language, whatever that is.
    EXPECT_EQ(GetLanguageNameById(0), GetLanguageName(u"")) << c.id;
  }
}

TEST_F(LanguageTable, NonEmptySettingComesBackUnchanged) {
  SetSystemLanguage(2052);
  for (std::u16string_view setting : {u"Klingon", u" ", u"german", u"English"})
    EXPECT_EQ(GetLanguageName(setting), setting);
}

TEST_F(LanguageTable, SystemLanguageIsAskedAtEveryCall) {
  uint16_t current = 1031;
  SetSystemLanguageIdSource([&current] { return current; });
  EXPECT_EQ(GetLanguageName(u""), u"German");
  current = 1028;
  EXPECT_EQ(GetLanguageName(u""), u"ChineseT");
  EXPECT_EQ(GetLanguageNameById(0), u"ChineseT");
}

}  // namespace
