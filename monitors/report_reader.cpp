#include "monitors/report_reader.h"

#include <algorithm>

ReportReader::ReportReader(HidOpenDevice& device, uint32_t inputReportLength)
    : m_Device(device),
      m_ReadLength(inputReportLength),
      m_Buffer(std::max<size_t>(kMinimumReportBuffer, inputReportLength)) {}

ReportReader::Outcome ReportReader::ReadNext() {
  m_Buffer[0] = 0;
  m_Received = 0;
  switch (m_Device.ReadInputReport(m_Buffer.data(), m_ReadLength, &m_Received)) {
    case HidOpenDevice::ReadStatus::Report:
      m_Received = std::min(m_Received, m_ReadLength);
      return (m_Received > 0 && m_Buffer[0] != 0) ? Outcome::Report : Outcome::Empty;
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
