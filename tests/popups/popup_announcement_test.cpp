#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>

#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/FORM_RTModeHintDialog.h"
#include "tests/popups/popup_fixture.h"

namespace {

struct SpokenAlert {
  QAccessible::Role role;
  QString name;
  QString description;
};

SpokenAlert AlertOf(QWidget* popup) {
  QAccessibleInterface* alert = QAccessible::queryAccessibleInterface(popup);
  if (alert == nullptr) return {QAccessible::NoRole, {}, {}};
  return {alert->role(), alert->text(QAccessible::Name), alert->text(QAccessible::Description)};
}

// Whether screen readers are told of each show is seen on a real
// accessibility bus (tests/e2e/accessibility_test.sh); the offscreen
// platform has none.
class PopupAnnouncement : public PopupTest {};

TEST_F(PopupAnnouncement, TheLTPopupIsAnAlertWithItsTitleAndWholeText) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  // Too long for the label: the screen shows it shortened, the alert says
  // all of it.
  const QString longText = QStringLiteral("Lighting Trigger with an unusually long name");
  popup.ShowHintText(QStringLiteral("LT Key"), longText);
  ASSERT_TRUE(popup.TextLabel()->text().endsWith(QStringLiteral("...")));

  SpokenAlert alert = AlertOf(&popup);
  EXPECT_EQ(alert.role, QAccessible::AlertMessage);
  EXPECT_EQ(alert.name, QStringLiteral("LT Key"));
  EXPECT_EQ(alert.description, longText);

  // Shown again while still on screen: the alert says the new notification.
  popup.ShowHintText(QStringLiteral("Mouse CPI"), QStringLiteral("CPI 2"));
  alert = AlertOf(&popup);
  EXPECT_EQ(alert.name, QStringLiteral("Mouse CPI"));
  EXPECT_EQ(alert.description, QStringLiteral("CPI 2"));
}

TEST_F(PopupAnnouncement, TheRTPopupIsAnAlertToo) {
  TformRTModeHintDialog popup(Folder("RTModeHint"));
  popup.ShowHintText(2, QStringLiteral("RT Mode"), QStringLiteral("Rapid Trigger"));
  const SpokenAlert alert = AlertOf(&popup);
  EXPECT_EQ(alert.role, QAccessible::AlertMessage);
  EXPECT_EQ(alert.name, QStringLiteral("RT Mode"));
  EXPECT_EQ(alert.description, QStringLiteral("Rapid Trigger"));
}

// Other widgets keep the toolkit's own accessible roles.
TEST_F(PopupAnnouncement, OnlyThePopupsAreAlerts) {
  TformLTKeyHintDialog popup(Folder("LTKeyHint"));
  QAccessibleInterface* label = QAccessible::queryAccessibleInterface(popup.TextLabel());
  ASSERT_NE(label, nullptr);
  EXPECT_NE(label->role(), QAccessible::AlertMessage);
}

}  // namespace
