// The device side of a simulated ID7M keyboard or mouse: the feature-report
// command set it understands and the "last command" register that a
// feature-report read returns. Platform-free; the backend serialises calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/sim/sim_device.h"

class SimFirmware {
 public:
  // Command codes of report ID 0x07.
  static constexpr uint8_t kNotifyModeCode = 0x09;
  static constexpr uint8_t kModelInfoCode = 0x1F;
  static constexpr uint8_t kFlashInfoCode = 0x2D;
  // Answer bytes the host does not interpret are filled with recognisable
  // values, so that a host copying too many bytes is caught.
  static constexpr uint8_t kAfterPayloadFill = 0xEE;

  explicit SimFirmware(const SimDeviceSpec& spec);

  // A feature report written by the host, report ID in byte 0. False when
  // the device does not take it (wrong family, report ID or command code).
  bool Receive(const uint8_t* report, size_t length);

  // Fills `length` bytes with the feature report `reportId`: the answer to
  // the last command taken. False when the device has no such report.
  bool Answer(uint8_t reportId, uint8_t* buffer, size_t length) const;

  bool notificationMode() const { return m_NotificationMode; }

 private:
  static constexpr size_t kAnswerBytes = 72;
  static constexpr size_t kEchoBytes = 8;

  void AnswerModelInfo();
  void AnswerFlashInfo();

  bool m_SpeaksId7m;
  uint16_t m_ModelWord;
  uint8_t m_QualificationByte;
  uint32_t m_FlashWord;
  bool m_NotificationMode = false;
  std::array<uint8_t, kAnswerBytes> m_Answer{};
};
