// Switching an ID7M keyboard or mouse in and out of notification mode, in
// which it reports its mode changes as input reports.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "protocol/Hid_basiccmd.h"

inline constexpr uint8_t kNotifyModeCode = 0x09;

// Argument bytes (frame bytes 2-15): frame byte 8 is 1 to enter, 0 to leave.
inline constexpr std::array<uint8_t, kSendArgumentCount> kEnterNotifyModeArguments{
    0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0};
inline constexpr std::array<uint8_t, kSendArgumentCount> kLeaveNotifyModeArguments{};

// True when the device took the command; callers do not depend on it.
bool EnterNotifyMode(const std::string& path);
bool LeaveNotifyMode(const std::string& path);
