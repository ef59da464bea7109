// The read side shared by the monitors: one buffer, allocated once, and one
// blocking read at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/hid_backend.h"

// The size the monitors' report buffer has always had. A collection with
// longer input reports gets a buffer of its own length, so its reports are
// read whole rather than cut.
inline constexpr size_t kMinimumReportBuffer = 64;

class ReportReader {
 public:
  ReportReader(HidOpenDevice& device, uint32_t inputReportLength);

  enum class Outcome {
    Report,  // a report with a non-zero report ID is in Report()
    Empty,   // nothing to look at (report ID 0); read again
    End,     // the device is gone, the read failed, or it was cancelled
  };
  // Clears byte 0 and blocks for the next report.
  Outcome ReadNext();

  // The bytes the last read delivered.
  std::span<const uint8_t> Report() const { return {m_Buffer.data(), m_Received}; }

 private:
  HidOpenDevice& m_Device;
  size_t m_ReadLength;
  std::vector<uint8_t> m_Buffer;
  size_t m_Received = 0;
};
