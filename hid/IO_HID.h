// IO_HID: the program's only door to the HID stack. Every path-based
// operation opens its own handle and releases it before returning; failures
// are reported by results only (false, 0, "", a shorter list).
//
// The operations run on the backend set with HidSetBackend: the Linux
// hidraw backend in the program, the simulated backend in the simulator and
// the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "platform/message.h"

using HidPathList = std::vector<std::string>;

// The enumeration set: the paths present when it was opened.
struct HidEnumerationSet {
  std::vector<std::string> paths;
};

// The backend is set once at start and is never handed out: everything
// above this unit reaches devices through the Hid operations below.
void HidSetBackend(std::shared_ptr<HidBackend> backend);

// Called, from whichever thread opened it, each time a device cannot be
// opened because the user may not (see HidBackend::AccessDenied), with the
// path asked for. Must be safe to call from any thread; empty: nobody is
// told.
void HidSetAccessDeniedHandler(std::function<void(const std::string& path)> handler);

// --- enumeration and identity ---

// The path at `index` of the set, or "" when there is none.
std::string HidInterfacePathAt(const HidEnumerationSet& set, uint32_t index);

// Appends the path of every present interface whose identity passes the four
// filters (-1 = any value; any other value must equal the 16-bit field, so a
// value outside 0-65535 never matches). Returns the number appended.
// A null pList stops the program with the assertion "pList != NULL".
int32_t HidCollectPaths(HidPathList* pList, int32_t vendorId, int32_t productId, int32_t usagePage,
                        int32_t usage);

// As HidCollectPaths with value lists ended by -1 (null = any value).
int32_t HidCollectPathsIn(HidPathList* pList, const int32_t* vendorIds, const int32_t* productIds,
                          const int32_t* usagePages, const int32_t* usages);

// True when the low 16 bits of an entry before the -1 terminator equal value.
bool HidListContains(uint16_t value, const int32_t* list);

// Reads the identity; writes the non-null outputs only on success.
bool HidQueryIdentity(const std::string& path, uint16_t* vendorId, uint16_t* productId,
                      uint16_t* usagePage, uint16_t* usage, uint16_t* versionNumber);

// --- reports and strings ---

// Transfers exactly the device's feature report length from/into `buffer`
// (report ID in byte 0); the buffer must be at least that long.
bool HidWriteFeature(const std::string& path, uint8_t* buffer);
bool HidReadFeature(const std::string& path, uint8_t* buffer);

// The same with the buffer's size: a device whose feature report, as the
// opened node describes it, is longer than `capacity` is refused before any
// transfer. A read reports in `received` how many bytes the device sent;
// the bytes of `buffer` past them are not the device's.
bool HidWriteFeature(const std::string& path, uint8_t* buffer, size_t capacity);
bool HidReadFeature(const std::string& path, uint8_t* buffer, size_t capacity, size_t* received);

// The HID devices that left a feature request unanswered, kept beyond one
// exchange session: a device that arrives with many collections announces
// each of them on its own, and each announcement would otherwise cost the
// kernel's timeout again. A device is known by its connected instance, so
// plugged in again it is a new device and is asked again. Used on one
// thread.
class HidSilentDevices {
 public:
  // Whether the HID device of `path` is given up.
  bool Holds(const std::string& path) const;
  // Gives up the HID device of `path`, all its interfaces.
  void GiveUp(const std::string& path);
  // The device of `path` was removed: forgets it.
  void Forget(const std::string& path);
  size_t Count() const { return m_Devices.size(); }

 private:
  std::set<std::string> m_Devices;  // DeviceKeyOf the devices given up
};

// Feature traffic of one discovery pass or one close. While a session lives
// on the calling thread:
// - a device that left a feature request unanswered (it timed out, which
//   costs the kernel's timeout) is given up: every later exchange with any
//   interface of the same HID device fails at once, without traffic; a
//   refusal is an answer and gives nothing up. With `silentDevices` the
//   devices given up are kept there (those it already holds are given up
//   from the start); without, they are forgotten with the session;
// - once `stopRequested` answers true (checked before every exchange), every
//   exchange fails at once, so the caller's loop runs out quickly.
// A session made while another lives on the thread joins it.
class HidExchangeSession {
 public:
  explicit HidExchangeSession(std::function<bool()> stopRequested = {},
                              HidSilentDevices* silentDevices = nullptr);
  ~HidExchangeSession();
  HidExchangeSession(const HidExchangeSession&) = delete;
  HidExchangeSession& operator=(const HidExchangeSession&) = delete;

  // Whether the stop was requested; asks `stopRequested` again.
  bool Stopped() const;

  struct State;

 private:
  std::unique_ptr<State> m_Owned;  // null for a session that joined another
};

// Reads the device string `index` as zero-terminated UTF-16 into
// pReportBuffer (bufferLength bytes). A null pReportBuffer stops the program
// with the assertion "pReportBuffer != NULL".
bool HidReadIndexedString(const std::string& path, int32_t index, void* pReportBuffer,
                          uint32_t bufferLength);

// Opens a path for the monitors' input reads (read and write access).
std::unique_ptr<HidOpenDevice> HidOpenForReports(const std::string& path);

// The input report length of an open device, report-ID byte included; 0
// when the capabilities cannot be read.
uint32_t HidInputReportLength(const HidOpenDevice& device);

// --- arrival notifications ---

// Registers for interface arrival and removal: returns the handle that the
// caller's event loop waits on (kNoWaitHandle when changes cannot be
// watched this way).
WaitHandle HidRegisterArrival();

// Called when that handle is raised: posts one WM_DEVICECHANGE per
// change (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE, a DeviceBroadcast
// of type DBT_DEVTYP_DEVICEINTERFACE naming the path).
void HidPostDeviceChanges(MessagePoster& window);
