// The USB/IP messages that pass between vhci-hcd and a device server: the
// 48-byte headers of CMD_SUBMIT, RET_SUBMIT, CMD_UNLINK and RET_UNLINK.
// Header fields travel big-endian; the 8-byte setup packet inside a
// CMD_SUBMIT is the USB one, little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace usbip {

inline constexpr uint32_t kCmdSubmit = 0x00000001;
inline constexpr uint32_t kCmdUnlink = 0x00000002;
inline constexpr uint32_t kRetSubmit = 0x00000003;
inline constexpr uint32_t kRetUnlink = 0x00000004;

inline constexpr uint32_t kDirOut = 0;
inline constexpr uint32_t kDirIn = 1;

inline constexpr size_t kHeaderBytes = 48;

// URB status values the kernel understands (negated errno).
inline constexpr int32_t kStatusOk = 0;
inline constexpr int32_t kStatusStall = -32;      // -EPIPE
inline constexpr int32_t kStatusUnlinked = -104;  // -ECONNRESET

using HeaderBytes = std::array<uint8_t, kHeaderBytes>;

struct SetupPacket {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
};

// A command from vhci-hcd, as far as a device server needs it.
struct Command {
  uint32_t command = 0;
  uint32_t seqnum = 0;
  uint32_t devid = 0;
  uint32_t direction = 0;
  uint32_t endpoint = 0;
  int32_t transferLength = 0;  // CMD_SUBMIT: bytes of the transfer buffer
  int32_t packets = 0;         // CMD_SUBMIT: isochronous packets (never used here)
  SetupPacket setup;           // CMD_SUBMIT on endpoint 0
  uint32_t unlinkSeqnum = 0;   // CMD_UNLINK: the submit to cancel
};

inline uint32_t GetBe32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

inline void PutBe32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

inline Command ParseCommand(const HeaderBytes& h) {
  Command c;
  c.command = GetBe32(&h[0]);
  c.seqnum = GetBe32(&h[4]);
  c.devid = GetBe32(&h[8]);
  c.direction = GetBe32(&h[12]);
  c.endpoint = GetBe32(&h[16]);
  if (c.command == kCmdSubmit) {
    c.transferLength = static_cast<int32_t>(GetBe32(&h[24]));
    c.packets = static_cast<int32_t>(GetBe32(&h[32]));
    c.setup.requestType = h[40];
    c.setup.request = h[41];
    c.setup.value = static_cast<uint16_t>(h[42] | h[43] << 8);
    c.setup.index = static_cast<uint16_t>(h[44] | h[45] << 8);
    c.setup.length = static_cast<uint16_t>(h[46] | h[47] << 8);
  } else if (c.command == kCmdUnlink) {
    c.unlinkSeqnum = GetBe32(&h[20]);
  }
  return c;
}

// RET_SUBMIT: devid, direction and endpoint go back as 0; the data of an
// IN transfer follows the header.
inline HeaderBytes RetSubmitHeader(uint32_t seqnum, int32_t status, uint32_t actualLength) {
  HeaderBytes h{};
  PutBe32(&h[0], kRetSubmit);
  PutBe32(&h[4], seqnum);
  PutBe32(&h[20], static_cast<uint32_t>(status));
  PutBe32(&h[24], actualLength);
  return h;
}

inline HeaderBytes RetUnlinkHeader(uint32_t seqnum, int32_t status) {
  HeaderBytes h{};
  PutBe32(&h[0], kRetUnlink);
  PutBe32(&h[4], seqnum);
  PutBe32(&h[20], static_cast<uint32_t>(status));
  return h;
}

// What vhci-hcd sends; used by the host-side tests that stand in for it.
inline HeaderBytes CmdSubmitHeader(uint32_t seqnum, uint32_t direction, uint32_t endpoint,
                                   uint32_t transferLength, const SetupPacket& setup = {}) {
  HeaderBytes h{};
  PutBe32(&h[0], kCmdSubmit);
  PutBe32(&h[4], seqnum);
  PutBe32(&h[8], 0x00010002);
  PutBe32(&h[12], direction);
  PutBe32(&h[16], endpoint);
  PutBe32(&h[24], transferLength);
  h[40] = setup.requestType;
  h[41] = setup.request;
  h[42] = static_cast<uint8_t>(setup.value);
  h[43] = static_cast<uint8_t>(setup.value >> 8);
  h[44] = static_cast<uint8_t>(setup.index);
  h[45] = static_cast<uint8_t>(setup.index >> 8);
  h[46] = static_cast<uint8_t>(setup.length);
  h[47] = static_cast<uint8_t>(setup.length >> 8);
  return h;
}

inline HeaderBytes CmdUnlinkHeader(uint32_t seqnum, uint32_t unlinkSeqnum) {
  HeaderBytes h{};
  PutBe32(&h[0], kCmdUnlink);
  PutBe32(&h[4], seqnum);
  PutBe32(&h[8], 0x00010002);
  PutBe32(&h[20], unlinkSeqnum);
  return h;
}

}  // namespace usbip
