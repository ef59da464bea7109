#include "platform/sim/sim_firmware.h"

#include <algorithm>
#include <cstring>

SimFirmware::SimFirmware(const SimDeviceSpec& spec)
    : m_SpeaksId7m(spec.family == SimFamily::Id7m),
      m_ModelWord(spec.modelWord),
      m_QualificationByte(spec.qualificationByte),
      m_FlashWord(spec.flashWord) {
  m_Answer[0] = kSimId7mReportId;
}

bool SimFirmware::Receive(const uint8_t* report, size_t length) {
  if (!m_SpeaksId7m || report == nullptr || length < 2 || report[0] != kSimId7mReportId) {
    return false;
  }
  const uint8_t code = report[1];
  if (code != kNotifyModeCode && code != kModelInfoCode && code != kFlashInfoCode) {
    return false;  // an unknown command stalls; the register keeps its answer
  }

  // Every answer starts with the echo of the command's first eight bytes.
  m_Answer.fill(0);
  std::memcpy(m_Answer.data(), report, std::min(length, kEchoBytes));

  if (code == kNotifyModeCode) {
    // Byte 8 selects the mode: 1 enters, 0 leaves, anything else keeps it.
    if (length > 8 && report[8] == 1) m_NotificationMode = true;
    if (length > 8 && report[8] == 0) m_NotificationMode = false;
  } else if (code == kModelInfoCode) {
    AnswerModelInfo();
  } else {
    AnswerFlashInfo();
  }
  return true;
}

void SimFirmware::AnswerModelInfo() {
  constexpr size_t kPayload = 10;
  uint8_t* payload = m_Answer.data() + kEchoBytes;
  for (size_t i = 0; i < kPayload; ++i) payload[i] = static_cast<uint8_t>(0xA0 + i);
  payload[2] = static_cast<uint8_t>(m_ModelWord & 0xFF);
  payload[3] = static_cast<uint8_t>(m_ModelWord >> 8);
  payload[8] = m_QualificationByte;
  std::fill(m_Answer.begin() + kEchoBytes + kPayload, m_Answer.end(), kAfterPayloadFill);
}

void SimFirmware::AnswerFlashInfo() {
  constexpr size_t kPayload = 24;
  uint8_t* payload = m_Answer.data() + kEchoBytes;
  for (size_t i = 0; i < kPayload; ++i) payload[i] = static_cast<uint8_t>(0xB0 + i);
  for (size_t i = 0; i < 4; ++i) payload[i] = static_cast<uint8_t>(m_FlashWord >> (8 * i));
  std::fill(m_Answer.begin() + kEchoBytes + kPayload, m_Answer.end(), kAfterPayloadFill);
}

bool SimFirmware::Answer(uint8_t reportId, uint8_t* buffer, size_t length) const {
  if (!m_SpeaksId7m || buffer == nullptr || length == 0 || reportId != kSimId7mReportId) {
    return false;
  }
  const size_t copied = std::min(length, m_Answer.size());
  std::memcpy(buffer, m_Answer.data(), copied);
  std::memset(buffer + copied, 0, length - copied);
  return true;
}
