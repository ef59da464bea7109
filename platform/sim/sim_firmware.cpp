#include "platform/sim/sim_firmware.h"

#include <algorithm>
#include <cstring>

SimFirmware::SimFirmware(const SimDeviceSpec& spec)
    : speaksId7m_(spec.family == SimFamily::Id7m),
      modelWord_(spec.modelWord),
      qualificationByte_(spec.qualificationByte),
      flashWord_(spec.flashWord) {
  answer_[0] = kSimId7mReportId;
}

bool SimFirmware::Receive(const uint8_t* report, size_t length) {
  if (!speaksId7m_ || report == nullptr || length < 2 || report[0] != kSimId7mReportId) {
    return false;
  }
  const uint8_t code = report[1];
  if (code != kNotifyModeCode && code != kModelInfoCode && code != kFlashInfoCode) {
    return false;  // an unknown command stalls; the register keeps its answer
  }

  // Every answer starts with the echo of the command's first eight bytes.
  answer_.fill(0);
  std::memcpy(answer_.data(), report, std::min(length, kEchoBytes));

  if (code == kNotifyModeCode) {
    // Byte 8 selects the mode: 1 enters, 0 leaves, anything else keeps it.
    if (length > 8 && report[8] == 1) notificationMode_ = true;
    if (length > 8 && report[8] == 0) notificationMode_ = false;
  } else if (code == kModelInfoCode) {
    AnswerModelInfo();
  } else {
    AnswerFlashInfo();
  }
  return true;
}

void SimFirmware::AnswerModelInfo() {
  constexpr size_t kPayload = 10;
  uint8_t* payload = answer_.data() + kEchoBytes;
  for (size_t i = 0; i < kPayload; ++i) payload[i] = static_cast<uint8_t>(0xA0 + i);
  payload[2] = static_cast<uint8_t>(modelWord_ & 0xFF);
  payload[3] = static_cast<uint8_t>(modelWord_ >> 8);
  payload[8] = qualificationByte_;
  std::fill(answer_.begin() + kEchoBytes + kPayload, answer_.end(), kAfterPayloadFill);
}

void SimFirmware::AnswerFlashInfo() {
  constexpr size_t kPayload = 24;
  uint8_t* payload = answer_.data() + kEchoBytes;
  for (size_t i = 0; i < kPayload; ++i) payload[i] = static_cast<uint8_t>(0xB0 + i);
  for (size_t i = 0; i < 4; ++i) payload[i] = static_cast<uint8_t>(flashWord_ >> (8 * i));
  std::fill(answer_.begin() + kEchoBytes + kPayload, answer_.end(), kAfterPayloadFill);
}

bool SimFirmware::Answer(uint8_t reportId, uint8_t* buffer, size_t length) const {
  if (!speaksId7m_ || buffer == nullptr || length == 0 || reportId != kSimId7mReportId) {
    return false;
  }
  const size_t copied = std::min(length, answer_.size());
  std::memcpy(buffer, answer_.data(), copied);
  std::memset(buffer + copied, 0, length - copied);
  return true;
}
