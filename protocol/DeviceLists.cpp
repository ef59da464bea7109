#include "protocol/DeviceLists.h"

#include <algorithm>
#include <array>

#include "platform/ascii_text.h"
#include "protocol/Hid_flash_m0.h"
#include "protocol/Hid_pellam.h"

namespace {

constexpr std::u16string_view kExpectedManufacturer = u"company ";
constexpr std::u16string_view kModelInfoProduct = u"usb device ";
constexpr std::u16string_view kFlashInfoProduct = u"usb device  ";

constexpr uint8_t kHighestQualificationByte = 32;
constexpr uint32_t kHighestFlashTopByte = 1;

// A USB string holds at most 126 UTF-16 units, so the string and its
// terminator always fit into 256 bytes.
constexpr size_t kStringBufferBytes = 256;

std::u16string ReadLowercasedString(const std::string& path, int32_t index) {
  std::array<char16_t, kStringBufferBytes / sizeof(char16_t)> buffer{};
  if (!HidReadIndexedString(path, index, buffer.data(), kStringBufferBytes)) return {};
  // Bounded by the buffer, in case a string filled it without a terminator.
  const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
  return AsciiLower(std::u16string_view(buffer.data(), static_cast<size_t>(end - buffer.begin())));
}

struct Identity {
  uint16_t vendorId = 0, productId = 0, usagePage = 0, usage = 0, versionNumber = 0;
};

bool ReadIdentity(const std::string& path, Identity& identity) {
  return HidQueryIdentity(path, &identity.vendorId, &identity.productId, &identity.usagePage,
                          &identity.usage, &identity.versionNumber);
}

template <typename Check>
void CollectPassing(HidPathList& list, Check check) {
  HidPathList present;
  HidCollectPaths(&present, -1, -1, -1, -1);
  for (const std::string& path : present) {
    if (check(path)) list.push_back(LowercasePath(path));
  }
}

}  // namespace

std::u16string ReadManufacturerString(const std::string& path) {
  return ReadLowercasedString(path, 1);
}

std::u16string ReadProductString(const std::string& path) { return ReadLowercasedString(path, 2); }

bool IsExcludedUsagePage(uint16_t usagePage) {
  switch (usagePage) {
    case 0xFFA7:
    case 0xFFB7:
    case 0xFFC7:
    case 0xFFD7:
    case 0xFFE7:
      return true;
    default:
      return usagePage >= 0xFFF0 && usagePage <= 0xFFF7;
  }
}

bool IsExcludedStandardCollection(uint16_t usagePage, uint16_t usage) {
  struct Collection {
    uint16_t usagePage, usage;
  };
  static constexpr Collection kExcluded[] = {
      {0x01, 0x02},  // mouse
      {0x01, 0x06},  // keyboard
      {0x01, 0x80},  // system control
      {0x0C, 0x01},  // consumer control
  };
  return std::any_of(std::begin(kExcluded), std::end(kExcluded), [&](const Collection& c) {
    return c.usagePage == usagePage && c.usage == usage;
  });
}

bool IsModelInfoDevice(const std::string& path) {
  Identity identity;
  if (!ReadIdentity(path, identity)) return false;
  if (IsExcludedUsagePage(identity.usagePage)) return false;
  if (ReadManufacturerString(path) != kExpectedManufacturer) return false;
  if (ReadProductString(path) != kModelInfoProduct) return false;
  if (IsExcludedStandardCollection(identity.usagePage, identity.usage)) return false;

  // The first query's answer is discarded; the device answers the second
  // one, which decides.
  (void)ReadModelId(path);
  ModelInfo info{};
  if (!ReadModelInfo(path, info)) return false;
  return info[kQualificationByteOffset] <= kHighestQualificationByte;
}

bool IsFlashInfoDevice(const std::string& path) {
  Identity identity;
  if (!ReadIdentity(path, identity)) return false;
  if (ReadManufacturerString(path) != kExpectedManufacturer) return false;
  if (ReadProductString(path) != kFlashInfoProduct) return false;
  if (IsExcludedStandardCollection(identity.usagePage, identity.usage)) return false;

  (void)ReadModelId(path);
  uint32_t flashWord = 0;
  if (!ReadFlashInfoWord(path, flashWord)) return false;
  return (flashWord >> 24) <= kHighestFlashTopByte;
}

void CollectModelInfoDevices(HidPathList& list) { CollectPassing(list, IsModelInfoDevice); }

void CollectFlashInfoDevices(HidPathList& list) { CollectPassing(list, IsFlashInfoDevice); }

void CollectNotifyDevices(HidPathList& list) {
  CollectModelInfoDevices(list);
  CollectFlashInfoDevices(list);
}

uint16_t ReadModelId(const std::string& path, uint16_t* lowBits) {
  ModelInfo info{};
  if (!ReadModelInfo(path, info)) return 0;
  const uint16_t word =
      static_cast<uint16_t>(info[kModelWordOffset] | info[kModelWordOffset + 1] << 8);
  if (lowBits) *lowBits = word & 0x0003;
  return word & 0xFFFC;
}

std::string LowercasePath(const std::string& path) { return AsciiLower(path); }
