#include "monitors/report_reader.h"

#include <algorithm>

ReportReader::ReportReader(HidOpenDevice& device, uint32_t inputReportLength)
    : device_(device),
      readLength_(inputReportLength),
      buffer_(std::max<size_t>(kMinimumReportBuffer, inputReportLength)) {}

ReportReader::Outcome ReportReader::ReadNext() {
  buffer_[0] = 0;
  received_ = 0;
  switch (device_.ReadInputReport(buffer_.data(), readLength_, &received_)) {
    case HidOpenDevice::ReadStatus::Report:
      received_ = std::min(received_, readLength_);
      return (received_ > 0 && buffer_[0] != 0) ? Outcome::Report : Outcome::Empty;
    case HidOpenDevice::ReadStatus::Cancelled:
    case HidOpenDevice::ReadStatus::Gone:
    case HidOpenDevice::ReadStatus::Failed:
      // Cancelled comes only from Terminate, and a cancelled device answers
      // every later read the same way; a read that failed at once leaves
      // nothing pending. Reading on after either would spin.
      return Outcome::End;
  }
  return Outcome::End;
}
