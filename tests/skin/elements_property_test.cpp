#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "skin/Language_elementsproperty.h"
#include "skin/Ui_releaseelements.h"
#include "skin/text_helpers.h"
#include "tests/skin/fake_ui_toolkit.h"
#include "tests/skin/rect_printer.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Log = std::vector<std::string>;

constexpr uint16_t kEnglish = 1033;

// A UI.txt in a fresh folder, and a display at a chosen density.
class UiDescriptionFixture : public testing::Test {
 protected:
  void SetUp() override {
    SetDisplayStateSource([this](WindowHandle window) {
      m_AskedWindows.push_back(window);
      DisplayState display;
      display.monitors = {{1, m_PixelsPerInch}};
      return display;
    });
  }
  void TearDown() override { SetDisplayStateSource({}); }

  std::string Write(const std::string& text) {
    const fs::path file = m_Folder / "UI.txt";
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

  TempDir m_Temp{"corvane-engine"};
  const fs::path& m_Folder = m_Temp.Path();
  uint32_t m_PixelsPerInch = 96;
  std::vector<WindowHandle> m_AskedWindows;
};

using ApplyUiDescriptionTest = UiDescriptionFixture;

TEST_F(ApplyUiDescriptionTest, WindowQualifiedKeyBeatsElementKey) {
  const std::string path = Write(
      "[English]\nformLTKeyHintDialog->lb_Text->Position = rectp,0,100,247,132\n"
      "[Default]\nlb_Text->Position = rectp,0,0,10,10\nlb_Other->Position = rectwh,0,100,247,32\n");
  RecordingWindow window(u"formLTKeyHintDialog", 0x77);
  RecordingElement& text = window.Add(u"TLabel", u"lb_Text");
  RecordingElement& other = window.Add(u"TLabel", u"lb_Other");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
  EXPECT_EQ(text.log, (Log{"left=0", "top=100", "width=247", "height=32"}));
  EXPECT_EQ(other.log, (Log{"left=0", "top=100", "width=246", "height=31"}));
  EXPECT_EQ(m_AskedWindows, (std::vector<WindowHandle>{0x77, 0x77}));
}

struct PositionCase {
  const char* value;
  uint32_t pixelsPerInch;
  Log expected;
};

TEST_F(ApplyUiDescriptionTest, PositionsAreScaledForTheWindowsMonitor) {
  const PositionCase cases[] = {
      {"rectp,10,20,110,50", 96, {"left=10", "top=20", "width=100", "height=30"}},
      {"rectp,10,20,110,50", 144, {"left=15", "top=30", "width=150", "height=45"}},
      {"rectwh,10,20,100,30", 96, {"left=10", "top=20", "width=99", "height=29"}},
      {"rectwh,10,20,100,30", 144, {"left=15", "top=30", "width=149", "height=44"}},
      {"rectwh,10,20,100,30", 120, {"left=13", "top=25", "width=124", "height=36"}},
      // An unknown tag puts the element in its parent's corner with no size.
      {"circle,1,2,3,4", 144, {"left=0", "top=0", "width=0", "height=0"}},
  };
  for (const PositionCase& c : cases) {
    m_PixelsPerInch = c.pixelsPerInch;
    const std::string path = Write(std::string("[Default]\nlb->Position=") + c.value + "\n");
    RecordingWindow window(u"form");
    RecordingElement& label = window.Add(u"TLabel", u"lb");
    TlanguageElementsProperty record;
    ASSERT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
    EXPECT_EQ(label.log, c.expected) << c.value << " at " << c.pixelsPerInch;
  }
}

TEST_F(ApplyUiDescriptionTest, EmptyLanguageEntryFallsThroughToDefault) {
  const std::string path =
      Write("[English]\nlb_Text->Font->Size=\n[Default]\nlb_Text->Font->Size=20\n");
  RecordingWindow window(u"form");
  RecordingElement& label = window.Add(u"TLabel", u"lb_Text");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
  EXPECT_EQ(label.log, (Log{"size=20"}));
}

TEST_F(ApplyUiDescriptionTest, GlobalBoldOtherThanOneWinsOverElementBold) {
  const std::string path =
      Write("[English]\nFontStyleBold=0\n[Default]\nlb_Text->FontStyle->Bold=1\n");
  RecordingWindow window(u"form");
  RecordingElement& label = window.Add(u"TLabel", u"lb_Text");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
  EXPECT_TRUE(label.log.empty());
}

TEST_F(ApplyUiDescriptionTest, MemoDefaultsApplyOnlyWithoutElementValues) {
  const std::string path =
      Write("[Default]\nDefaultFontSize=9\nDefaultFontColor=rgb,1,2,3\nlb_Memo->Font->Size=12\n");
  RecordingWindow window(u"form");
  RecordingElement& memo = window.Add(u"TMemo", u"lb_Memo");
  RecordingElement& bare = window.Add(u"TMemo", u"lb_Bare");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
  EXPECT_EQ(memo.log, (Log{"size=12", "fontcolor=197121"}));
  EXPECT_EQ(bare.log, (Log{"size=9", "fontcolor=197121"}));
}

TEST_F(ApplyUiDescriptionTest, WindowWithoutElementsSucceeds) {
  const std::string path = Write("[Default]\nFontName=Tahoma\n");
  RecordingWindow window(u"form");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u""));
}

