#include "popups/win32/FORM_RTModeHintDialog.h"

namespace {

constexpr HintPopupConstants kRTModeHint{u"formRTModeHintDialog", u"lb_RTMode", "RTModeHint",
                                         "RTModeHint_Background.bmp", "RTModeHint"};

// The marker's 12-pixel character height at 96 dpi, in points.
constexpr double kMarkerPointSize = 12.0 * 72.0 / 96.0;
constexpr UiColor kRed = 0x0000FF;

}  // namespace

TformRTModeHintDialog::TformRTModeHintDialog(std::string dataFolder)
    : HintPopupFrame(kRTModeHint, std::move(dataFolder)) {
  m_Marker.name = u"lb_WASD";
  m_Marker.bounds = ScaledLayoutRect(0, 100, 239, 15);
  m_Marker.text = u"WASD";
  m_Marker.fontName = u"Segoe UI";
  m_Marker.pointSize = kMarkerPointSize;
  m_Marker.textColor = kRed;
  m_Marker.alignment = LabelAlignment::Center;
  FormCreate();
}

void TformRTModeHintDialog::AddOwnElements(Win32UiWindow& window) { window.AddLabel(m_Marker); }

void TformRTModeHintDialog::PaintOwnElements(HDC dc) { DrawLabel(dc, m_Marker, Dpi()); }

void TformRTModeHintDialog::ShowHintText(uint32_t mode, const std::u16string& title,
                                         const std::u16string& text) {
  if (mode >= 1 && mode <= 3) {
    m_Marker.visible = false;
  } else if (mode == 4 || mode == 5) {
    m_Marker.visible = true;
  }
  m_TitleLabel.text = title;
  lb_Text.text = text;

  lb_Text.alignment =
      TextOverflowsLabel(lb_Text, Dpi()) ? LabelAlignment::Left : LabelAlignment::Center;
  ShowAgain(title, text);
}
