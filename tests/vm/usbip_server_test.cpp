// The USB/IP device server against a socket pair standing in for vhci-hcd:
// descriptor answers, the family's feature commands, and the interrupt IN
// transfers that carry input reports, with unlinks.
#include "tests/vm/usbip_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace {

struct Reply {
  uint32_t command = 0;
  uint32_t seqnum = 0;
  int32_t status = 0;
  uint32_t actualLength = 0;
  std::vector<uint8_t> data;
};

// The host controller's side of the stream.
class VhciStandIn {
 public:
  explicit VhciStandIn(int fd) : m_Fd(fd) {}
  ~VhciStandIn() { ::close(m_Fd); }

  void Submit(uint32_t seqnum, uint32_t direction, uint32_t endpoint, uint32_t length,
              const usbip::SetupPacket& setup = {}, const std::vector<uint8_t>& out = {}) {
    const auto header = usbip::CmdSubmitHeader(seqnum, direction, endpoint, length, setup);
    Write(header.data(), header.size());
    if (!out.empty()) Write(out.data(), out.size());
  }

  void Unlink(uint32_t seqnum, uint32_t victim) {
    const auto header = usbip::CmdUnlinkHeader(seqnum, victim);
    Write(header.data(), header.size());
  }

  // One reply; the data of a RET_SUBMIT follows when `inTransfer`.
  Reply Read(bool inTransfer) {
    usbip::HeaderBytes h{};
    Reply reply;
    if (!ReadExactly(h.data(), h.size())) return reply;
    reply.command = usbip::GetBe32(&h[0]);
    reply.seqnum = usbip::GetBe32(&h[4]);
    reply.status = static_cast<int32_t>(usbip::GetBe32(&h[20]));
    reply.actualLength = usbip::GetBe32(&h[24]);
    if (reply.command == usbip::kRetSubmit && inTransfer && reply.actualLength > 0) {
      reply.data.resize(reply.actualLength);
      ReadExactly(reply.data.data(), reply.data.size());
    }
    return reply;
  }

