#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "popups/FORM_LTKeyHintDialog.h"
#include "tests/popups/popup_fixture.h"

namespace {

class HideTiming : public PopupTest {};

// Waits about 3.5 s of real time.
TEST_F(HideTiming, TwoNotificationsApartHide2000msAfterTheSecond) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  popup.ShowHintText(QStringLiteral("LT Key"), QStringLiteral("LT 1"));
  WaitUntil([] { return false; }, 1500);
  ASSERT_TRUE(popup.isVisible());

  QElapsedTimer sinceSecond;
  popup.ShowHintText(QStringLiteral("CPI"), QStringLiteral("CPI 800"));
  sinceSecond.start();
  ASSERT_TRUE(WaitUntil([&popup] { return !popup.isVisible(); }, 4000));
  const qint64 elapsed = sinceSecond.elapsed();
  EXPECT_GE(elapsed, 1950);
  EXPECT_LT(elapsed, 2600);
}

}  // namespace
