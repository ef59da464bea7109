#include "monitors/IOM_HidThreadId7M.h"

#include "hid/IO_HID.h"
#include "monitors/report_decoders.h"
#include "monitors/report_reader.h"

TiomHidThreadId7M::TiomHidThreadId7M(MonitorSlots& slots, MessagePoster& mainWindow)
    : slots_(slots), mainWindow_(mainWindow) {}

void TiomHidThreadId7M::Execute() {
  const Id7mKind kind = Id7mKindFromText(DeviceKind);

  std::unique_ptr<HidOpenDevice> device = HidOpenForReports(DevicePath);
  if (!device) {
    if (kind == Id7mKind::Mouse) slots_.m_MouseMonitor.store(nullptr);
    if (kind == Id7mKind::Keyboard) slots_.m_KeyboardMonitor.store(nullptr);
    return;
  }

  const uint32_t inputLength = HidInputReportLength(*device);
  if (inputLength == 0) {
    device.reset();
    slots_.m_MouseMonitor.store(nullptr);
    slots_.m_KeyboardMonitor.store(nullptr);
    return;
  }

  ReportReader reader(*device, inputLength);
  Stop().AttachDevice(device.get());
  while (!Terminated()) {
    const ReportReader::Outcome outcome = reader.ReadNext();
    if (outcome == ReportReader::Outcome::End) break;
    // An empty read is skipped without looking at the slot.
    if (outcome == ReportReader::Outcome::Empty) continue;

    // The slot is this monitor's permission to run; it is read once per
    // report, so an emptied slot stops the monitor at its next report,
    // which is then not posted.
    if (kind == Id7mKind::Mouse && slots_.m_MouseMonitor.load() == nullptr) break;
    if (kind == Id7mKind::Keyboard && slots_.m_KeyboardMonitor.load() == nullptr) break;
    for (const DeviceEvent& event : DecodeId7mReport(kind, reader.Report())) {
      mainWindow_.Post(Message{event.msg, event.wParam, event.lParam, 0, nullptr});
    }
  }
  Stop().DetachDevice();

  // Either ID7M monitor ending takes the other kind's permission too.
  slots_.m_MouseMonitor.store(nullptr);
  slots_.m_KeyboardMonitor.store(nullptr);
}
