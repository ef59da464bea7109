// The flash-information query.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

inline constexpr uint8_t kFlashInfoCode = 0x2D;
inline constexpr size_t kFlashInfoLength = 24;  // answer bytes 8-31

using FlashInfo = std::array<uint8_t, kFlashInfoLength>;

// Fills `answer` with the 24 payload bytes when the query succeeds and the
// echo matches; leaves it untouched otherwise.
bool ReadFlashInfo(const std::string& path, std::span<uint8_t, kFlashInfoLength> answer);

// The flash word: payload bytes 0-3, little-endian. `word` is written only
// when the query succeeds.
bool ReadFlashInfoWord(const std::string& path, uint32_t& word);
