#include "popups/win32/FORM_RTModeHintDialog.h"

#include <optional>

TformRTModeHintDialog::TformRTModeHintDialog(std::string dataFolder)
    : HintPopupFrame(kRTModeHintConstants, std::move(dataFolder)) {
  m_Marker.name = u"lb_WASD";
  m_Marker.bounds = Geometry().markerLabel;
  m_Marker.text = hint_popup_layout::kMarkerText;
  m_Marker.fontName = hint_popup_layout::kMarkerFace;
  m_Marker.pointSize = hint_popup_layout::kMarkerPointSize;
  m_Marker.textColor = hint_popup_layout::kMarkerColor;
  m_Marker.alignment = LabelAlignment::Center;
  FormCreate();
}

void TformRTModeHintDialog::AddOwnElements(Win32UiWindow& window) { window.AddLabel(m_Marker); }

void TformRTModeHintDialog::PaintOwnElements(HDC dc) { DrawLabel(dc, m_Marker, Dpi()); }

void TformRTModeHintDialog::ShowHintText(uint32_t mode, const std::u16string& title,
                                         const std::u16string& text) {
  if (const std::optional<bool> visible = MarkerVisibleForMode(mode)) m_Marker.visible = *visible;
  m_TitleLabel.text = title;
  ShowRTModeText(TextLabelView(), text);
  ShowAgain(title, text);
}
