#include "platform/report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

ReportDescriptorSummary Parse(const Bytes& bytes) { return ParseReportDescriptor(bytes); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Repeat(const Bytes& part, size_t times) {
  Bytes all;
  for (size_t i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The keyboard and mouse of the HID boot protocol.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

const Bytes kBootMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
                          0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,
                          0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05,
                          0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
                          0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};

// Consumer control (ID 1), system control (ID 2) and a vendor collection
// with a 64-byte feature report (ID 7) and a 16-byte input report (ID 8).
const Bytes kConsumerControl = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15,
                                0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
                                0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
const Bytes kSystemControl = {0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19,
                              0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01,
                              0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0};
const Bytes kVendorWithIds = {0x06, 0x31, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x09, 0x02,
                              0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0xB1, 0x02,
                              0x85, 0x08, 0x09, 0x03, 0x95, 0x10, 0x81, 0x02, 0xC0};
const Bytes kMultiCollection = Concat({kConsumerControl, kSystemControl, kVendorWithIds});

// A vendor-page device without report IDs: 32 bytes in, 32 bytes out.
const Bytes kVendorFF01 = {0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                           0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x20, 0x09, 0x01,
                           0x81, 0x02, 0x95, 0x20, 0x09, 0x02, 0x91, 0x02, 0xC0};

struct ExpectedCollection {
  uint16_t usagePage, usage, input, output, feature;
  std::vector<int> reportIds;
};

struct RealDescriptorCase {
  const char* name;
  Bytes bytes;
  bool usesReportIds;
  std::vector<ExpectedCollection> collections;
};

class RealDescriptors : public ::testing::TestWithParam<RealDescriptorCase> {};

TEST_P(RealDescriptors, GiveUsagesLengthsAndReportIds) {
  const RealDescriptorCase& c = GetParam();
  const ReportDescriptorSummary summary = Parse(c.bytes);
  EXPECT_TRUE(summary.complete);
  EXPECT_EQ(summary.usesReportIds, c.usesReportIds);
  ASSERT_EQ(summary.collections.size(), c.collections.size());
  for (size_t i = 0; i < c.collections.size(); ++i) {
    SCOPED_TRACE("collection " + std::to_string(i + 1));
    const HidCollectionSummary& got = summary.collections[i];
    const ExpectedCollection& want = c.collections[i];
    EXPECT_EQ(got.usagePage, want.usagePage);
    EXPECT_EQ(got.usage, want.usage);
    EXPECT_EQ(got.inputReportByteLength, want.input);
    EXPECT_EQ(got.outputReportByteLength, want.output);
    EXPECT_EQ(got.featureReportByteLength, want.feature);
    std::bitset<256> ids;
    for (int id : want.reportIds) ids.set(id);
    EXPECT_EQ(got.reportIds, ids);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RealDescriptors,
    ::testing::Values(
        RealDescriptorCase{"BootKeyboard", kBootKeyboard, false, {{0x01, 0x06, 9, 2, 0, {0}}}},
        RealDescriptorCase{"BootMouse", kBootMouse, false, {{0x01, 0x02, 4, 0, 0, {0}}}},
        RealDescriptorCase{"ConsumerSystemVendor",
                           kMultiCollection,
                           true,
                           {{0x0C, 0x01, 3, 0, 0, {1}},
                            {0x01, 0x80, 2, 0, 0, {2}},
                            {0xFF31, 0x01, 17, 0, 65, {7, 8}}}},
        RealDescriptorCase{"VendorPageFF01", kVendorFF01, false, {{0xFF01, 0x01, 33, 33, 0, {0}}}},
        // A 4-byte usage names its own page, whatever the global page says.
        RealDescriptorCase{"ExtendedUsage",
                           {0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0x75, 0x08, 0x95,
                            0x02, 0x81, 0x02, 0xC0},
                           false,
                           {{0x0C, 0x01, 3, 0, 0, {0}}}},
        // Pop restores size 8 / count 2 after the pushed state used count 10.
        RealDescriptorCase{"PushPopRestoresGlobals",
                           {0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x02, 0xA4, 0x95,
                            0x0A, 0x81, 0x02, 0xB4, 0x81, 0x02, 0xC0},
                           false,
                           {{0x01, 0x00, 13, 0, 0, {0}}}},
        // Long items carry nothing we use and are stepped over whole.
        RealDescriptorCase{"LongItemSkipped",
                           Concat({{0xFE, 0x03, 0x10, 0xA1, 0x01, 0xC0}, kBootMouse}),
                           false,
                           {{0x01, 0x02, 4, 0, 0, {0}}}},
        // Zero-bit items make no report.
        RealDescriptorCase{"ZeroCountMakesNoReport",
                           {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x00, 0x81, 0x02,
                            0xB1, 0x02, 0xC0},
                           false,
                           {{0x01, 0x02, 0, 0, 0, {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct MalformedCase {
  const char* name;
  Bytes bytes;
  size_t collectionsKept;
};

class MalformedDescriptors : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDescriptors, StopAndKeepOnlyClosedCollections) {
  const ReportDescriptorSummary summary = Parse(GetParam().bytes);
  EXPECT_FALSE(summary.complete);
  EXPECT_EQ(summary.collections.size(), GetParam().collectionsKept);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MalformedDescriptors,
    ::testing::Values(
        MalformedCase{"EndWithoutCollection", {0xC0}, 0},
        MalformedCase{"UnclosedCollectionDropped", Concat({kBootMouse, {0xA1, 0x01, 0x81, 0x02}}),
                      1},
        MalformedCase{"PopWithoutPush", Concat({kBootMouse, {0xB4}}), 1},
        MalformedCase{"PushBeyondStack", Repeat({0xA4}, kMaxGlobalStackDepth + 1), 0},
        MalformedCase{"NestingTooDeep",
                      Concat({Repeat({0xA1, 0x00}, kMaxCollectionDepth + 1),
                              Repeat({0xC0}, kMaxCollectionDepth + 1)}),
                      0},
        MalformedCase{"ReportIdZero", {0xA1, 0x01, 0x85, 0x00, 0xC0}, 0},
        MalformedCase{"ReportIdWiderThanAByte", {0xA1, 0x01, 0x86, 0x00, 0x01, 0xC0}, 0},
        MalformedCase{"ShortItemDataCut", Concat({kBootMouse, {0x27, 0xFF, 0xFF}}), 1},
        MalformedCase{"LongItemDataCut", Concat({kBootMouse, {0xFE, 0x10, 0x00, 0x01}}), 1},
        MalformedCase{"LongItemHeaderCut", {0xFE, 0x01}, 0},
        MalformedCase{"TooManyCollections", Repeat({0xA1, 0x01, 0xC0}, kMaxTopLevelCollections + 5),
                      kMaxTopLevelCollections}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportDescriptorLimits, NestingAtTheLimitIsAccepted) {
  const Bytes bytes =
      Concat({Repeat({0xA1, 0x00}, kMaxCollectionDepth), Repeat({0xC0}, kMaxCollectionDepth)});
  const ReportDescriptorSummary summary = Parse(bytes);
  EXPECT_TRUE(summary.complete);
  EXPECT_EQ(summary.collections.size(), 1u);
}

TEST(ReportDescriptorLimits, HugeReportSizeAndCountSaturateAtTheLargestLength) {
  // Report Size and Report Count of 0xFFFFFFFF, twice over.
  const Bytes bytes = {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF,
                       0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02, 0xB1, 0x02, 0xC0};
  const ReportDescriptorSummary summary = Parse(bytes);
  ASSERT_EQ(summary.collections.size(), 1u);
  EXPECT_EQ(summary.collections[0].inputReportByteLength, 0xFFFF);
  EXPECT_EQ(summary.collections[0].featureReportByteLength, 0xFFFF);
}

TEST(ReportDescriptorLimits, EveryPrefixOfARealDescriptorIsSafe) {
  for (size_t length = 0; length < kMultiCollection.size(); ++length) {
    const Bytes prefix(kMultiCollection.begin(), kMultiCollection.begin() + length);
    const ReportDescriptorSummary summary = Parse(prefix);
    EXPECT_LE(summary.collections.size(), 3u);
    // Whatever was closed before the cut is described as in the whole.
    for (size_t i = 0; i < summary.collections.size(); ++i) {
      EXPECT_EQ(summary.collections[i].usage, Parse(kMultiCollection).collections[i].usage);
    }
  }
}

TEST(ReportDescriptorLimits, RandomBytesGiveBoundedResults) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    Bytes bytes(random() % 512);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    const ReportDescriptorSummary summary = Parse(bytes);
    ASSERT_LE(summary.collections.size(), kMaxTopLevelCollections);
  }
}

TEST(ReportDescriptorLimits, TopLevelCollectionsStopAtTheCap) {
  // Usage 0x01, Collection (Application), End Collection: three bytes per
  // collection, so the cap is reached well inside the sysfs size limit.
  const Bytes one = {0x09, 0x01, 0xA1, 0x01, 0xC0};
  struct Case {
    size_t declared;
    size_t kept;
    bool complete;
  } cases[] = {
      {kMaxTopLevelCollections, kMaxTopLevelCollections, true},
      {kMaxTopLevelCollections + 1, kMaxTopLevelCollections, false},
      {1000, kMaxTopLevelCollections, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.declared);
    const ReportDescriptorSummary summary =
        Parse(Concat({{0x06, 0x00, 0xFF}, Repeat(one, c.declared)}));
    EXPECT_EQ(summary.collections.size(), c.kept);
    EXPECT_EQ(summary.complete, c.complete);
  }
}

TEST(ReportDescriptorLimits, EmptyInputHasNoCollections) {
  const ReportDescriptorSummary summary = Parse({});
  EXPECT_TRUE(summary.complete);
  EXPECT_TRUE(summary.collections.empty());
}

}  // namespace
