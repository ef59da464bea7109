// The message numbers and notification codes from Windows' own headers.
#pragma once

// clang-format off
#include <windows.h>
#include <dbt.h>
#include <shellapi.h>
// clang-format on
