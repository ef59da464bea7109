#include "skin/qt/qt_ui_toolkit.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QObject>
#include <QPalette>
#include <QWidget>

#include "skin/qt/qt_display.h"

namespace {

void ApplyStyle(QFont& font, UiFontStyle style) {
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  font.setStrikeOut(style.strikeOut);
}

template <typename Change>
void ChangeFont(QWidget* widget, Change&& change) {
  if (widget == nullptr) return;
  QFont font = widget->font();
  change(font);
  widget->setFont(font);
}

template <typename Change>
void ChangePalette(QWidget* widget, Change&& change) {
  if (widget == nullptr) return;
  QPalette palette = widget->palette();
  change(palette);
  widget->setPalette(palette);
}

void SetTextColor(QWidget* widget, UiColor color) {
  ChangePalette(widget, [color](QPalette& palette) {
    palette.setColor(QPalette::WindowText, ToQColor(color));
    palette.setColor(QPalette::Text, ToQColor(color));
  });
}

}  // namespace

QColor ToQColor(UiColor color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

UiColor FromQColor(const QColor& color) {
  return static_cast<UiColor>(color.red()) | (static_cast<UiColor>(color.green()) << 8) |
         (static_cast<UiColor>(color.blue()) << 16);
}

QtObjectElement::QtObjectElement(QString kindName, QObject* object)
    : m_KindName(std::move(kindName)), m_Object(object) {}

std::u16string QtObjectElement::KindName() const { return m_KindName.toStdU16String(); }

std::u16string QtObjectElement::ElementName() const {
  return m_Object ? m_Object->objectName().toStdU16String() : std::u16string();
}

QtWidgetElement::QtWidgetElement(QString kindName, QWidget* widget, QLabel* caption)
    : QtObjectElement(std::move(kindName), widget), m_Widget(widget), m_Caption(caption) {}

void QtWidgetElement::SetLeft(int32_t left) {
  if (m_Widget) m_Widget->move(left, m_Widget->y());
}

void QtWidgetElement::SetTop(int32_t top) {
  if (m_Widget) m_Widget->move(m_Widget->x(), top);
}

// Qt takes a negative size as 0, as the layouts do.
void QtWidgetElement::SetWidth(int32_t width) {
  if (m_Widget) m_Widget->resize(width, m_Widget->height());
}

void QtWidgetElement::SetHeight(int32_t height) {
  if (m_Widget) m_Widget->resize(m_Widget->width(), height);
}

void QtWidgetElement::SetColor(UiColor color) {
  if (!m_Widget) return;
  ChangePalette(m_Widget, [color](QPalette& palette) {
    palette.setColor(QPalette::Window, ToQColor(color));
  });
  m_Widget->setAutoFillBackground(true);
}

void QtWidgetElement::SetFontName(const std::u16string& name) {
  ChangeFont(m_Widget, [&name](QFont& font) { font.setFamily(QString::fromStdU16String(name)); });
}

// QFont refuses sizes below 1 with a warning; such a size changes nothing.
void QtWidgetElement::SetFontSize(int32_t points) {
  if (points <= 0) return;
  ChangeFont(m_Widget, [points](QFont& font) { font.setPointSize(points); });
}

void QtWidgetElement::SetFontColor(UiColor color) { SetTextColor(m_Widget, color); }

void QtWidgetElement::SetFontStyle(UiFontStyle style) {
  ChangeFont(m_Widget, [style](QFont& font) { ApplyStyle(font, style); });
}

void QtWidgetElement::SetCaptionFontName(const std::u16string& name) {
  ChangeFont(m_Caption, [&name](QFont& font) { font.setFamily(QString::fromStdU16String(name)); });
}

void QtWidgetElement::SetCaptionFontColor(UiColor color) { SetTextColor(m_Caption, color); }

void QtWidgetElement::SetCaptionFontStyle(UiFontStyle style) {
  ChangeFont(m_Caption, [style](QFont& font) { ApplyStyle(font, style); });
}

void QtWidgetElement::SetEditColor(UiColor color) {
  ChangePalette(m_Widget,
                [color](QPalette& palette) { palette.setColor(QPalette::Base, ToQColor(color)); });
}

QtUiWindow::QtUiWindow(QWidget* form) : m_Form(form) {}

void QtUiWindow::AddWidget(const QString& kindName, QWidget* widget) {
  m_Elements.push_back(std::make_unique<QtWidgetElement>(kindName, widget));
}

void QtUiWindow::AddLabeledEdit(const QString& kindName, QWidget* edit, QLabel* caption) {
  m_Elements.push_back(std::make_unique<QtWidgetElement>(kindName, edit, caption));
}

void QtUiWindow::AddObject(const QString& kindName, QObject* object) {
  m_Elements.push_back(std::make_unique<QtObjectElement>(kindName, object));
}

std::u16string QtUiWindow::Name() const {
  return m_Form ? m_Form->objectName().toStdU16String() : std::u16string();
}

WindowHandle QtUiWindow::NativeHandle() { return QtWindowHandle(m_Form); }

int32_t QtUiWindow::ElementCount() const { return static_cast<int32_t>(m_Elements.size()); }

UiElement* QtUiWindow::ElementAt(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= m_Elements.size()) return nullptr;
  return m_Elements[static_cast<size_t>(index)].get();
}