  // Nothing more arrives within a short while.
  bool Quiet() {
    timeval tv{0, 200 * 1000};
    ::setsockopt(m_Fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    uint8_t byte;
    const ssize_t n = ::recv(m_Fd, &byte, 1, MSG_PEEK);
    timeval none{0, 0};
    ::setsockopt(m_Fd, SOL_SOCKET, SO_RCVTIMEO, &none, sizeof none);
    return n < 0;
  }

  Reply Control(uint32_t seqnum, const usbip::SetupPacket& setup,
                const std::vector<uint8_t>& out = {}) {
    const bool in = (setup.requestType & 0x80) != 0;
    Submit(seqnum, in ? usbip::kDirIn : usbip::kDirOut, 0,
           in ? setup.length : static_cast<uint32_t>(out.size()), setup, out);
    return Read(in);
  }

 private:
  void Write(const uint8_t* data, size_t length) {
    ASSERT_EQ(::send(m_Fd, data, length, MSG_NOSIGNAL), static_cast<ssize_t>(length));
  }
  bool ReadExactly(uint8_t* data, size_t length) {
    while (length > 0) {
      const ssize_t n = ::recv(m_Fd, data, length, 0);
      if (n <= 0) return false;
      data += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  int m_Fd;
};

class UsbipServerTest : public ::testing::Test {
 protected:
  void Plug(DeviceSpec spec) {
    m_Device = std::make_unique<EmulatedHidDevice>(std::move(spec));
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    m_Connection = std::make_unique<UsbipConnection>(*m_Device, fds[0]);
    m_Host = std::make_unique<VhciStandIn>(fds[1]);
  }
  void SetUp() override { Plug(FamilyKeyboardSpec()); }

  std::unique_ptr<EmulatedHidDevice> m_Device;
  std::unique_ptr<UsbipConnection> m_Connection;
  std::unique_ptr<VhciStandIn> m_Host;
};

std::vector<uint8_t> Utf16(const std::string& text) {
  std::vector<uint8_t> out;
  for (char c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

TEST_F(UsbipServerTest, DescriptorRequestsAnswerUpToTheRequestedLength) {
  const auto config = m_Device->ConfigurationDescriptor();
  const auto reportOfVendorInterface = m_Device->Spec().interfaces[1].reportDescriptor;
  struct Case {
    const char* what;
    usbip::SetupPacket setup;
    int32_t status;
    std::vector<uint8_t> expected;  // empty with a stall
  };
  const std::vector<uint8_t> manufacturer = [] {
    std::vector<uint8_t> d{18, 3};
    const auto text = Utf16("COMPANY ");
    d.insert(d.end(), text.begin(), text.end());
    return d;
  }();
  const Case cases[] = {
      {"device descriptor, first 8 bytes",
       {0x80, 6, 0x0100, 0, 8},
       0,
       {18, 1, 0x00, 0x02, 0, 0, 0, 64}},
      {"configuration header",
       {0x80, 6, 0x0200, 0, 9},
       0,
       std::vector<uint8_t>(config.begin(), config.begin() + 9)},
      {"whole configuration", {0x80, 6, 0x0200, 0, 0xFF}, 0, config},
      {"languages", {0x80, 6, 0x0300, 0, 0xFF}, 0, {4, 3, 0x09, 0x04}},
      {"manufacturer with its trailing blank", {0x80, 6, 0x0301, 0x0409, 0xFF}, 0, manufacturer},
      {"no serial number string", {0x80, 6, 0x0303, 0x0409, 0xFF}, usbip::kStatusStall, {}},
      {"device qualifier", {0x80, 6, 0x0600, 0, 10}, usbip::kStatusStall, {}},
      {"report descriptor of interface 1",
       {0x81, 6, 0x2200, 1, 0x1000},
       0,
       reportOfVendorInterface},
      {"report descriptor of a missing interface",
       {0x81, 6, 0x2200, 5, 0x100},
       usbip::kStatusStall,
       {}},
  };
  uint32_t seqnum = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Reply reply = m_Host->Control(seqnum, c.setup);
    EXPECT_EQ(reply.command, usbip::kRetSubmit);
    EXPECT_EQ(reply.seqnum, seqnum);
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.data, c.expected);
    ++seqnum;
  }
  // The total length and the HID descriptor's report length must agree with
  // what is sent, or the kernel reads short descriptors.
  EXPECT_EQ(config[2] | config[3] << 8, static_cast<int>(config.size()));
  const size_t hidOfInterface1 = 9 + 9 + 9 + 7 + 9;
  EXPECT_EQ(config[hidOfInterface1 + 7] | config[hidOfInterface1 + 8] << 8,
            static_cast<int>(reportOfVendorInterface.size()));
  EXPECT_EQ(m_Connection->ProtocolErrors(), 0u);
}

TEST_F(UsbipServerTest, ModelQueryIsEchoedWithTheModelWordAndQualificationByte) {
  std::vector<uint8_t> query(64, 0);
  query[0] = 0x07;
  query[1] = 0x1F;
  query[2] = 0xA5;  // argument bytes come back in the echo
  const Reply set = m_Host->Control(1, {0x21, 0x09, 0x0307, 1, 64}, query);
  EXPECT_EQ(set.status, 0);
  EXPECT_EQ(set.actualLength, 64u);

  const Reply get = m_Host->Control(2, {0xA1, 0x01, 0x0307, 1, 64});
  ASSERT_EQ(get.status, 0);
  ASSERT_EQ(get.data.size(), 64u);
  EXPECT_EQ(std::vector<uint8_t>(get.data.begin(), get.data.begin() + 8),
            std::vector<uint8_t>(query.begin(), query.begin() + 8));
  EXPECT_EQ(get.data[10] | get.data[11] << 8, 0x1A20);
  EXPECT_EQ(get.data[16], 0x20);

  const auto log = m_Device->FeatureLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0].hostWrote);
  EXPECT_FALSE(log[1].hostWrote);
  EXPECT_EQ(log[0].interface, 1);
  EXPECT_EQ(log[0].data, query);
}

TEST_F(UsbipServerTest, FeatureReportsOutsideTheVendorCollectionStallAndAreRecorded) {
  struct Case {
    const char* what;
    usbip::SetupPacket setup;
  };
  const Case cases[] = {
      {"SET_REPORT to the boot interface", {0x21, 0x09, 0x0307, 0, 64}},
      {"SET_REPORT with consumer control's report ID", {0x21, 0x09, 0x0302, 1, 64}},
      {"GET_REPORT from the boot interface", {0xA1, 0x01, 0x0307, 0, 64}},
  };
  uint32_t seqnum = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool in = (c.setup.requestType & 0x80) != 0;
    const Reply reply = m_Host->Control(seqnum++, c.setup,
                                        in ? std::vector<uint8_t>{} : std::vector<uint8_t>(64, 7));
    EXPECT_EQ(reply.status, usbip::kStatusStall);
    EXPECT_TRUE(reply.data.empty());
  }
  EXPECT_EQ(m_Device->FeatureLog().size(), std::size(cases));
}

