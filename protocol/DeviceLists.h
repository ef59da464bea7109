// Which HID interfaces belong to the supported keyboards and mice, and the
// model id they report.
//
// Two checks qualify an interface: the model-information check (product
// string "usb device ") and the flash-information check (product string
// "usb device  ", two blanks). The string and collection tests come before
// any feature exchange, so standard collections and foreign devices see no
// feature traffic.
#pragma once

#include <cstdint>
#include <string>

#include "hid/IO_HID.h"

// The ES2862 family: vendor 0x1956, usage page 0xFF01, any product and usage.
inline constexpr uint16_t kEs2862VendorId = 0x1956;
inline constexpr uint16_t kEs2862UsagePage = 0xFF01;
// The same as value lists ended by -1, as HidCollectPathsIn takes them.
inline constexpr int32_t kEs2862VendorIds[] = {kEs2862VendorId, -1};
inline constexpr int32_t kEs2862UsagePages[] = {kEs2862UsagePage, -1};

// Device string 1 / 2 with A-Z lowercased; "" when it cannot be read.
std::u16string ReadManufacturerString(const std::string& path);
std::u16string ReadProductString(const std::string& path);

// 0xFFA7, 0xFFB7, 0xFFC7, 0xFFD7, 0xFFE7 and 0xFFF0-0xFFF7.
bool IsExcludedUsagePage(uint16_t usagePage);

// The system's own mouse, keyboard, system-control and consumer-control
// collections, which a supported device also has and which never qualify.
bool IsExcludedStandardCollection(uint16_t usagePage, uint16_t usage);

bool IsModelInfoDevice(const std::string& path);
bool IsFlashInfoDevice(const std::string& path);

// Append the lowercased paths of the present interfaces that pass the check,
// in enumeration order, after whatever `list` already holds.
void CollectModelInfoDevices(HidPathList& list);
void CollectFlashInfoDevices(HidPathList& list);
// The candidate list: the model-information devices, then the flash ones.
void CollectNotifyDevices(HidPathList& list);

// The model id (the model word with its two low bits cleared), or 0 when the
// model information cannot be read; `lowBits`, when given, receives the two
// low bits on success and is untouched otherwise.
uint16_t ReadModelId(const std::string& path, uint16_t* lowBits = nullptr);

// A-Z to a-z, every other byte unchanged: how paths are kept in the lists.
std::string LowercasePath(const std::string& path);
