#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "popups/popup_placement.h"
#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/FORM_RTModeHintDialog.h"
#include "skin/Language_subroutines.h"
#include "skin/qt/image_element.h"
#include "skin/qt/qt_display.h"
#include "skin/ui_integer.h"
#include "tests/popups/popup_fixture.h"

namespace {

class PopupFrame : public PopupTest {
 protected:
  void SetUp() override {
    PopupTest::SetUp();
    // Layout values are compared unscaled below.
    QWidget probe;
    ASSERT_EQ(GetWindowScaleFactor(&probe), 1.0f) << "the offscreen screen is expected at 96 dpi";
  }
};

TEST_F(PopupFrame, WithoutUiFileAndBackgroundTheLayoutStaysRectangular) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  EXPECT_EQ(popup.UiFile(), nullptr);
  EXPECT_TRUE(popup.BackgroundPath().empty());
  EXPECT_EQ(popup.size(), QSize(247, 136));
  EXPECT_EQ(popup.lb_LTKey->geometry(), QRect(0, 74, 247, 32));
  EXPECT_EQ(popup.TextLabel()->geometry(), QRect(0, 104, 247, 32));
  EXPECT_EQ(popup.lb_LTKey->font().family(), QStringLiteral("Tahoma"));
  EXPECT_TRUE(popup.lb_LTKey->font().bold());
  // The button-face colour shows behind the labels.
  EXPECT_EQ(popup.palette().color(QPalette::Window), popup.palette().color(QPalette::Button));

  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  EXPECT_TRUE(popup.isVisible());
  EXPECT_TRUE(popup.mask().isEmpty());
  EXPECT_EQ(popup.size(), QSize(247, 136));
}

TEST_F(PopupFrame, DataFolderDefaultsToTheOneBesideTheExecutable) {
  TformRTModeHintDialog popup;
  const std::string folder = popup.DataFolder();
  EXPECT_EQ(folder.substr(0, 1), "/");
  EXPECT_EQ(folder.substr(folder.size() - std::string("/Data/RTModeHint/").size()),
            "/Data/RTModeHint/");
}

TEST_F(PopupFrame, WindowNeverTakesTheFocusNorATaskbarEntry) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  const Qt::WindowFlags flags = popup.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(popup.testAttribute(Qt::WA_ShowWithoutActivating));
}

// Only a real window system decides about activation: the offscreen platform
// activates every shown window but a tooltip. Run under X11 with
//   QT_QPA_PLATFORM=xcb corvane_popups_tests --gtest_filter='*ActiveWindow*'
TEST_F(PopupFrame, NeverBecomesTheActiveWindow) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    GTEST_SKIP() << "needs X11, not " << QGuiApplication::platformName().toStdString();
  }
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  QWidget other;
  other.resize(200, 100);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(WaitUntil([&other] { return other.isActiveWindow(); }, 30000));

  for (int i = 0; i < 2; ++i) {
    popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 2"));
    WaitUntil([] { return false; }, 300);
    EXPECT_FALSE(popup.isActiveWindow());
    EXPECT_EQ(QApplication::activeWindow(), &other);
  }
}

// A compositing manager is stood in for by owning its selection from a
// connection of the test's own; the selection is free again once that
// connection closes.
class CompositingManagerStandIn {
 public:
  static constexpr char kSelection[] = "_NET_WM_CM_S0";

  CompositingManagerStandIn() : m_Connection(xcb_connect(nullptr, nullptr)) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_Connection)).data;
    const xcb_window_t owner = xcb_generate_id(m_Connection);
    xcb_create_window(m_Connection, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        m_Connection, xcb_intern_atom(m_Connection, 0, sizeof kSelection - 1, kSelection), nullptr);
    xcb_set_selection_owner(m_Connection, owner, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    std::free(xcb_get_input_focus_reply(m_Connection, xcb_get_input_focus(m_Connection), nullptr));
  }
  ~CompositingManagerStandIn() { xcb_disconnect(m_Connection); }

 private:
  xcb_connection_t* m_Connection;
};

uint8_t WindowDepth(const QWidget& window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
      x11->connection(), xcb_get_geometry(x11->connection(), window.winId()), nullptr);
  const uint8_t depth = geometry != nullptr ? geometry->depth : 0;
  std::free(geometry);
  return depth;
}

