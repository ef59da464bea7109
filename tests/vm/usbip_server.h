// The device side of USB/IP for one emulated device: a thread that answers
// vhci-hcd's commands on one end of a stream socket. Control transfers go to
// the EmulatedHidDevice; interrupt IN transfers wait until the test hands in
// a report for their endpoint (reports handed in earlier wait for a transfer).
//
// Plugging in: Attach() makes a socket pair, gives one end to vhci-hcd by
// writing "port sockfd devid speed" to its attach file and serves the other.
// Unplugging: Detach() writes the port to the detach file; vhci-hcd closes
// its end and the serving thread sees the end of the stream.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/vm/emulated_hid_device.h"

class UsbipConnection {
 public:
  // Serves `socketFd` (owned) for `device` until the peer closes it.
  UsbipConnection(EmulatedHidDevice& device, int socketFd);
  ~UsbipConnection();  // closes the socket and joins the thread

  UsbipConnection(const UsbipConnection&) = delete;
  UsbipConnection& operator=(const UsbipConnection&) = delete;

  // Completes the oldest waiting IN transfer of `endpoint` with `report`,
  // or keeps the report until one is submitted. False once the peer is gone.
  bool SendInputReport(uint8_t endpoint, const std::vector<uint8_t>& report);

  // Interrupt IN transfers waiting for data on `endpoint`.
  size_t PendingTransfers(uint8_t endpoint) const;
  bool PeerGone() const;
  // Commands received that the server could not make sense of.
  uint32_t ProtocolErrors() const;

 private:
  struct PendingTransfer {
    uint32_t seqnum;
    uint32_t length;
  };

  void Serve();
  bool HandleSubmit(const usbip::Command& command);
  bool HandleUnlink(const usbip::Command& command);
  bool Reply(const usbip::HeaderBytes& header, const std::vector<uint8_t>& data);
  bool CompleteLocked(const PendingTransfer& transfer, const std::vector<uint8_t>& report);

  EmulatedHidDevice& m_Device;
  const int m_Fd;
  mutable std::mutex m_Mutex;  // guards the queues, the flags and socket writes
  std::map<uint8_t, std::deque<PendingTransfer>> m_Pending;
  std::map<uint8_t, std::deque<std::vector<uint8_t>>> m_QueuedReports;
  bool m_PeerGone = false;
  uint32_t m_ProtocolErrors = 0;
  std::thread m_Thread;
};

// vhci-hcd's sysfs controls.
class VhciController {
 public:
  explicit VhciController(std::string directory = "/sys/devices/platform/vhci_hcd.0")
      : m_Directory(std::move(directory)) {}

  // Plugs `device` into `port` at full speed. Retries for a while when the
  // port is still being released. Null on failure; `error` says why.
  std::unique_ptr<UsbipConnection> Attach(EmulatedHidDevice& device, int port, std::string* error);
  bool Detach(int port, std::string* error);

 private:
  bool WriteControl(const std::string& file, const std::string& text, int* savedErrno);
  const std::string m_Directory;
};
