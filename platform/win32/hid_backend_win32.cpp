#include "platform/win32/hid_backend_win32.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// mingw-w64's HID headers declare hid.dll's functions without C linkage.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
// clang-format on

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/device_log_sink.h"
#include "platform/win32/wide_text.h"

namespace {

// A handle closed when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_Handle(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(m_Handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return m_Handle != INVALID_HANDLE_VALUE && m_Handle != nullptr; }
  HANDLE get() const { return m_Handle; }

 private:
  HANDLE m_Handle;
};

// Access 0 opens even the collections that Windows holds exclusively
// (keyboards, mice): enough for attributes, capabilities and strings.
HANDLE OpenInterface(const std::string& path, DWORD access, DWORD flags) {
  const HANDLE handle =
      CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) LogDeviceFailure("CreateFile", path, GetLastError());
  return handle;
}

std::optional<HidInterfaceInfo> DescribeHandle(HANDLE handle, const std::string& path) {
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!HidD_GetAttributes(handle, &attributes)) {
    LogDeviceFailure("HidD_GetAttributes", path, GetLastError());
    return std::nullopt;
  }
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(handle, &preparsed)) {
    LogDeviceFailure("HidD_GetPreparsedData", path, GetLastError());
    return std::nullopt;
  }
  HIDP_CAPS caps{};
  const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
  HidD_FreePreparsedData(preparsed);
  if (status != HIDP_STATUS_SUCCESS) return std::nullopt;
  HidInterfaceInfo info;
  info.vendorId = attributes.VendorID;
  info.productId = attributes.ProductID;
  info.versionNumber = attributes.VersionNumber;
  info.usagePage = caps.UsagePage;
  info.usage = caps.Usage;
  info.inputReportByteLength = caps.InputReportByteLength;
  info.featureReportByteLength = caps.FeatureReportByteLength;
  return info;
}

class Win32OpenDevice : public HidOpenDevice {
 public:
  Win32OpenDevice(HANDLE handle, std::optional<HidInterfaceInfo> capabilities)
      : m_Handle(handle),
        m_ReadEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        m_CancelEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        m_Capabilities(std::move(capabilities)) {}

  std::optional<HidInterfaceInfo> Capabilities() const override { return m_Capabilities; }

  // hid.dll wants buffers of the collection's feature length exactly: a
  // shorter frame is padded with zeros, a longer answer is cut.
  FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) override {
    if (buffer == nullptr || length == 0) return {};
    std::vector<uint8_t> frame(buffer, buffer + length);
    if (frame.size() < FeatureLength()) frame.resize(FeatureLength(), 0);
    if (!HidD_SetFeature(m_Handle.get(), frame.data(), static_cast<ULONG>(frame.size()))) {
      return Failure("HidD_SetFeature");
    }
    return {FeatureStatus::Done, length};
  }

  FeatureTransfer GetFeature(uint8_t* buffer, size_t length) override {
    if (buffer == nullptr || length == 0) return {};
    std::vector<uint8_t> frame(std::max(length, FeatureLength()), 0);
    frame[0] = buffer[0];  // the report ID asked for
    if (!HidD_GetFeature(m_Handle.get(), frame.data(), static_cast<ULONG>(frame.size()))) {
      return Failure("HidD_GetFeature");
    }
    const size_t bytes = std::min(length, frame.size());
    std::memcpy(buffer, frame.data(), bytes);
    return {FeatureStatus::Done, bytes};
  }

  ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override {
    if (received != nullptr) *received = 0;
    if (buffer == nullptr && capacity != 0) return ReadStatus::Failed;
    if (!m_ReadEvent.valid() || !m_CancelEvent.valid()) return ReadStatus::Failed;
    if (m_Cancelled.load()) return ReadStatus::Cancelled;

    // Windows refuses reads shorter than the collection's input report.
    const size_t reportLength = m_Capabilities ? m_Capabilities->inputReportByteLength : 0;
    m_Scratch.resize(std::max<size_t>({reportLength, capacity, 1}));
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_ReadEvent.get();
    ResetEvent(m_ReadEvent.get());
    DWORD bytes = 0;
    if (!ReadFile(m_Handle.get(), m_Scratch.data(), static_cast<DWORD>(m_Scratch.size()), nullptr,
                  &overlapped)) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) return ReadFailure(error);
      const HANDLE events[2] = {m_ReadEvent.get(), m_CancelEvent.get()};
      const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
      if (woken != WAIT_OBJECT_0) {
        // The read still owns the buffer until it has ended.
        CancelIo(m_Handle.get());
        GetOverlappedResult(m_Handle.get(), &overlapped, &bytes, TRUE);
        return ReadStatus::Cancelled;
      }
    }
    if (!GetOverlappedResult(m_Handle.get(), &overlapped, &bytes, TRUE)) {
      return ReadFailure(GetLastError());
    }
    const size_t copied = std::min<size_t>(bytes, capacity);
    std::memcpy(buffer, m_Scratch.data(), copied);
    if (received != nullptr) *received = copied;
    return ReadStatus::Report;
  }

  void Cancel() override {
    m_Cancelled.store(true);
    SetEvent(m_CancelEvent.get());
  }

 private:
  size_t FeatureLength() const {
    return m_Capabilities ? m_Capabilities->featureReportByteLength : 0;
  }

  FeatureTransfer Failure(const char* call) {
    const DWORD error = GetLastError();
    LogDeviceFailure(call, "", error);
    return {Win32FeatureFailure(error), 0};
  }

  ReadStatus ReadFailure(DWORD error) {
    LogDeviceFailure("ReadFile", "", error);
    switch (error) {
      case ERROR_DEVICE_NOT_CONNECTED:
      case ERROR_INVALID_HANDLE:
      case ERROR_BAD_COMMAND:
      case ERROR_FILE_NOT_FOUND:
        return ReadStatus::Gone;
      case ERROR_OPERATION_ABORTED:
        return m_Cancelled.load() ? ReadStatus::Cancelled : ReadStatus::Failed;
      default:
        return ReadStatus::Failed;
    }
  }

  FileHandle m_Handle;
  FileHandle m_ReadEvent;
  FileHandle m_CancelEvent;
  std::optional<HidInterfaceInfo> m_Capabilities;
  std::atomic<bool> m_Cancelled{false};
  std::vector<uint8_t> m_Scratch;
};

}  // namespace

