// Feeds arbitrary input reports through the monitors' report reader into the
// ID7M and ES2862 decoders. Every message must be one the report tables
// allow, and a report read into the reused buffer must decode exactly as the
// same bytes decode on their own, whatever earlier reports left behind.
//
// Input: byte 0 picks the monitor (low two bits: keyboard, mouse, ES2862, an
// ID7M monitor of another kind), byte 1 is the device's input report length;
// then reports, each a length byte followed by that many bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "monitors/report_decoders.h"
#include "monitors/report_reader.h"
#include "platform/hid_backend.h"
#include "platform/message.h"

namespace {

enum class Monitor { Keyboard, Mouse, Es2862, OtherKind };

// Delivers the input's reports one by one, then reports the device gone.
class ScriptedDevice : public HidOpenDevice {
 public:
  explicit ScriptedDevice(std::span<const uint8_t> script) : m_Script(script) {}

  std::optional<HidInterfaceInfo> Capabilities() const override { return std::nullopt; }
  FeatureTransfer SetFeature(const uint8_t*, size_t) override { return {}; }
  FeatureTransfer GetFeature(uint8_t*, size_t) override { return {}; }
  void Cancel() override {}

  ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override {
    if (m_Script.empty()) return ReadStatus::Gone;
    const size_t length = std::min<size_t>(m_Script[0], m_Script.size() - 1);
    m_Last = m_Script.subspan(1, length);
    m_Script = m_Script.subspan(1 + length);
    // A report longer than the buffer is cut, as the backends do.
    *received = std::min(length, capacity);
    std::memcpy(buffer, m_Last.data(), *received);
    return ReadStatus::Report;
  }

  // The whole of the report last delivered, before any cut.
  std::span<const uint8_t> LastReport() const { return m_Last; }

 private:
  std::span<const uint8_t> m_Script;
  std::span<const uint8_t> m_Last;
};

void Require(bool condition) {
  if (!condition) std::abort();
}

DecodedEvents Decode(Monitor monitor, std::span<const uint8_t> report) {
  switch (monitor) {
    case Monitor::Keyboard:
      return DecodeId7mReport(Id7mKindFromText("Keyboard"), report);
    case Monitor::Mouse:
      return DecodeId7mReport(Id7mKindFromText("Mouse"), report);
    case Monitor::Es2862:
      return DecodeEs2862Report(report);
    case Monitor::OtherKind:
      return DecodeId7mReport(Id7mKindFromText("Pen"), report);
  }
  return {};
}

uint8_t ByteAt(std::span<const uint8_t> report, size_t offset) {
  return offset < report.size() ? report[offset] : 0;
}

// The messages each monitor may post, and only for the event class that
// carries them.
void RequireAllowedByTables(Monitor monitor, std::span<const uint8_t> report,
                            const DecodedEvents& decoded) {
  Require(decoded.count <= 2);
  const uint8_t eventClass = ByteAt(report, 1);
  switch (monitor) {
    case Monitor::Keyboard: {
      // The RT mode message, if any, comes before the LT key message.
      uint32_t previous = 0;
      for (const Message& event : decoded) {
        Require(eventClass == 0x20);
        Require(event.msg == UM_RT_MODE || event.msg == UM_LT_KEY);
        Require(event.msg > previous);
        previous = event.msg;
        Require(event.wParam <= 7);
        Require(event.lParam == 0 || (event.msg == UM_RT_MODE && event.lParam == 1));
      }
      break;
    }
    case Monitor::Mouse:
      Require(decoded.count <= 1);
      for (const Message& event : decoded) {
        Require(eventClass == 0x01 && event.msg == UM_CPI_LEVEL);
        Require(event.wParam <= 7 && event.lParam == 0);
      }
      break;
    case Monitor::Es2862:
      Require(decoded.count <= 1);
      for (const Message& event : decoded) {
        Require(eventClass == 0x87 && event.msg == UM_CPI_LEVEL);
        Require(event.wParam == ByteAt(report, 7) && event.lParam == 0);
      }
      break;
    case Monitor::OtherKind:
      Require(decoded.count == 0);
      break;
  }
}

bool SameEvents(const DecodedEvents& a, const DecodedEvents& b) {
  if (a.count != b.count) return false;
  for (size_t i = 0; i < a.count; ++i) {
    if (!(a.events[i] == b.events[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const auto monitor = static_cast<Monitor>(data[0] & 0x03);
  const uint32_t inputReportLength = data[1];

  ScriptedDevice device(std::span(data + 2, size - 2));
  ReportReader reader(device, inputReportLength);
  for (;;) {
    const ReportReader::Outcome outcome = reader.ReadNext();
    if (outcome == ReportReader::Outcome::End) break;

    // What the reader hands on is the delivered report, cut to the length
    // the device declared.
    const std::span<const uint8_t> delivered =
        device.LastReport().first(std::min<size_t>(device.LastReport().size(), inputReportLength));
    if (outcome == ReportReader::Outcome::Empty) {
      Require(delivered.empty() || delivered[0] == 0);
      continue;
    }
    const std::span<const uint8_t> report = reader.Report();
    Require(report.size() == delivered.size() && report[0] != 0);
    Require(std::memcmp(report.data(), delivered.data(), report.size()) == 0);

    const DecodedEvents decoded = Decode(monitor, report);
    RequireAllowedByTables(monitor, report, decoded);
    // A copy of just the report's bytes: nothing past its end to read.
    const std::vector<uint8_t> alone(report.begin(), report.end());
    Require(SameEvents(decoded, Decode(monitor, alone)));
  }
  return 0;
}
