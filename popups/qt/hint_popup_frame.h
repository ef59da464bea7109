// The frame shared by the notification popups: a borderless window that
// stays on top, has no taskbar entry and never takes the focus (on X11 an
// override-redirect window, which the X server maps without the window
// manager), skinned from
// its own data folder, cut to the outline of its background picture, placed
// at the bottom-right corner of the primary work area and hidden 2000 ms
// after it was last shown.
//
// The layout and the text rules are in popups/hint_popup_layout.h. The popup
// grows with the density of its monitor as a whole: the layout's rectangles
// are scaled by the monitor's factor at creation (as the UI description's
// rectangles and the background picture are), and label fonts are sized in
// points, which the toolkit turns into pixels at the monitor's density. A
// popup thus looks the same at 144 or 192 dpi as at 96, only larger.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <string>

#include "popups/hint_popup_layout.h"
#include "skin/ui_description.h"

class ImageElement;
class LayerPopupSurface;
class QLabel;
class QTimer;
class QtUiWindow;

class HintPopupFrame : public QWidget {
 public:
  ~HintPopupFrame() override;
  HintPopupFrame(const HintPopupFrame&) = delete;
  HintPopupFrame& operator=(const HintPopupFrame&) = delete;

  QLabel* TitleLabel() const { return m_TitleLabel; }
  QLabel* TextLabel() const { return lb_Text; }
  ImageElement* BackgroundImage() const { return im_BackgroundImage; }
  QTimer* HideTimer() const { return tm_FireKetHint; }
  const std::u16string& LanguageName() const { return m_LanguageName; }
  const std::string& DataFolder() const { return m_DataFolder; }
  const UiDescription* UiFile() const { return m_UiFile.get(); }
  // The full path of the background picture for the popup's language, or
  // empty when there is none.
  std::string BackgroundPath() const;

 protected:
  // `dataFolder` (ending with '/') replaces the popup's folder beside the
  // executable; empty means Data/<dataFolderName>/ beside the executable.
  // The popup is not skinned until the subclass calls FormCreate.
  HintPopupFrame(const HintPopupConstants& constants, std::string dataFolder);

  // Skins the popup from its data folder. Subclasses call it once, at the
  // end of their constructor, after creating their own elements. A UI
  // description with a number that is no integer throws EConvertError,
  // which ends the popup's creation.
  void FormCreate();

  // Registers the subclass's own elements with the property engine; they
  // follow the frame's labels in layout order.
  virtual void AddOwnElements(QtUiWindow& window);

  // Shows the popup, or keeps it shown: either way the timer restarts at
  // the full interval and the popup is placed anew. Screen readers announce
  // `title` and the whole `text`, also where the label shows it shortened.
  void ShowAgain(const QString& title, const QString& text);

  // The layout's rectangles, scaled for the popup's monitor at creation.
  const HintPopupGeometry& Geometry() const { return m_Geometry; }
  // lb_Text for the show rules of popups/hint_popup_layout.h.
  HintTextLabel& TextLabelView() { return *m_TextLabelView; }

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

  ImageElement* im_BackgroundImage = nullptr;
  QLabel* lb_Text = nullptr;
  QTimer* tm_FireKetHint = nullptr;

 private:
  void FormShow();
  void PrepareFirstShow();
  void PlaceAtWorkAreaCorner();
  void BuildShapeOnce();
  void tm_FireKetHintTimer();
  void TraceShow() const;
  void PresentOnLayer();
  void ComeAboveOtherPopups();
  void UseOutlineAlpha(const QImage& backgroundPng);
  // Takes the popup's layer surface off the screen while the popup stays
  // shown: its countdown runs on and its next show puts it back.
  void WithdrawFromLayer();
  // The same for the X11 window, unmapped behind the toolkit's back.
  void WithdrawFromX11();
  void ReturnToX11();

  const HintPopupConstants m_Constants;
  QLabel* m_TitleLabel = nullptr;
  HintPopupGeometry m_Geometry;
  // The density the popup is laid out and drawn for, chosen once at start-up.
  float m_DrawnScale = 1.0F;
  std::unique_ptr<HintTextLabel> m_TextLabelView;
  std::u16string m_LanguageName;
  uint16_t m_LanguageId = 0;
  std::string m_DataFolder;
  std::unique_ptr<UiDescription> m_UiFile;
  // Built once, at start-up.
  bool m_ShapePending = true;
  // Where the compositor offers layer surfaces the popup is shown as one,
  // through the program's own Wayland connection: the widget itself never
  // maps a window and is drawn into the surface at each show, with its
  // outline as per-pixel transparency.
  std::unique_ptr<LayerPopupSurface> m_LayerSurface;
  // On X11 with a compositing manager the window has an alpha channel and
  // the background element shows the picture's own transparency.
  bool m_Translucent = false;
  QImage m_OutlineAlpha;
  // The X11 window is unmapped under a newer popup that covers it.
  bool m_X11Withdrawn = false;
};
