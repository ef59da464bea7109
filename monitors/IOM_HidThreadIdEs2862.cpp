#include "monitors/IOM_HidThreadIdEs2862.h"

#include "hid/IO_HID.h"
#include "monitors/report_decoders.h"

TiomHidThreadIdEs2862::TiomHidThreadIdEs2862(MonitorSlots& slots, MessagePoster& mainWindow)
    : m_Slots(slots), m_MainWindow(mainWindow) {}

void TiomHidThreadIdEs2862::Execute() {
  // The early returns leave m_Es2862Monitor as it is: it may hold another
  // ES2862 monitor that is running well.
  std::unique_ptr<HidOpenDevice> device = HidOpenForReports(DevicePath);
  if (!device) return;
  const uint32_t inputLength = HidInputReportLength(*device);
  if (inputLength == 0) return;

  ReadAndPostReports(
      *device, inputLength, m_MainWindow, [this] { return m_Slots.Holds(MonitorKind::Es2862); },
      DecodeEs2862Report);

  m_Slots.Empty(MonitorKind::Es2862);
}
