// SIGTERM, SIGINT and SIGHUP reach the event loop as a close, once per signal, and
// no longer once the receiving object is gone.
#include "app/qt/termination_signal.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

#include "tests/support/qt_test_app.h"

namespace {

void ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < milliseconds) {
    TestApplication().processEvents(QEventLoop::AllEvents, 20);
  }
}

TEST(TerminationSignal, EachSignalClosesOnceThroughTheEventLoop) {
  TestApplication();
  QObject window;
  int closes = 0;
  // A hang-up ignored from the start stays ignored; this test wants it heard.
  ::signal(SIGHUP, SIG_DFL);
  ASSERT_TRUE(CloseOnTerminationSignal(&window, [&closes] { ++closes; }));

  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    const int before = closes;
    EXPECT_FALSE(TerminationPending());
    ASSERT_EQ(::raise(signalNumber), 0);  // the default action would end this test
    EXPECT_EQ(closes, before) << "the close must wait for the event loop";
    // Work that holds the event loop can see the signal meanwhile.
    EXPECT_TRUE(TerminationPending());
    ProcessEventsUntil([&] { return closes > before; });
    EXPECT_EQ(closes, before + 1);
    EXPECT_FALSE(TerminationPending());
  }
}

TEST(TerminationSignal, NothingIsCalledOnceTheWindowIsGone) {
  TestApplication();
  int closes = 0;
  {
    QObject window;
    ASSERT_TRUE(CloseOnTerminationSignal(&window, [&closes] { ++closes; }));
  }
  ASSERT_EQ(::raise(SIGTERM), 0);
  ProcessEventsUntil([] { return false; }, 300);
  EXPECT_EQ(closes, 0);
}

TEST(TerminationSignal, NoContextIsRefused) {
  EXPECT_FALSE(CloseOnTerminationSignal(nullptr, [] {}));
}

}  // namespace
