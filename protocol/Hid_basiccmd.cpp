#include "protocol/Hid_basiccmd.h"

#include <algorithm>

#include "hid/IO_HID.h"

CommandFrame BuildCommandFrame(uint8_t reportId, uint8_t commandCode,
                               std::span<const uint8_t> argumentBytes) {
  CommandFrame frame{};
  frame[0] = reportId;
  frame[1] = commandCode;
  const size_t count = std::min(argumentBytes.size(), kSendArgumentCount);
  std::copy_n(argumentBytes.begin(), count, frame.begin() + 2);
  return frame;
}

bool AnswerEchoesRequest(const CommandFrame& request, const CommandFrame& answer) {
  return std::equal(request.begin(), request.begin() + kAnswerPayloadOffset, answer.begin());
}

bool SendFeatureCommand(const std::string& path, uint8_t reportId, uint8_t commandCode,
                        std::span<const uint8_t, kSendArgumentCount> argumentBytes) {
  CommandFrame frame = BuildCommandFrame(reportId, commandCode, argumentBytes);
  // A device whose feature report is longer than the frame is refused
  // before any transfer, which would otherwise run past the frame.
  return HidWriteFeature(path, frame.data(), frame.size());
}

bool QueryFeatureCommand(const std::string& path, uint8_t reportId, uint8_t commandCode,
                         std::span<const uint8_t, kQueryArgumentCount> argumentBytes,
                         std::span<uint8_t> answer) {
  const size_t answerEnd = kAnswerPayloadOffset + answer.size();
  if (answerEnd > kCommandFrameLength) return false;

  const CommandFrame request = BuildCommandFrame(reportId, commandCode, argumentBytes);
  CommandFrame frame = request;
  if (!HidWriteFeature(path, frame.data(), frame.size())) return false;
  // Byte 0 still holds the report ID, which selects the report to read.
  size_t received = 0;
  if (!HidReadFeature(path, frame.data(), frame.size(), &received)) return false;
  // Past the bytes the device sent, the frame still holds the request's
  // zeros: an answer that stops short of the payload is no answer.
  if (received < answerEnd) return false;
  if (!AnswerEchoesRequest(request, frame)) return false;
  std::copy_n(frame.begin() + kAnswerPayloadOffset, answer.size(), answer.begin());
  return true;
}
