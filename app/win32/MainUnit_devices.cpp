// The device steps of the main window: arrival registration at creation,
// the discovery pass when it is first shown and on every supported arrival,
// the replacement of monitors that another one's end silenced,
// and switching the devices back out of notification mode at close.
#include "app/win32/MainUnit.h"
#include "hid/IO_HID.h"
#include "platform/win32/device_notifications.h"

void TMainForm::RegisterDeviceArrival() {
  m_ArrivalHandle = HidRegisterArrival();
  if (m_ArrivalHandle == kNoWaitHandle) {
    m_ArrivalRegistration = RegisterHidInterfaceNotifications(m_Window);
  }
}

void TMainForm::PostDeviceChanges() { HidPostDeviceChanges(m_Poster); }

void TMainForm::DiscoverDevices() { m_Discovery->DiscoverDevices(); }

void TMainForm::LeaveNotifyModeForRecordedDevices() {
  m_Discovery->LeaveNotifyModeForRecordedDevices();
}

void TMainForm::ReleaseDeviceLists() { m_Discovery->ReleaseLists(); }

void TMainForm::DeviceInterfaceArrived(const std::string& path) {
  m_Discovery->HandleInterfaceArrival(path, !m_Rules.IsClosed());
}

void TMainForm::DeviceInterfaceRemoved(const std::string& path) {
  m_Discovery->HandleInterfaceRemoval(path);
}

void TMainForm::DeviceMonitorEnded() { m_Discovery->HandleMonitorEnded(!m_Rules.IsClosed()); }
