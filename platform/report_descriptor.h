// HID report descriptor summary: the top-level collections of a device and,
// for each, what a caller needs to talk to it (usage, longest report of each
// kind, the report IDs it owns).
//
// The bytes come straight from a device, so the parser treats them as
// hostile: every read is bounded, nesting and the global stack have fixed
// limits, and the result never grows past kMaxTopLevelCollections entries.
// A malformed item stops the parse; the collections closed before it are
// kept and `complete` is false.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct HidCollectionSummary {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Longest report of each kind, with one leading byte for the report ID
  // whether or not the device numbers its reports (a device that does not is
  // given a 0 there); 0 when the collection has no report of that kind.
  uint16_t inputReportByteLength = 0;
  uint16_t outputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
  // The report IDs used by the collection's input, output and feature
  // items; only bit 0 for a device without report IDs.
  std::bitset<256> reportIds;
};

struct ReportDescriptorSummary {
  std::vector<HidCollectionSummary> collections;  // in descriptor order
  bool usesReportIds = false;                     // some report carries a nonzero ID
  bool complete = true;                           // false: parsing stopped at a malformed item
};

inline constexpr size_t kMaxTopLevelCollections = 255;
inline constexpr size_t kMaxCollectionDepth = 32;
inline constexpr size_t kMaxGlobalStackDepth = 16;

ReportDescriptorSummary ParseReportDescriptor(std::span<const uint8_t> descriptor);
