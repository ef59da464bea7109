#include "popups/qt/label_text_metrics.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>
#include <cmath>
#include <limits>

int32_t LabelTextWidth(const QLabel& label, const QString& text) {
  return label.fontMetrics().horizontalAdvance(text);
}

int32_t LabelLineHeight(const QLabel& label, const QString& text) {
  QTextLayout layout(text, label.font());
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (!line.isValid()) {
    layout.endLayout();
    return label.fontMetrics().height();
  }
  line.setLineWidth(std::numeric_limits<int>::max() / 4);
  layout.endLayout();
  return static_cast<int32_t>(std::ceil(line.height()));
}
