#include "popups/qt/FORM_RTModeHintDialog.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

#include "popups/qt/popup_log.h"
#include "skin/qt/qt_ui_toolkit.h"

namespace {

constexpr HintPopupConstants kRTModeHint{"formRTModeHintDialog", "lb_RTMode", "RTModeHint",
                                         "RTModeHint_Background.bmp", "RTModeHint"};

// The marker's 12-pixel character height at 96 dpi, in points.
constexpr double kMarkerPointSize = 12.0 * 72.0 / 96.0;

}  // namespace

TformRTModeHintDialog::TformRTModeHintDialog(std::string dataFolder)
    : HintPopupFrame(kRTModeHint, std::move(dataFolder)), lb_RTMode(TitleLabel()) {
  lb_WASD = new QLabel(this);
  lb_WASD->setObjectName(QStringLiteral("lb_WASD"));
  lb_WASD->setGeometry(ScaledLayoutRect(0, 100, 239, 15));
  lb_WASD->setTextFormat(Qt::PlainText);
  lb_WASD->setAlignment(Qt::AlignCenter);
  lb_WASD->setText(QStringLiteral("WASD"));
  QFont font(QStringLiteral("Segoe UI"));
  font.setPointSizeF(kMarkerPointSize);
  lb_WASD->setFont(font);
  QPalette colours = lb_WASD->palette();
  colours.setColor(QPalette::WindowText, Qt::red);
  lb_WASD->setPalette(colours);
  FormCreate();
}

void TformRTModeHintDialog::AddOwnElements(QtUiWindow& window) {
  window.AddWidget(QStringLiteral("TLabel"), lb_WASD);
}

void TformRTModeHintDialog::ShowHintText(uint32_t mode, const QString& title, const QString& text) {
  if (mode >= 1 && mode <= 3) {
    lb_WASD->setVisible(false);
  } else if (mode == 4 || mode == 5) {
    lb_WASD->setVisible(true);
  }
  lb_RTMode->setText(title);
  lb_Text->setText(text);

  const int textWidth = lb_Text->fontMetrics().horizontalAdvance(text);
  qCDebug(lcPopup, "iTextWidth=%i", textWidth);
  qCDebug(lcPopup, "lb_Text->Width=%i", lb_Text->width());

  lb_Text->setAlignment(lb_Text->width() < textWidth ? Qt::AlignLeft | Qt::AlignVCenter
                                                     : Qt::AlignCenter);
  ShowAgain(title, text);
}