TEST_F(ApplyUiDescriptionTest, MissingFileChangesNothing) {
  RecordingWindow window(u"form");
  RecordingElement& label = window.Add(u"TLabel", u"lb");
  TlanguageElementsProperty record;
  EXPECT_FALSE(ApplyUiDescription(record, window, (m_Folder / "absent.txt").string(), kEnglish,
                                  u"Face", u"_Dark"));
  EXPECT_TRUE(label.log.empty());
  EXPECT_EQ(record.m_Description, nullptr);
  EXPECT_EQ(record.m_Section, u"");
  EXPECT_EQ(record.m_DefaultSection, u"Default");
}

TEST_F(ApplyUiDescriptionTest, SuffixSelectsSuffixedSections) {
  const std::string path = Write(
      "[English]\nlb->Font->Size=1\n[English_Dark]\nlb->Font->Size=2\n"
      "[Default]\nlb->Color=rgb,6,0,0\n[Default_Dark]\nlb->Color=rgb,5,0,0\n");
  RecordingWindow window(u"form");
  RecordingElement& label = window.Add(u"TLabel", u"lb");
  TlanguageElementsProperty record;
  EXPECT_TRUE(ApplyUiDescription(record, window, path, kEnglish, u"", u"_Dark"));
  EXPECT_EQ(label.log, (Log{"color=5", "size=2"}));
  EXPECT_EQ(record.m_Section, u"English_Dark");
  EXPECT_EQ(record.m_DefaultSection, u"Default_Dark");
}

TEST_F(ApplyUiDescriptionTest, SecondApplicationStartsAfresh) {
  TlanguageElementsProperty record;
  RecordingWindow window(u"form");
  RecordingElement& label = window.Add(u"TLabel", u"lb");
  ASSERT_TRUE(ApplyUiDescription(record, window, Write("[Default_Dark]\nlb->Font->Size=3\n"),
                                 kEnglish, u"", u"_Dark"));
  ASSERT_TRUE(ApplyUiDescription(record, window, Write("[Default_Dark]\nlb->Font->Size=4\n"),
                                 kEnglish, u"", u"_Dark"));
  EXPECT_EQ(record.m_DefaultSection, u"Default_Dark");
  EXPECT_EQ(label.log, (Log{"size=3", "size=4"}));
  EXPECT_EQ(LookupUiValue(record, u"lb->Font->Size"), u"4");
}

