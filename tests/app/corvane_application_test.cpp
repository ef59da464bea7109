// The application object: what an event handler lets escape is reported and
// the program carries on with the events after it.
#include "app/qt/corvane_application.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QTimer>
#include <stdexcept>
#include <vector>

namespace {

// Handles numbered events; the ones listed in `throwing` throw from the
// handler, an exception of the standard kind or some other object.
class Receiver : public QObject {
 public:
  static QEvent::Type NumberedType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  struct Numbered : QEvent {
    explicit Numbered(int n) : QEvent(NumberedType()), number(n) {}
    int number;
  };

  bool event(QEvent* event) override {
    if (event->type() != NumberedType()) return QObject::event(event);
    const int number = static_cast<Numbered*>(event)->number;
    if (number == 2) throw std::runtime_error("handler two failed");
    if (number == 4) throw 42;
    handled.push_back(number);
    return true;
  }
  std::vector<int> handled;
};

TEST(CorvaneApplicationTest, AHandlerThatThrowsIsReportedAndLaterEventsAreHandled) {
  static int argc = 1;
  static char name[] = "corvane-application-test";
  static char* argv[] = {name, nullptr};
  CorvaneApplication application(argc, argv);
  Receiver receiver;
  for (int n = 1; n <= 5; ++n) {
    QCoreApplication::postEvent(&receiver, new Receiver::Numbered(n));
  }
  bool loopRan = false;
  QTimer::singleShot(50, [&] {
    loopRan = true;
    QCoreApplication::quit();
  });
  testing::internal::CaptureStderr();
  CorvaneApplication::exec();
  const std::string report = testing::internal::GetCapturedStderr();

  EXPECT_TRUE(loopRan) << "the message loop ended with the exception";
  EXPECT_EQ(receiver.handled, (std::vector<int>{1, 3, 5}));
  EXPECT_NE(report.find("handler two failed"), std::string::npos) << report;
  // Anything else thrown is reported as an exception without a message.
  EXPECT_NE(report.find("CorvaneNotification: \n"), std::string::npos) << report;
}

}  // namespace
