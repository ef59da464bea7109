// The feature-report command frame and its two exchange patterns: send only,
// and send, read back and check the echo.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Every command travels in a 72-byte frame: report ID in byte 0, command code
// in byte 1, argument bytes from byte 2 on, zero everywhere else.
inline constexpr size_t kCommandFrameLength = 72;
inline constexpr uint8_t kCommandReportId = 0x07;  // the report ID of every command
inline constexpr size_t kSendArgumentCount = 14;   // frame bytes 2-15
inline constexpr size_t kQueryArgumentCount = 6;   // frame bytes 2-7
inline constexpr size_t kAnswerPayloadOffset = 8;  // answer bytes 0-7 echo the request

using CommandFrame = std::array<uint8_t, kCommandFrameLength>;

// The frame for a report ID, a command code and up to 14 argument bytes.
// Argument bytes past the 14th are not part of any command and are left out.
CommandFrame BuildCommandFrame(uint8_t reportId, uint8_t commandCode,
                               std::span<const uint8_t> argumentBytes);

// True when answer bytes 0-7 repeat the request's report ID, command code and
// argument bytes 2-7.
bool AnswerEchoesRequest(const CommandFrame& request, const CommandFrame& answer);

// Writes the command as a feature report. True when the device took it.
bool SendFeatureCommand(const std::string& path, uint8_t reportId, uint8_t commandCode,
                        std::span<const uint8_t, kSendArgumentCount> argumentBytes);

// Writes the query, reads the answer back and checks that answer bytes 0-7
// echo the request. Only then are the answer.size() payload bytes (from answer
// byte 8 on) copied into `answer`; on any failure `answer` is left as it was.
bool QueryFeatureCommand(const std::string& path, uint8_t reportId, uint8_t commandCode,
                         std::span<const uint8_t, kQueryArgumentCount> argumentBytes,
                         std::span<uint8_t> answer);
