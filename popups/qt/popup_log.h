// The popups' diagnostic lines ("iTextWidth=...", "lb_Text->Width=...").
// Debug level and off by default; QT_LOGGING_RULES="corvane.popup.debug=true"
// shows them.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPopup)
