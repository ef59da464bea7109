#include "protocol/Hid_flash_m0.h"

#include "protocol/Hid_basiccmd.h"

bool ReadFlashInfo(const std::string& path, std::span<uint8_t, kFlashInfoLength> answer) {
  static constexpr std::array<uint8_t, kQueryArgumentCount> kNoArguments{};
  return QueryFeatureCommand(path, kCommandReportId, kFlashInfoCode, kNoArguments, answer);
}

bool ReadFlashInfoWord(const std::string& path, uint32_t& word) {
  FlashInfo info{};
  if (!ReadFlashInfo(path, info)) return false;
  word = static_cast<uint32_t>(info[0]) | static_cast<uint32_t>(info[1]) << 8 |
         static_cast<uint32_t>(info[2]) << 16 | static_cast<uint32_t>(info[3]) << 24;
  return true;
}
