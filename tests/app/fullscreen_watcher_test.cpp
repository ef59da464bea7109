// The full-screen watcher and the X11 window state against a real X server
// with a window manager: run inside run-in-x-session.sh.
#include "app/qt/fullscreen_watcher.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>
#include <vector>

#include "tests/support/qt_test_app.h"
#include "tests/support/recording_poster.h"

namespace {

// Spins the event loop until `done` holds or the deadline passes.
template <typename Predicate>
bool SpinUntil(Predicate done, int milliseconds = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void Wmctrl(const QStringList& arguments) {
  ASSERT_EQ(QProcess::execute(QStringLiteral("wmctrl"), arguments), 0)
      << arguments.join(' ').toStdString();
}

class FullScreenWatcherTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { TestApplication(); }

  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
        << "this test needs a real X server";
    m_Watcher = FullScreenWatcher::Create(m_Poster);
    ASSERT_NE(m_Watcher, nullptr);
    m_Window.setWindowTitle(QStringLiteral("corvane-fullscreen-target"));
    m_Window.resize(300, 200);
    m_Window.show();
    // The window manager may take a moment to manage a new window on a busy
    // machine: activate it by title until it is found, then wait for the
    // root window to name it.
    const QString title = m_Window.windowTitle();
    ASSERT_TRUE(SpinUntil(
        [&] {
          return QProcess::execute(QStringLiteral("wmctrl"), {"-a", title}) == 0;
        },
        15000))
        << "the window manager never managed the test window";
    ASSERT_TRUE(SpinUntil([&] { return m_Watcher->X11State()->ActiveWindow() != 0; }, 30000))
        << "no active window";
  }

  // The full-screen notifications posted so far: lParam of each.
  std::vector<intptr_t> Notifications() {
    std::vector<intptr_t> values;
    for (const Message& m : m_Poster.Messages()) {
      EXPECT_EQ(m.msg, UM_APPBAR);
      EXPECT_EQ(m.wParam, ABN_FULLSCREENAPP);
      values.push_back(m.lParam);
    }
    return values;
  }

  RecordingPoster m_Poster;
  std::unique_ptr<FullScreenWatcher> m_Watcher;
  QWidget m_Window;
};

TEST_F(FullScreenWatcherTest, PostsOnlyRealChangesOfTheActiveWindowsFullScreenState) {
  const QString title = m_Window.windowTitle();
  Wmctrl({"-a", title});
  Wmctrl({"-r", title, "-b", "add,fullscreen"});
  ASSERT_TRUE(SpinUntil([&] { return Notifications().size() == 1; }))
      << "no full-screen notification";
  EXPECT_EQ(Notifications(), std::vector<intptr_t>{1});
  const X11WindowState& state = *m_Watcher->X11State();
  EXPECT_TRUE(state.ActiveWindowIsFullScreen());
  EXPECT_TRUE(state.IsTopMost(state.ActiveWindow()));

  // Writing the state again without a change posts nothing.
  Wmctrl({"-r", title, "-b", "add,fullscreen"});
  SpinUntil([] { return false; }, 300);
  EXPECT_EQ(Notifications().size(), 1u);

  Wmctrl({"-r", title, "-b", "remove,fullscreen"});
  ASSERT_TRUE(SpinUntil([&] { return Notifications().size() == 2; }));
  EXPECT_EQ(Notifications(), (std::vector<intptr_t>{1, 0}));
}

TEST_F(FullScreenWatcherTest, AboveCountsAsTopMostButIsNotFullScreen) {
  const QString title = m_Window.windowTitle();
  Wmctrl({"-a", title});
  Wmctrl({"-r", title, "-b", "add,above"});
  const X11WindowState& state = *m_Watcher->X11State();
  ASSERT_TRUE(SpinUntil([&] { return state.IsTopMost(state.ActiveWindow()); }));
  EXPECT_FALSE(state.ActiveWindowIsFullScreen());
  SpinUntil([] { return false; }, 300);
  EXPECT_TRUE(Notifications().empty());
  Wmctrl({"-r", title, "-b", "remove,above"});
  EXPECT_TRUE(SpinUntil([&] { return !state.IsTopMost(state.ActiveWindow()); }));
}

TEST_F(FullScreenWatcherTest, VanishedWindowReadsAsNotTopMost) {
  const X11WindowState& state = *m_Watcher->X11State();
  EXPECT_FALSE(state.IsTopMost(0));
  EXPECT_FALSE(state.IsTopMost(0x7FFFFFF0));  // no such window
}

}  // namespace
