// Feeds arbitrary bytes to the report-descriptor parser: it must neither
// crash nor read out of bounds, and its result must stay within its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ReportDescriptorSummary summary = ParseReportDescriptor(std::span(data, size));
  if (summary.collections.size() > kMaxTopLevelCollections) std::abort();
  for (const HidCollectionSummary& collection : summary.collections) {
    // A collection without reports of a kind has length 0; one with any has
    // at least the report-ID byte and one byte of data.
    for (uint16_t length : {collection.inputReportByteLength, collection.outputReportByteLength,
                            collection.featureReportByteLength}) {
      if (length == 1) std::abort();
    }
    if (!summary.usesReportIds && (collection.reportIds & ~std::bitset<256>(1)).any()) {
      std::abort();
    }
  }
  return 0;
}
