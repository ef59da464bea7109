#include "monitors/IOM_HidThreadIdEs2862.h"

#include "hid/IO_HID.h"
#include "monitors/report_decoders.h"
#include "monitors/report_reader.h"

TiomHidThreadIdEs2862::TiomHidThreadIdEs2862(MonitorSlots& slots, MessagePoster& mainWindow)
    : slots_(slots), mainWindow_(mainWindow) {}

void TiomHidThreadIdEs2862::Execute() {
  // The early returns leave m_Es2862Monitor as it is: it may hold another
  // ES2862 monitor that is running well.
  std::unique_ptr<HidOpenDevice> device = HidOpenForReports(DevicePath);
  if (!device) return;
  const uint32_t inputLength = HidInputReportLength(*device);
  if (inputLength == 0) return;

  ReportReader reader(*device, inputLength);
  Stop().AttachDevice(device.get());
  while (!Terminated()) {
    const ReportReader::Outcome outcome = reader.ReadNext();
    if (outcome == ReportReader::Outcome::End) break;
    if (outcome == ReportReader::Outcome::Empty) continue;

    if (slots_.m_Es2862Monitor.load() == nullptr) break;
    for (const DeviceEvent& event : DecodeEs2862Report(reader.Report())) {
      mainWindow_.Post(Message{event.msg, event.wParam, event.lParam, 0, nullptr});
    }
  }
  Stop().DetachDevice();

  slots_.m_Es2862Monitor.store(nullptr);
}
