// Closing a UI description that a window keeps open.
#pragma once

#include <memory>

#include "skin/ui_description.h"

// Closes the description if the reference holds one; the reference is empty
// afterwards. An empty reference is left as it is.
void ReleaseUiDescription(std::unique_ptr<UiDescription>& description);
