// The device steps of the main window: arrival registration at creation,
// the discovery pass when it is first shown and on every supported arrival,
// and switching the devices back out of notification mode at close.
#include "app/MainUnit.h"

void TMainForm::RegisterDeviceArrival() {}

void TMainForm::DiscoverDevices() {}

void TMainForm::LeaveNotifyModeForRecordedDevices() {}

void TMainForm::DeviceInterfaceArrived(const std::string& /*path*/) {}