TEST_F(UsbipServerTest, OutputReportsAreNotFeatureTraffic) {
  // The kernel sets the boot keyboard's LEDs with SET_REPORT of type output.
  const Reply reply = m_Host->Control(1, {0x21, 0x09, 0x0200, 0, 1}, {0x01});
  EXPECT_EQ(reply.status, 0);
  EXPECT_TRUE(m_Device->FeatureLog().empty());
}

TEST_F(UsbipServerTest, InputReportsCompleteWaitingTransfersInOrder) {
  m_Host->Submit(10, usbip::kDirIn, 2, 64);
  m_Host->Submit(11, usbip::kDirIn, 2, 64);
  // The serving thread takes the submits in its own time.
  for (int i = 0; i < 6000 && m_Connection->PendingTransfers(2) < 2; ++i) ::usleep(5000);
  ASSERT_EQ(m_Connection->PendingTransfers(2), 2u);
  EXPECT_TRUE(m_Host->Quiet());

  const auto first = FamilyReport({{1, 0x20}, {4, 0x83}});
  const auto second = FamilyReport({{1, 0x20}, {6, 0xC2}});
  ASSERT_TRUE(m_Connection->SendInputReport(2, first));
  ASSERT_TRUE(m_Connection->SendInputReport(2, second));
  const Reply a = m_Host->Read(true);
  const Reply b = m_Host->Read(true);
  EXPECT_EQ(a.seqnum, 10u);
  EXPECT_EQ(a.data, first);
  EXPECT_EQ(b.seqnum, 11u);
  EXPECT_EQ(b.data, second);
}

TEST_F(UsbipServerTest, AReportSentBeforeAnyTransferWaitsForOneAndIsCutToItsLength) {
  ASSERT_TRUE(m_Connection->SendInputReport(1, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
  m_Host->Submit(20, usbip::kDirIn, 1, 8);
  const Reply reply = m_Host->Read(true);
  EXPECT_EQ(reply.seqnum, 20u);
  EXPECT_EQ(reply.data, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(UsbipServerTest, UnlinkCancelsAWaitingTransferAndTheNextReportGoesElsewhere) {
  m_Host->Submit(30, usbip::kDirIn, 2, 64);
  m_Host->Submit(31, usbip::kDirIn, 2, 64);
  m_Host->Unlink(32, 30);
  const Reply unlinked = m_Host->Read(false);
  EXPECT_EQ(unlinked.command, usbip::kRetUnlink);
  EXPECT_EQ(unlinked.seqnum, 32u);
  EXPECT_EQ(unlinked.status, usbip::kStatusUnlinked);

  m_Host->Unlink(33, 999);  // never submitted, or already completed
  const Reply late = m_Host->Read(false);
  EXPECT_EQ(late.command, usbip::kRetUnlink);
  EXPECT_EQ(late.status, 0);

  ASSERT_TRUE(m_Connection->SendInputReport(2, FamilyReport({{1, 0x01}})));
  const Reply report = m_Host->Read(true);
  EXPECT_EQ(report.command, usbip::kRetSubmit);
  EXPECT_EQ(report.seqnum, 31u);
}

TEST_F(UsbipServerTest, ABrokenStreamEndsTheConnection) {
  // A transfer length no HID device of these would ask for.
  m_Host->Submit(40, usbip::kDirOut, 0, 0x7FFFFFFF);
  for (int i = 0; i < 6000 && !m_Connection->PeerGone(); ++i) ::usleep(5000);
  EXPECT_TRUE(m_Connection->PeerGone());
  EXPECT_EQ(m_Connection->ProtocolErrors(), 1u);
  EXPECT_FALSE(m_Connection->SendInputReport(2, FamilyReport({})));
}

TEST_F(UsbipServerTest, Es2862AnswersNoFeatureCommand) {
  Plug(Es2862Spec());
  std::vector<uint8_t> query(64, 0);
  query[0] = 0x07;
  query[1] = 0x1F;
  EXPECT_EQ(m_Host->Control(1, {0x21, 0x09, 0x0307, 0, 64}, query).status, usbip::kStatusStall);
  EXPECT_EQ(m_Host->Control(2, {0xA1, 0x01, 0x0307, 0, 64}).status, usbip::kStatusStall);
  const auto report = Es2862Report(0x87, 0xC8);
  EXPECT_EQ(report[0], 0x05);
  EXPECT_EQ(report[1], 0x87);
  EXPECT_EQ(report[7], 0xC8);
}

}  // namespace
