// Decoding picture files (PNG, BMP and whatever else WIC knows) into the
// skin's Picture. WIC is a COM library: the calling thread must have
// initialised COM.
#pragma once

#include <optional>
#include <string>

#include "skin/picture_scaling.h"

// nullopt when the file is missing or cannot be decoded.
std::optional<Picture> DecodePictureFile(const std::string& path);
