#include "protocol/Hid_basiccmd.h"

#include <algorithm>

#include "hid/IO_HID.h"

namespace {

// IO_HID transfers the device's whole feature report from or into the
// caller's buffer, which has no length of its own. A device that declares a
// longer report than the frame would make the transfer run past the frame,
// so such a device is refused before any transfer. A query also needs the
// device's report to reach the end of the payload it asks for; otherwise the
// "payload" would be the request's own zero bytes.
bool FeatureReportFitsFrame(const std::string& path, size_t bytesNeeded) {
  const auto info = HidGetBackend().QueryInterface(path);
  if (!info) return false;
  const size_t length = info->featureReportByteLength;
  return length >= bytesNeeded && length <= kCommandFrameLength;
}

}  // namespace

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
  if (!FeatureReportFitsFrame(path, 0)) return false;
  CommandFrame frame = BuildCommandFrame(reportId, commandCode, argumentBytes);
  return HidWriteFeature(path, frame.data());
}

bool QueryFeatureCommand(const std::string& path, uint8_t reportId, uint8_t commandCode,
                         std::span<const uint8_t, kQueryArgumentCount> argumentBytes,
                         std::span<uint8_t> answer) {
  const size_t answerEnd = kAnswerPayloadOffset + answer.size();
  if (answerEnd > kCommandFrameLength) return false;
  if (!FeatureReportFitsFrame(path, answerEnd)) return false;

  const CommandFrame request = BuildCommandFrame(reportId, commandCode, argumentBytes);
  CommandFrame frame = request;
  if (!HidWriteFeature(path, frame.data())) return false;
  // Byte 0 still holds the report ID, which selects the report to read.
  if (!HidReadFeature(path, frame.data())) return false;
  if (!AnswerEchoesRequest(request, frame)) return false;
  std::copy_n(frame.begin() + kAnswerPayloadOffset, answer.size(), answer.begin());
  return true;
}
