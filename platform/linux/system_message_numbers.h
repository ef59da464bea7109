// The Windows message numbers and notification codes the program's units
// exchange, with Windows' values.
#pragma once

#include <cstdint>

inline constexpr uint32_t WM_SIZE = 5;
inline constexpr uint32_t WM_DEVICECHANGE = 537;
inline constexpr uint32_t WM_USER = 1024;

// Application-bar notification codes carried by UM_APPBAR.
inline constexpr uintptr_t ABN_POSCHANGED = 1;
inline constexpr uintptr_t ABN_FULLSCREENAPP = 2;

// WM_DEVICECHANGE events and device types.
inline constexpr uintptr_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr uintptr_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;
inline constexpr uint32_t DBT_DEVTYP_HANDLE = 6;
