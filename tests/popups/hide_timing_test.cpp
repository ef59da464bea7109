#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "tests/popups/popup_fixture.h"

namespace {

class HideTiming : public PopupTest {};

// Waits about 3.5 s of real time. Each clock starts before its show, so the
// time it measures is never shorter than the popup's: a busy machine can only
// make it longer, and only the lower bound is a fault.
TEST_F(HideTiming, TwoNotificationsApartHide2000msAfterTheSecond) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  QElapsedTimer sinceFirst;
  sinceFirst.start();
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  WaitUntil([] { return false; }, 1500);
  if (!popup.isVisible()) {
    ASSERT_GE(sinceFirst.elapsed(), 1950) << "the popup hid before its 2 s";
  }

  QElapsedTimer sinceSecond;
  sinceSecond.start();
  popup.ShowHintText(QStringLiteral("CPI"), QStringLiteral("CPI 800"));
  ASSERT_TRUE(WaitUntil([&popup] { return !popup.isVisible(); }, 30000));
  // Hidden 2 s after the first show would be 0.5 s after the second.
  EXPECT_GE(sinceSecond.elapsed(), 1950);
}

}  // namespace
