#include "skin/Ui_releaseelements.h"

void ReleaseUiDescription(std::unique_ptr<UiDescription>& description) { description.reset(); }
