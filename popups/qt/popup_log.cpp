#include "popups/qt/popup_log.h"

// Messages below info are off unless the logging rules enable them.
Q_LOGGING_CATEGORY(lcPopup, "corvane.popup", QtInfoMsg)
