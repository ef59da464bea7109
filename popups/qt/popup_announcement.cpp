#include "popups/qt/popup_announcement.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>
#include <QWidget>

namespace {

// The popups carry this property; the factory below gives them the alert
// role, which screen readers speak as soon as such a window shows.
constexpr const char* kAlertProperty = "corvaneAlert";

QAccessibleInterface* AlertFactory(const QString& /*className*/, QObject* object) {
  if (object == nullptr || !object->isWidgetType() || !object->property(kAlertProperty).toBool())
    return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
}

}  // namespace

void MarkAsAlert(QWidget* popup) {
  static const bool installed = [] {
    QAccessible::installFactory(&AlertFactory);
    return true;
  }();
  (void)installed;
  popup->setProperty(kAlertProperty, true);
}

void SetAlertText(QWidget* popup, const QString& title, const QString& text) {
  popup->setAccessibleName(title);
  popup->setAccessibleDescription(text);
}

void AnnounceAlertAgain(QWidget* popup) {
  QAccessibleEvent event(popup, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&event);
}
