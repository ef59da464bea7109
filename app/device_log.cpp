#include "app/device_log.h"

Q_LOGGING_CATEGORY(lcDevice, "corvane.device", QtInfoMsg)
