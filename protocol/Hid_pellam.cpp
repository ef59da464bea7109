#include "protocol/Hid_pellam.h"

#include "protocol/Hid_basiccmd.h"

bool ReadModelInfo(const std::string& path, std::span<uint8_t, kModelInfoLength> answer) {
  static constexpr std::array<uint8_t, kQueryArgumentCount> kNoArguments{};
  return QueryFeatureCommand(path, kCommandReportId, kModelInfoCode, kNoArguments, answer);
}