// Run under X11 like the activation test above. With a compositing manager
// the popup is an ARGB window whose cut-away corners are transparent
// pixels; without one it is an opaque window cut by its shape.
TEST_F(PopupFrame, OutlineIsTransparencyWhereACompositingManagerBlends) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    GTEST_SKIP() << "needs X11, not " << QGuiApplication::platformName().toStdString();
  }
  const std::string folder = Folder("LTKeyHint");
  WritePicture(folder, "English", "LTKeyHint_Background.png", RoundedPicture(247, 136, 6));
  for (const bool compositing : {false, true}) {
    SCOPED_TRACE(compositing ? "with a compositing manager" : "without one");
    std::optional<CompositingManagerStandIn> manager;
    if (compositing) manager.emplace();
    TformLTKeyHintDialog popup(folder);
    popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
    ProcessEvents();
    EXPECT_EQ(popup.testAttribute(Qt::WA_TranslucentBackground), compositing);
    EXPECT_EQ(WindowDepth(popup), compositing ? 32 : 24);
    EXPECT_FALSE(popup.mask().contains(QPoint(0, 0))) << "the shape stays the input region";
    const QImage& picture = popup.BackgroundImage()->Picture();
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), compositing ? 0 : 255);
    EXPECT_EQ(qAlpha(picture.pixel(123, 68)), 255);
  }
}

// A background that is found but cannot be decoded leaves no shape; the
// popup must then stay an opaque rectangle rather than blend away to nothing.
TEST_F(PopupFrame, UndecodableBackgroundStaysOpaqueWhereACompositingManagerBlends) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    GTEST_SKIP() << "needs X11, not " << QGuiApplication::platformName().toStdString();
  }
  const std::string folder = Folder("LTKeyHint");
  QDir().mkpath(QString::fromStdString(folder + "English"));
  QFile broken(QString::fromStdString(folder + "English/LTKeyHint_Background.png"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not a picture");
  broken.close();
  CompositingManagerStandIn manager;
  TformLTKeyHintDialog popup(folder);
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  ProcessEvents();
  EXPECT_TRUE(popup.mask().isEmpty());
  EXPECT_TRUE(popup.autoFillBackground()) << "the button face must fill the whole popup";
}

TEST_F(PopupFrame, ShowPlacesThePopupAtTheBottomRightOfThePrimaryWorkArea) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 3"));
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  const PopupPosition expected = BottomRightPopupPosition(
      {work.x(), work.y(), work.width(), work.height()}, popup.width(), popup.height(), 1.0f);
  EXPECT_EQ(popup.pos(), QPoint(expected.left, expected.top));
}

struct BackgroundCase {
  const char* name;
  std::vector<std::string> files;  // "language/file"
  std::string expected;            // relative to the data folder, empty for none
};

class BackgroundChoice : public PopupTest, public testing::WithParamInterface<BackgroundCase> {};

