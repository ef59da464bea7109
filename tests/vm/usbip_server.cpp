#include "tests/vm/usbip_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kFullSpeed = 2;  // enum usb_device_speed
// More than any transfer of these devices; a larger one is a broken stream.
constexpr int32_t kMaxTransferBytes = 4096;

bool ReadExactly(int fd, void* buffer, size_t length) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  while (length > 0) {
    const ssize_t n = ::recv(fd, bytes, length, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteExactly(int fd, const void* buffer, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (length > 0) {
    const ssize_t n = ::send(fd, bytes, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

UsbipConnection::UsbipConnection(EmulatedHidDevice& device, int socketFd)
    : m_Device(device), m_Fd(socketFd), m_Thread([this] { Serve(); }) {}

UsbipConnection::~UsbipConnection() {
  ::shutdown(m_Fd, SHUT_RDWR);
  m_Thread.join();
  ::close(m_Fd);
}

void UsbipConnection::Serve() {
  for (;;) {
    usbip::HeaderBytes header;
    if (!ReadExactly(m_Fd, header.data(), header.size())) break;
    const usbip::Command command = usbip::ParseCommand(header);
    bool ok = false;
    if (command.command == usbip::kCmdSubmit) {
      ok = HandleSubmit(command);
    } else if (command.command == usbip::kCmdUnlink) {
      ok = HandleUnlink(command);
    }
    if (!ok) {
      std::lock_guard lock(m_Mutex);
      ++m_ProtocolErrors;
      break;
    }
  }
  std::lock_guard lock(m_Mutex);
  m_PeerGone = true;
  m_Pending.clear();
}

bool UsbipConnection::HandleSubmit(const usbip::Command& command) {
  if (command.transferLength < 0 || command.transferLength > kMaxTransferBytes ||
      command.packets > 0) {
    return false;  // isochronous or garbage: nothing these devices do
  }
  std::vector<uint8_t> outData;
  if (command.direction == usbip::kDirOut && command.transferLength > 0) {
    outData.resize(static_cast<size_t>(command.transferLength));
    if (!ReadExactly(m_Fd, outData.data(), outData.size())) return false;
  }

  if (command.endpoint == 0) {
    const ControlAnswer answer = m_Device.Control(command.setup, outData);
    if (command.direction == usbip::kDirIn) {
      std::vector<uint8_t> data = answer.data;
      if (data.size() > static_cast<size_t>(command.transferLength)) {
        data.resize(static_cast<size_t>(command.transferLength));
      }
      if (answer.status != usbip::kStatusOk) data.clear();
      return Reply(
          usbip::RetSubmitHeader(command.seqnum, answer.status, static_cast<uint32_t>(data.size())),
          data);
    }
    return Reply(usbip::RetSubmitHeader(command.seqnum, answer.status,
                                        answer.status == usbip::kStatusOk ? answer.outLength : 0),
                 {});
  }

  const auto endpoint = static_cast<uint8_t>(command.endpoint);
  if (command.direction == usbip::kDirOut) {
    // No OUT endpoints are declared; take the data and say it went.
    return Reply(usbip::RetSubmitHeader(command.seqnum, usbip::kStatusOk,
                                        static_cast<uint32_t>(outData.size())),
                 {});
  }
  std::lock_guard lock(m_Mutex);
  const PendingTransfer transfer{command.seqnum, static_cast<uint32_t>(command.transferLength)};
  auto& queued = m_QueuedReports[endpoint];
  if (!queued.empty()) {
    const std::vector<uint8_t> report = std::move(queued.front());
    queued.pop_front();
    return CompleteLocked(transfer, report);
  }
  m_Pending[endpoint].push_back(transfer);
  return true;
}

bool UsbipConnection::HandleUnlink(const usbip::Command& command) {
  std::lock_guard lock(m_Mutex);
  int32_t status = usbip::kStatusOk;  // already completed: nothing to cancel
  for (auto& [endpoint, transfers] : m_Pending) {
    for (auto it = transfers.begin(); it != transfers.end(); ++it) {
      if (it->seqnum == command.unlinkSeqnum) {
        transfers.erase(it);
        status = usbip::kStatusUnlinked;
        break;
      }
    }
    if (status != usbip::kStatusOk) break;
  }
  const usbip::HeaderBytes header = usbip::RetUnlinkHeader(command.seqnum, status);
  return WriteExactly(m_Fd, header.data(), header.size());
}

bool UsbipConnection::Reply(const usbip::HeaderBytes& header, const std::vector<uint8_t>& data) {
  std::lock_guard lock(m_Mutex);
  return WriteExactly(m_Fd, header.data(), header.size()) &&
         (data.empty() || WriteExactly(m_Fd, data.data(), data.size()));
}

bool UsbipConnection::CompleteLocked(const PendingTransfer& transfer,
                                     const std::vector<uint8_t>& report) {
  const size_t length = std::min<size_t>(report.size(), transfer.length);
  const usbip::HeaderBytes header =
      usbip::RetSubmitHeader(transfer.seqnum, usbip::kStatusOk, static_cast<uint32_t>(length));
  return WriteExactly(m_Fd, header.data(), header.size()) &&
         (length == 0 || WriteExactly(m_Fd, report.data(), length));
}

bool UsbipConnection::SendInputReport(uint8_t endpoint, const std::vector<uint8_t>& report) {
  std::lock_guard lock(m_Mutex);
  if (m_PeerGone) return false;
  auto& transfers = m_Pending[endpoint];
  if (transfers.empty()) {
    m_QueuedReports[endpoint].push_back(report);
    return true;
  }
  const PendingTransfer transfer = transfers.front();
  transfers.pop_front();
  return CompleteLocked(transfer, report);
}

size_t UsbipConnection::PendingTransfers(uint8_t endpoint) const {
  std::lock_guard lock(m_Mutex);
  const auto it = m_Pending.find(endpoint);
  return it == m_Pending.end() ? 0 : it->second.size();
}

bool UsbipConnection::PeerGone() const {
  std::lock_guard lock(m_Mutex);
  return m_PeerGone;
}

uint32_t UsbipConnection::ProtocolErrors() const {
  std::lock_guard lock(m_Mutex);
  return m_ProtocolErrors;
}

// ---------------------------------------------------------------------------

bool VhciController::WriteControl(const std::string& file, const std::string& text,
                                  int* savedErrno) {
  const int fd = ::open((m_Directory + "/" + file).c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    *savedErrno = errno;
    return false;
  }
  const ssize_t n = ::write(fd, text.data(), text.size());
  *savedErrno = errno;
  ::close(fd);
  return n == static_cast<ssize_t>(text.size());
}

std::unique_ptr<UsbipConnection> VhciController::Attach(EmulatedHidDevice& device, int port,
                                                        std::string* error) {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    *error = std::string("socketpair: ") + std::strerror(errno);
    return nullptr;
  }
  // devid only has to be unique per port; it comes back in every command.
  const uint32_t devid = (1u << 16) | static_cast<uint32_t>(port + 2);
  const std::string request = std::to_string(port) + " " + std::to_string(sockets[1]) + " " +
                              std::to_string(devid) + " " + std::to_string(kFullSpeed);
  // A port that was just detached stays busy until vhci-hcd has let go.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int lastErrno = 0;
  bool attached = false;
  while (!(attached = WriteControl("attach", request, &lastErrno)) && lastErrno == EBUSY &&
         std::chrono::steady_clock::now() < deadline) {
    ::usleep(50 * 1000);
  }
  // vhci-hcd holds its own reference to the socket now.
  ::close(sockets[1]);
  if (!attached) {
    ::close(sockets[0]);
    *error = "attach port " + std::to_string(port) + ": " + std::strerror(lastErrno);
    return nullptr;
  }
  return std::make_unique<UsbipConnection>(device, sockets[0]);
}

bool VhciController::Detach(int port, std::string* error) {
  int savedErrno = 0;
  if (!WriteControl("detach", std::to_string(port), &savedErrno)) {
    *error = "detach port " + std::to_string(port) + ": " + std::strerror(savedErrno);
    return false;
  }
  return true;
}
