// The device steps of the main window: arrival registration at creation,
// the discovery pass when it is first shown and on every supported arrival,
// the replacement of monitors that another one's end silenced,
// and switching the devices back out of notification mode at close.
#include <QLabel>
#include <QSocketNotifier>

#include "app/qt/MainUnit.h"
#include "hid/IO_HID.h"
#include "platform/interface_path.h"

void TMainForm::RegisterDeviceArrival() {
  const WaitHandle arrivals = HidRegisterArrival();
  if (arrivals == kNoWaitHandle) {
    return;
  }
  m_ArrivalNotifier =
      new QSocketNotifier(static_cast<qintptr>(arrivals), QSocketNotifier::Read, this);
  connect(m_ArrivalNotifier, &QSocketNotifier::activated, this,
          [this] { HidPostDeviceChanges(m_Poster); });
}

void TMainForm::DiscoverDevices() { m_Discovery->DiscoverDevices(); }

void TMainForm::LeaveNotifyModeForRecordedDevices() {
  m_Discovery->LeaveNotifyModeForRecordedDevices();
}

void TMainForm::ReleaseDeviceLists() { m_Discovery->ReleaseLists(); }

void TMainForm::DeviceInterfaceArrived(const std::string& path) {
  if (!m_Discovery->HandleInterfaceArrival(path, !m_Rules.IsClosed())) {
    return;  // a device that cannot be opened or queried changes nothing
  }
  lb_Device->setText(QStringLiteral("裝置連線"));
}

void TMainForm::DeviceInterfaceRemoved(const std::string& path) {
  m_Discovery->HandleInterfaceRemoval(path);
  // A device plugged in again is a new connection: its line goes, and comes
  // back only if the new one cannot be opened either.
  if (m_AccessNotices.Remove(DeviceKeyOfPath(path))) CaptionAccessNotices();
}

void TMainForm::DeviceMonitorEnded() { m_Discovery->HandleMonitorEnded(!m_Rules.IsClosed()); }
