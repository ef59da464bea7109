// Reading one input report from an open device, here or on another thread,
// and telling a read that waits from one that has ended.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>
#include <vector>

#include "platform/hid_backend.h"

struct ReadResult {
  HidOpenDevice::ReadStatus status;
  std::vector<uint8_t> bytes;  // what the read delivered
  // Whether the buffer past the delivered bytes still holds the fill it was
  // given: a skipped or refused report must not leave traces in it.
  bool restUntouched = true;
};

inline ReadResult Read(HidOpenDevice& device, size_t capacity = 64) {
  constexpr uint8_t kFill = 0x77;
  std::vector<uint8_t> buffer(capacity, kFill);
  size_t received = 0;
  const auto status = device.ReadInputReport(buffer.data(), buffer.size(), &received);
  ReadResult result{status, {}, true};
  for (size_t i = received; i < buffer.size(); ++i) result.restUntouched &= buffer[i] == kFill;
  buffer.resize(received);
  result.bytes = std::move(buffer);
  return result;
}

// A read on another thread; the device must outlive it.
inline std::future<ReadResult> StartRead(HidOpenDevice& device, size_t capacity = 64) {
  return std::async(std::launch::async, [&device, capacity] { return Read(device, capacity); });
}

// Whether the read is still waiting after a moment in which it would have
// ended if anything were there to end it.
inline bool StillWaiting(const std::future<ReadResult>& read) {
  return read.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout;
}

// Whether the read ends within a deadline that only a hang can miss.
inline bool EndsInTime(const std::future<ReadResult>& read) {
  return read.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
}