HidOpenDevice::FeatureStatus Win32FeatureFailure(unsigned long error) {
  switch (error) {
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT:
      return HidOpenDevice::FeatureStatus::TimedOut;
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
      return HidOpenDevice::FeatureStatus::Gone;
    default:  // ERROR_GEN_FAILURE (a stall), ERROR_INVALID_PARAMETER …
      return HidOpenDevice::FeatureStatus::Refused;
  }
}

std::vector<std::string> Win32HidBackend::EnumeratePaths() {
  std::vector<std::string> paths;
  GUID hidClass;
  HidD_GetHidGuid(&hidClass);
  const HDEVINFO set =
      SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) {
    LogDeviceFailure("SetupDiGetClassDevs", "", GetLastError());
    return paths;
  }
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof interfaceData;
  std::vector<BYTE> detailBuffer;
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &interfaceData);
       ++index) {
    DWORD required = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    detailBuffer.assign(required, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detailBuffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr, nullptr)) {
      paths.push_back(Utf8FromWide(detail->DevicePath));
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return paths;
}

std::optional<HidInterfaceInfo> Win32HidBackend::QueryInterface(const std::string& path) {
  const FileHandle handle(OpenInterface(path, 0, 0));
  if (!handle.valid()) return std::nullopt;
  return DescribeHandle(handle.get(), path);
}

// 1 and 2 are the strings the device names as its manufacturer and its
// product, wherever its string table keeps them.
std::optional<std::u16string> Win32HidBackend::ReadIndexedString(const std::string& path,
                                                                 int index) {
  const FileHandle handle(OpenInterface(path, 0, 0));
  if (!handle.valid()) return std::nullopt;
  // USB string descriptors hold at most 126 characters.
  wchar_t text[128] = {};
  BOOLEAN read = FALSE;
  switch (index) {
    case 1:
      read = HidD_GetManufacturerString(handle.get(), text, sizeof text);
      break;
    case 2:
      read = HidD_GetProductString(handle.get(), text, sizeof text);
      break;
    default:
      read = HidD_GetIndexedString(handle.get(), static_cast<ULONG>(index), text, sizeof text);
      break;
  }
  if (!read) {
    LogDeviceFailure("HidD_GetIndexedString", path, GetLastError());
    return std::nullopt;
  }
  text[127] = L'\0';
  return Utf16FromWide(text);
}

std::unique_ptr<HidOpenDevice> Win32HidBackend::Open(const std::string& path) {
  const HANDLE handle = OpenInterface(path, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  std::optional<HidInterfaceInfo> capabilities = DescribeHandle(handle, path);
  return std::make_unique<Win32OpenDevice>(handle, std::move(capabilities));
}

std::string Win32HidBackend::DeviceKeyOf(const std::string& path) const {
  return Win32DeviceKeyOfPath(path);
}

std::string Win32DeviceKeyOfPath(std::string_view path) {
  std::string key = AsciiLower(path);
  // "&col" and its two hex digits, inside the hardware part.
  if (const size_t col = key.find("&col"); col != std::string::npos && col + 6 <= key.size()) {
    key.erase(col, 6);
  }
  // The instance is the third '#'-separated part; its last "&NNNN" numbers
  // the collection.
  const size_t first = key.find('#');
  const size_t second = first == std::string::npos ? first : key.find('#', first + 1);
  const size_t third = second == std::string::npos ? second : key.find('#', second + 1);
  if (third != std::string::npos) {
    const size_t lastAmp = key.rfind('&', third);
    if (lastAmp != std::string::npos && lastAmp > second) key.erase(lastAmp, third - lastAmp);
  }
  return key;
}