TEST_F(ApplyUiDescriptionTest, ConversionErrorStopsAtTheFailingElement) {
  const std::string path = Write(
      "[Default]\nlb_A->Font->Size=10\nlb_B->Color=rgb,7,0,0\nlb_B->Font->Size=abc\n"
      "lb_B->Font->Color=rgb,8,0,0\nlb_C->Font->Size=12\n");
  RecordingWindow window(u"form");
  RecordingElement& first = window.Add(u"TLabel", u"lb_A");
  RecordingElement& second = window.Add(u"TLabel", u"lb_B");
  RecordingElement& third = window.Add(u"TLabel", u"lb_C");
  TlanguageElementsProperty record;
  try {
    ApplyUiDescription(record, window, path, kEnglish, u"", u"");
    FAIL() << "no conversion error";
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.what(),
              path + ": [Default] lb_B->Font->Size=abc: 'abc' is not a valid integer value");
  }
  EXPECT_EQ(first.log, (Log{"size=10"}));
  EXPECT_EQ(second.log, (Log{"color=7"}));
  EXPECT_TRUE(third.log.empty());
  EXPECT_NE(record.m_Description, nullptr);
}

struct BrokenValueCase {
  const char* name;
  const char* kind;
  const char* description;
  // What follows "<path>: " in the error's text.
  const char* report;
  friend void PrintTo(const BrokenValueCase& c, std::ostream* os) { *os << c.name; }
};

class BrokenValue : public UiDescriptionFixture,
                    public testing::WithParamInterface<BrokenValueCase> {};

// A value that does not convert is reported with the file, the section and
// the key it was found under, and the value as written.
TEST_P(BrokenValue, ReportNamesTheFileSectionKeyAndValue) {
  const BrokenValueCase& c = GetParam();
  const std::string path = Write(c.description);
  RecordingWindow window(u"formLTKeyHintDialog");
  window.Add(Utf8ToUtf16(c.kind), u"lb_Text");
  TlanguageElementsProperty record;
  try {
    ApplyUiDescription(record, window, path, kEnglish, u"", u"");
    FAIL() << "no conversion error";
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.what(), path + ": " + c.report);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, BrokenValue,
    testing::Values(
        BrokenValueCase{"FontSizeWithUnit", "TLabel", "[Default]\nlb_Text->Font->Size=14pt\n",
                        "[Default] lb_Text->Font->Size=14pt: '14pt' is not a valid integer value"},
        BrokenValueCase{"WindowQualifiedKeyInTheLanguageSection", "TLabel",
                        "[English]\nformLTKeyHintDialog->lb_Text->Font->Size = 1 4\n"
                        "[Default]\nlb_Text->Font->Size=14\n",
                        "[English] formLTKeyHintDialog->lb_Text->Font->Size=1 4: "
                        "'1 4' is not a valid integer value"},
        BrokenValueCase{"RectangleWithoutNumbers", "TLabel", "[Default]\nlb_Text->Position=rectp\n",
                        "[Default] lb_Text->Position=rectp: '' is not a valid integer value"},
        BrokenValueCase{
            "RectangleWithAWord", "TImage", "[Default]\nlb_Text->Position=rectwh,0,0,wide,10\n",
            "[Default] lb_Text->Position=rectwh,0,0,wide,10: 'wide' is not a valid integer value"},
        BrokenValueCase{"ColourWithTwoNumbers", "TLabel", "[Default]\nlb_Text->Color=rgb,1,2\n",
                        "[Default] lb_Text->Color=rgb,1,2: '' is not a valid integer value"},
        BrokenValueCase{
            "FontColour", "TEdit", "[Default]\nlb_Text->Font->Color=RGB,1,2,x\n",
            "[Default] lb_Text->Font->Color=RGB,1,2,x: 'x' is not a valid integer value"},
        BrokenValueCase{"MemoDefaultFontSize", "TMemo", "[Default]\nDefaultFontSize=9.5\n",
                        "[Default] DefaultFontSize=9.5: '9.5' is not a valid integer value"},
        BrokenValueCase{"EditColour", "TAdvEdit", "[English]\nlb_Text->Color=rgb,,1,1\n",
                        "[English] lb_Text->Color=rgb,,1,1: '' is not a valid integer value"}),
    [](const testing::TestParamInfo<BrokenValueCase>& info) { return info.param.name; });

