// The popups' faces. "Tahoma" is not part of Debian; the Wine project's free
// Tahoma (package fonts-wine) lies outside fontconfig's paths and is added
// to the application's fonts here. Without it fontconfig substitutes its own
// sans face, as it does for "Segoe UI"; CJK glyphs come from fontconfig's
// fallback (WenQuanYi Micro Hei) in every case.
#pragma once

#include <QString>

inline constexpr char kWineFontFolder[] = "/usr/share/wine/fonts/";

// Adds tahoma.ttf and tahomabd.ttf from `folder` (ending with '/') where they
// exist. Returns how many faces were added; 0 is no error. Needs the
// application object.
int LoadPopupFonts(const QString& folder = QString::fromLatin1(kWineFontFolder));
