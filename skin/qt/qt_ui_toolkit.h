// The property engine's toolkit on Qt widgets. A window is a QWidget whose
// objectName is its layout name; it registers its elements, in layout
// order, each under the kind name that UI descriptions use for it ("TLabel"
// for a QLabel, "TImage" for an ImageElement, "TTimer" for a QTimer ...).
// Element names are the objects' objectNames.
#pragma once

#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "skin/ui_toolkit.h"

class QColor;
class QLabel;
class QObject;
class QWidget;

// An element without bounds, colour or font (a timer, a menu action): the
// engine can name it but changes nothing on it.
class QtObjectElement : public UiElement {
 public:
  QtObjectElement(QString kindName, QObject* object);

  std::u16string KindName() const override;
  std::u16string ElementName() const override;

 private:
  QString m_KindName;
  QPointer<QObject> m_Object;
};

// A widget: bounds, background colour (palette Window with auto-fill) and
// font (face, point size, text colour, style). With a caption label (an edit
// with a caption) the caption's font is set separately. The edit colour is
// the palette's Base role.
class QtWidgetElement : public QtObjectElement {
 public:
  QtWidgetElement(QString kindName, QWidget* widget, QLabel* caption = nullptr);

  void SetLeft(int32_t left) override;
  void SetTop(int32_t top) override;
  void SetWidth(int32_t width) override;
  void SetHeight(int32_t height) override;
  void SetColor(UiColor color) override;
  void SetFontName(const std::u16string& name) override;
  void SetFontSize(int32_t points) override;
  void SetFontColor(UiColor color) override;
  void SetFontStyle(UiFontStyle style) override;
  void SetCaptionFontName(const std::u16string& name) override;
  void SetCaptionFontColor(UiColor color) override;
  void SetCaptionFontStyle(UiFontStyle style) override;
  void SetEditColor(UiColor color) override;

 private:
  QPointer<QWidget> m_Widget;
  QPointer<QLabel> m_Caption;
};

class QtUiWindow : public UiWindow {
 public:
  explicit QtUiWindow(QWidget* form);

  void AddWidget(const QString& kindName, QWidget* widget);
  void AddLabeledEdit(const QString& kindName, QWidget* edit, QLabel* caption);
  void AddObject(const QString& kindName, QObject* object);

  std::u16string Name() const override;
  WindowHandle NativeHandle() override;
  int32_t ElementCount() const override;
  UiElement* ElementAt(int32_t index) override;

 private:
  QPointer<QWidget> m_Form;
  std::vector<std::unique_ptr<UiElement>> m_Elements;
};

// 0x00BBGGRR as a QColor, and back.
QColor ToQColor(UiColor color);
UiColor FromQColor(const QColor& color);