// One description with every element key and one with the global keys; the
// per-kind steps decide what each kind takes and in which order.
constexpr const char* kElementKeys =
    "[Default]\n"
    "e->Position=rectp,1,2,11,22\n"
    "e->Color=rgb,1,0,0\n"
    "e->Font->Name=ElemFace\n"
    "e->Font->Size=9\n"
    "e->Font->Color=rgb,2,0,0\n"
    "e->FontStyle->Bold=1\n"
    "DefaultFontSize=7\n"
    "DefaultFontColor=rgb,3,0,0\n";

constexpr const char* kGlobalKeys =
    "[English]\n"
    "FontName=GlobalFace\n"
    "FontStyleBold=1\n"
    "[Default]\n"
    "e->Font->Name=ElemFace\n"
    "e->FontStyle->Bold=0\n"
    "DefaultFontSize=7\n"
    "DefaultFontColor=rgb,3,0,0\n";

struct KindCase {
  std::string name;
  const char* description;
  std::u16string fontOverride;
  std::u16string kind;
  Log expected;
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

const Log kPos = {"left=1", "top=2", "width=10", "height=20"};

Log Pos(Log rest) {
  Log log = kPos;
  log.insert(log.end(), rest.begin(), rest.end());
  return log;
}

class KindSteps : public UiDescriptionFixture, public testing::WithParamInterface<KindCase> {};

TEST_P(KindSteps, ApplyTheirRowInOrder) {
  const KindCase& c = GetParam();
  RecordingWindow window(u"formTest");
  RecordingElement& element = window.Add(c.kind, u"e");
  TlanguageElementsProperty record;
  ASSERT_TRUE(
      ApplyUiDescription(record, window, Write(c.description), kEnglish, c.fontOverride, u""));
  EXPECT_EQ(element.log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ElementKeys, KindSteps,
    testing::Values(
        KindCase{"Label", kElementKeys, u"", u"TLabel",
                 Pos({"color=1", "font=ElemFace", "size=9", "fontcolor=2", "style=B"})},
        KindCase{"Edit", kElementKeys, u"", u"TEdit",
                 Pos({"color=1", "font=ElemFace", "size=9", "fontcolor=2", "style=B"})},
        KindCase{"CheckBox", kElementKeys, u"", u"TCheckBox",
                 Pos({"color=1", "font=ElemFace", "style=B", "size=9", "fontcolor=2"})},
        KindCase{"HTMLabel", kElementKeys, u"", u"THTMLabel",
                 Pos({"color=1", "font=ElemFace", "style=B", "size=9", "fontcolor=2"})},
        KindCase{"RadioButton", kElementKeys, u"", u"TRadioButton",
                 Pos({"color=1", "size=9", "fontcolor=2"})},
        KindCase{"RichEdit", kElementKeys, u"", u"TRichEdit",
                 Pos({"color=1", "size=9", "fontcolor=2"})},
        KindCase{"Button", kElementKeys, u"", u"TButton",
                 Pos({"font=ElemFace", "style=B", "size=9", "fontcolor=2"})},
        KindCase{"GradientLabel", kElementKeys, u"", u"TGradientLabel",
                 Pos({"color=1", "font=ElemFace", "size=9", "fontcolor=2", "style=B"})},
        KindCase{"Memo", kElementKeys, u"", u"TMemo",
                 Pos({"font=ElemFace", "style=B", "size=9", "fontcolor=2"})},
        KindCase{"LabeledEdit", kElementKeys, u"", u"TLabeledEdit",
                 Pos({"color=1", "caption.fontcolor=2"})},
        KindCase{"AdvEdit", kElementKeys, u"", u"TAdvEdit", Pos({"editcolor=1", "fontcolor=2"})},
        KindCase{"Panel", kElementKeys, u"", u"TPanel", kPos},
        KindCase{"AdvGroupBox", kElementKeys, u"", u"TAdvGroupBox", kPos},
        KindCase{"CurvyPanel", kElementKeys, u"", u"TCurvyPanel", kPos},
        KindCase{"Image", kElementKeys, u"", u"TImage", kPos},
        KindCase{"AdvCircularProgress", kElementKeys, u"", u"TAdvCircularProgress", kPos},
        KindCase{"Timer", kElementKeys, u"", u"TTimer", {}},
        KindCase{"DerivedLabel", kElementKeys, u"", u"TLabelEx", {}},
        KindCase{"KindCaseCounts", kElementKeys, u"", u"tlabel", {}}),
    [](const testing::TestParamInfo<KindCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    GlobalKeys, KindSteps,
    testing::Values(
        KindCase{"Label", kGlobalKeys, u"", u"TLabel", {"font=GlobalFace", "style=B"}},
        KindCase{"LabelOverride", kGlobalKeys, u"Over", u"TLabel", {"font=Over", "style=B"}},
        KindCase{"EditOverride", kGlobalKeys, u"Over", u"TEdit", {"font=Over", "style=B"}},
        KindCase{"CheckBoxOverride", kGlobalKeys, u"Over", u"TCheckBox", {"font=Over", "style=B"}},
        KindCase{"HTMLabelOverride", kGlobalKeys, u"Over", u"THTMLabel", {"font=Over", "style=B"}},
        KindCase{"RadioButton", kGlobalKeys, u"", u"TRadioButton", {"font=GlobalFace", "style=B"}},
        KindCase{"RichEditOverride", kGlobalKeys, u"Over", u"TRichEdit", {"font=Over", "style=B"}},
        KindCase{"ButtonOverride", kGlobalKeys, u"Over", u"TButton", {"font=Over", "style=B"}},
        KindCase{"GradientLabelIgnoresOverride",
                 kGlobalKeys,
                 u"Over",
                 u"TGradientLabel",
                 {"font=GlobalFace", "style=B"}},
        KindCase{"MemoIgnoresOverride",
                 kGlobalKeys,
                 u"Over",
                 u"TMemo",
                 {"font=GlobalFace", "style=B", "size=7", "fontcolor=3"}},
        KindCase{"LabeledEditCaptionTakesFontName",
                 kGlobalKeys,
                 u"",
                 u"TLabeledEdit",
                 {"caption.font=GlobalFace", "caption.style=B"}},
        KindCase{"LabeledEditOverrideGoesToEdit",
                 kGlobalKeys,
                 u"Over",
                 u"TLabeledEdit",
                 {"font=Over", "caption.style=B"}},
        KindCase{"AdvEdit", kGlobalKeys, u"", u"TAdvEdit", {"font=GlobalFace"}},
        KindCase{"AdvEditOverride", kGlobalKeys, u"Over", u"TAdvEdit", {"font=Over"}}),
    [](const testing::TestParamInfo<KindCase>& info) { return info.param.name; });

TEST(LookupUiValue, WithoutDescriptionIsEmpty) {
  TlanguageElementsProperty record;
  EXPECT_EQ(LookupUiValue(record, u"FontName"), u"");
}

TEST(ReleaseUiDescription, EmptiesTheReferenceAndAcceptsAnEmptyOne) {
  std::unique_ptr<UiDescription> description = UiDescription::FromBytes("[Default]\na=1\n");
  ASSERT_NE(description, nullptr);
  ReleaseUiDescription(description);
  EXPECT_EQ(description, nullptr);
  ReleaseUiDescription(description);
  EXPECT_EQ(description, nullptr);
}

}  // namespace
