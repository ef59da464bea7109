// The model-information query of ID7M devices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

inline constexpr uint8_t kModelInfoCode = 0x1F;
inline constexpr size_t kModelInfoLength = 10;  // answer bytes 8-17

// Payload layout: the model word, little-endian, at payload bytes 2-3; the
// qualification byte at payload byte 8.
inline constexpr size_t kModelWordOffset = 2;
inline constexpr size_t kQualificationByteOffset = 8;

using ModelInfo = std::array<uint8_t, kModelInfoLength>;

// Fills `answer` with the 10 payload bytes when the query succeeds and the
// echo matches; leaves it untouched otherwise.
bool ReadModelInfo(const std::string& path, std::span<uint8_t, kModelInfoLength> answer);
