// The seam between IO_HID and the operating system's HID stack.
//
// A backend lists HID interface paths (one per top-level collection), reads
// an interface's identity and strings without opening it, and opens it for
// feature reports and input reads. The Linux backend speaks to hidraw and
// udev; the simulated backend answers the same calls from simulated devices,
// so everything above this seam runs unchanged on either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/change_signal.h"

// What a query-only open of an interface can tell: the attributes of the
// device and the capabilities of the interface's top-level collection.
struct HidInterfaceInfo {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Longest report of each kind in the collection, report-ID byte included.
  uint16_t inputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
};

// An interface opened for reading and writing. Each object is used by one
// thread at a time, except Cancel(), which any thread may call.
class HidOpenDevice {
 public:
  virtual ~HidOpenDevice() = default;

  // The collection's capabilities, read when the device was opened; nullopt
  // when they could not be read.
  virtual std::optional<HidInterfaceInfo> Capabilities() const = 0;

  // How a feature transfer ended. A refusal (a stall) is an answer; a
  // device that does not answer at all holds the call for the kernel's
  // timeout, which callers must be able to tell apart.
  enum class FeatureStatus {
    Done,
    Refused,   // the device or the stack declined the report
    TimedOut,  // the device never answered
    Gone,      // the device was removed or the handle is no longer valid
  };
  struct FeatureTransfer {
    FeatureStatus status = FeatureStatus::Refused;
    size_t bytes = 0;  // bytes the device took or sent, report ID included
    explicit operator bool() const { return status == FeatureStatus::Done; }
  };

  // Feature reports of at most `length` bytes from/into `buffer`; byte 0 is
  // the report ID. A read may give fewer bytes than asked for: the bytes of
  // `buffer` past FeatureTransfer::bytes are not the device's.
  virtual FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) = 0;
  virtual FeatureTransfer GetFeature(uint8_t* buffer, size_t length) = 0;

  enum class ReadStatus {
    Report,     // one input report is in the buffer; byte 0 is its report ID
    Cancelled,  // Cancel() was called
    Gone,       // the device was removed or the handle is no longer valid
    Failed,     // any other error; nothing is pending afterwards
  };
  // Blocks without timeout until one input report arrives, the device goes
  // away, or Cancel() is called. A report longer than `capacity` is cut.
  virtual ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) = 0;

  // Wakes a blocked ReadInputReport and makes every later one return
  // Cancelled. Thread-safe and idempotent.
  virtual void Cancel() = 0;
};

// One change of the set of present interfaces.
struct HidDeviceChange {
  bool arrived = false;  // true: a new interface; false: one was removed
  std::string path;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // Every present interface path, in enumeration order.
  virtual std::vector<std::string> EnumeratePaths() = 0;

  // Identity and capabilities without opening the device for I/O;
  // nullopt when the interface is gone or cannot be described.
  virtual std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) = 0;

  // The device string at `index` (1 manufacturer, 2 product) as UTF-16,
  // without terminator; nullopt when it cannot be read.
  virtual std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) = 0;

  // Opens the interface for feature reports and input reads; nullptr on
  // failure, also when the node no longer belongs to the HID device the
  // path was found on.
  virtual std::unique_ptr<HidOpenDevice> Open(const std::string& path) = 0;
  // Whether the interface at `path` is there but this user may not open it
  // (on Linux: a hidraw node the udev rule has not given to the seat's
  // user). Asked after Open failed, to tell the user what to do; where the
  // system itself keeps interfaces to itself (Windows' keyboards and mice),
  // a refusal is no fault and the answer is false.
  virtual bool AccessDenied(const std::string& /*path*/) { return false; }

  // The same text for every interface path of one connected HID device, and
  // a different one after it is plugged in again.
  virtual std::string DeviceKeyOf(const std::string& path) const = 0;

  // Arrival and removal of interfaces. ChangeHandle() is raised while
  // changes are pending; TakeChanges() returns them without blocking.
  // ChangeHandle() is kNoWaitHandle when the backend cannot watch for
  // changes (also where the system posts them to a window itself).
  virtual WaitHandle ChangeHandle() = 0;
  virtual std::vector<HidDeviceChange> TakeChanges() = 0;
};
