#include "popups/qt/FORM_RTModeHintDialog.h"

#include <QFont>
#include <QLabel>
#include <QPalette>
#include <optional>

#include "skin/qt/qt_ui_toolkit.h"

TformRTModeHintDialog::TformRTModeHintDialog(std::string dataFolder)
    : HintPopupFrame(kRTModeHintConstants, std::move(dataFolder)), lb_RTMode(TitleLabel()) {
  const Rect bounds = Geometry().markerLabel;
  lb_WASD = new QLabel(this);
  lb_WASD->setObjectName(QStringLiteral("lb_WASD"));
  lb_WASD->setGeometry(bounds.left, bounds.top, bounds.right - bounds.left,
                       bounds.bottom - bounds.top);
  lb_WASD->setTextFormat(Qt::PlainText);
  lb_WASD->setAlignment(Qt::AlignCenter);
  lb_WASD->setText(QString::fromUtf16(hint_popup_layout::kMarkerText.data(),
                                      hint_popup_layout::kMarkerText.size()));
  QFont font(QString::fromUtf16(hint_popup_layout::kMarkerFace.data(),
                                hint_popup_layout::kMarkerFace.size()));
  font.setPointSizeF(hint_popup_layout::kMarkerPointSize);
  lb_WASD->setFont(font);
  QPalette colours = lb_WASD->palette();
  colours.setColor(QPalette::WindowText, ToQColor(hint_popup_layout::kMarkerColor));
  lb_WASD->setPalette(colours);
  FormCreate();
}

void TformRTModeHintDialog::AddOwnElements(QtUiWindow& window) {
  window.AddWidget(QStringLiteral("TLabel"), lb_WASD);
}

void TformRTModeHintDialog::ShowHintText(uint32_t mode, const QString& title, const QString& text) {
  if (const std::optional<bool> visible = MarkerVisibleForMode(mode)) lb_WASD->setVisible(*visible);
  lb_RTMode->setText(title);
  ShowRTModeText(TextLabelView(), text.toStdU16String());
  ShowAgain(title, text);
}
