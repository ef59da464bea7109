#include "monitors/IOM_HidThreadId7M.h"

#include "hid/IO_HID.h"
#include "monitors/report_decoders.h"

TiomHidThreadId7M::TiomHidThreadId7M(MonitorSlots& slots, MessagePoster& mainWindow)
    : m_Slots(slots), m_MainWindow(mainWindow) {}

void TiomHidThreadId7M::Execute() {
  const Id7mKind kind = Id7mKindFromText(DeviceKind);
  // A monitor of neither kind has no slot: nothing stops it but its device.
  const std::optional<MonitorKind> slot = MonitorKindOf(kind);

  std::unique_ptr<HidOpenDevice> device = HidOpenForReports(DevicePath);
  if (!device) {
    if (slot) m_Slots.Empty(*slot);
    return;
  }

  const uint32_t inputLength = HidInputReportLength(*device);
  if (inputLength == 0) {
    device.reset();
    m_Slots.Empty(MonitorKind::Mouse);
    m_Slots.Empty(MonitorKind::Keyboard);
    return;
  }

  ReadAndPostReports(
      *device, inputLength, m_MainWindow, [&] { return !slot || m_Slots.Holds(*slot); },
      [kind](std::span<const uint8_t> report) { return DecodeId7mReport(kind, report); });

  // Either ID7M monitor ending takes the other kind's permission too.
  m_Slots.Empty(MonitorKind::Mouse);
  m_Slots.Empty(MonitorKind::Keyboard);
}