TEST_P(BackgroundChoice, LanguageFolder1033FirstThenEnglishPngBeforeBmp) {
  // The menu's language (here the system's, Simplified Chinese) never
  // changes the popups' resources.
  SetSystemLanguageIdSource([] { return uint16_t{2052}; });
  const std::string folder = Folder("LTKeyHint");
  for (const std::string& file : GetParam().files) {
    const size_t slash = file.find('/');
    WritePicture(folder, file.substr(0, slash), file.substr(slash + 1),
                 RoundedPicture(247, 136, 4));
  }
  TformLTKeyHintDialog popup(folder);
  SetSystemLanguageIdSource({});
  EXPECT_EQ(popup.LanguageName(), u"1033");
  const std::string expected = GetParam().expected.empty() ? "" : folder + GetParam().expected;
  EXPECT_EQ(popup.BackgroundPath(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, BackgroundChoice,
    testing::Values(
        BackgroundCase{"None", {}, ""},
        BackgroundCase{"EnglishPngOnly",
                       {"English/LTKeyHint_Background.png"},
                       "English/LTKeyHint_Background.png"},
        BackgroundCase{"EnglishPngBeforeBmp",
                       {"English/LTKeyHint_Background.bmp", "English/LTKeyHint_Background.png"},
                       "English/LTKeyHint_Background.png"},
        BackgroundCase{"Folder1033BeforeEnglish",
                       {"1033/LTKeyHint_Background.bmp", "English/LTKeyHint_Background.png"},
                       "1033/LTKeyHint_Background.bmp"},
        BackgroundCase{"ChineseFolderIsNotUsed",
                       {"ChineseS/LTKeyHint_Background.png", "English/LTKeyHint_Background.bmp"},
                       "English/LTKeyHint_Background.bmp"}),
    [](const testing::TestParamInfo<BackgroundCase>& info) { return info.param.name; });

// Cut at creation, so the first show does no more work than the next ones.
TEST_F(PopupFrame, ShapeIsCutOnceAtCreationAndNeverRebuilt) {
  const std::string folder = Folder("LTKeyHint");
  WritePicture(folder, "English", "LTKeyHint_Background.png", RoundedPicture(247, 136, 6));
  TformLTKeyHintDialog popup(folder);
  EXPECT_EQ(popup.size(), QSize(247, 136));
  const QRegion firstShape = popup.mask();
  EXPECT_FALSE(firstShape.contains(QPoint(0, 0)));
  EXPECT_FALSE(firstShape.contains(QPoint(246, 135)));
  EXPECT_TRUE(firstShape.contains(QPoint(6, 0)));
  EXPECT_TRUE(firstShape.contains(QPoint(123, 68)));

  // A different picture now: the first show, a show while visible and one
  // after hiding keep the shape.
  WritePicture(folder, "English", "LTKeyHint_Background.png", RoundedPicture(247, 136, 30));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 2"));
  popup.hide();
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 3"));
  EXPECT_EQ(popup.mask(), firstShape);
}

TEST_F(PopupFrame, BackgroundPictureSetsThePopupSize) {
  const std::string folder = Folder("RTModeHint");
  WritePicture(folder, "English", "RTModeHint_Background.png", RoundedPicture(300, 150, 4));
  TformRTModeHintDialog popup(folder);
  EXPECT_EQ(popup.size(), QSize(300, 150));
  EXPECT_EQ(popup.BackgroundImage()->geometry(), QRect(0, 0, 300, 150));
}

TEST_F(PopupFrame, UiDescriptionReachesTheFramesElements) {
  const std::string folder = Folder("RTModeHint");
  WriteUiFile(folder,
              "[English]\n"
              "formRTModeHintDialog->lb_RTMode->Position=rectp,0,10,247,40\n"
              "[Default]\n"
              "lb_RTMode->Position=rectp,0,0,1,1\n"
              "lb_Text->Font->Color=rgb,255,255,255\n"
              "lb_WASD->Position=rectwh,4,4,100,20\n");
  TformRTModeHintDialog popup(folder);
  ASSERT_NE(popup.UiFile(), nullptr);
  EXPECT_EQ(popup.lb_RTMode->geometry(), QRect(0, 10, 247, 30));
  EXPECT_EQ(popup.TextLabel()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
  EXPECT_EQ(popup.lb_WASD->geometry(), QRect(4, 4, 99, 19));
}

TEST_F(PopupFrame, NumberThatIsNoIntegerEndsCreation) {
  const std::string folder = Folder("LTKeyHint");
  WriteUiFile(folder, "[Default]\nlb_Text->Font->Size=14pt\n");
  EXPECT_THROW(TformLTKeyHintDialog popup(folder), EConvertError);
  // The start-up report shows the error's text: it names the line to mend.
  try {
    TformLTKeyHintDialog popup(folder);
  } catch (const EConvertError& error) {
    EXPECT_EQ(error.what(), folder +
                                "UI.txt: [Default] lb_Text->Font->Size=14pt: "
                                "'14pt' is not a valid integer value");
  }
}

TEST_F(PopupFrame, EveryShowRestartsTheTimerAtTheFullInterval) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  QTimer* timer = popup.HideTimer();
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);

  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  ASSERT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2000);
  WaitUntil([] { return false; }, 300);
  EXPECT_LE(timer->remainingTime(), 1750);

  // The clock starts before the show, so it has run at least as long as a
  // restarted timer: a busy machine cannot make the timer look older.
  QElapsedTimer sinceShow;
  sinceShow.start();
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 2"));
  EXPECT_TRUE(popup.isVisible());
  const int remaining = timer->remainingTime();
  EXPECT_GE(remaining, 2000 - sinceShow.elapsed() - 1) << "the show did not restart the timer";
}

TEST_F(PopupFrame, TimerExpiryHidesAndDisablesTheTimer) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  popup.HideTimer()->start(1);  // expire now instead of in 2 s
  ASSERT_TRUE(WaitUntil([&popup] { return !popup.isVisible(); }, 30000));
  EXPECT_FALSE(popup.HideTimer()->isActive());
  ASSERT_FALSE(m_Trace.empty());
  EXPECT_EQ(m_Trace.back(), "popup LTKeyHint hide");
}

TEST_F(PopupFrame, TraceHasOneLinePerShowAndPerHide) {
  TformRTModeHintDialog popup(Folder("RTModeHint"));
  const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
  const PopupPosition at =
      BottomRightPopupPosition({work.x(), work.y(), work.width(), work.height()}, 247, 136, 1.0f);
  const std::string where =
      " x=" + std::to_string(at.left) + " y=" + std::to_string(at.top) + " w=247 h=136";

  popup.ShowHintText(1, QStringLiteral("RT Mode"), QStringLiteral("Standard \"A\\B\""));
  // Shown again while visible: the popup stays mapped, so there is no hide.
  popup.ShowHintText(2, QStringLiteral("RT Mode"), QStringLiteral("Rapid Trigger"));
  popup.hide();
  const int size = popup.TextLabel()->font().pointSize();
  const std::vector<std::string> expected{
      "popup RTModeHint show title=\"RT Mode\" text=\"Standard \\\"A\\\\B\\\"\"" + where +
          " align=center size=" + std::to_string(size),
      "popup RTModeHint show title=\"RT Mode\" text=\"Rapid Trigger\"" + where +
          " align=center size=" + std::to_string(size),
      "popup RTModeHint hide",
  };
  EXPECT_EQ(m_Trace, expected);
}

}  // namespace
