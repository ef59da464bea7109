#include "protocol/Hid_pellamid7.h"

bool EnterNotifyMode(const std::string& path) {
  return SendFeatureCommand(path, kCommandReportId, kNotifyModeCode, kEnterNotifyModeArguments);
}

bool LeaveNotifyMode(const std::string& path) {
  return SendFeatureCommand(path, kCommandReportId, kNotifyModeCode, kLeaveNotifyModeArguments);
}
