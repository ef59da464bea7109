// The popups' faces. "Tahoma" is not part of Debian; the Wine project's free
// Tahoma (package fonts-wine) lies outside fontconfig's paths and is added
// to the application's fonts here. Its bold face has regular strokes and is
// added so that the toolkit emboldens it (bold_face_check.h); where it is
// missing the toolkit emboldens the regular face. Without Tahoma fontconfig
// substitutes its own sans face, with its real bold, as it does for
// "Segoe UI"; CJK glyphs come from fontconfig's fallback (WenQuanYi Micro
// Hei), emboldened by the toolkit, in every case.
#pragma once

#include <QString>

inline constexpr char kWineFontFolder[] = "/usr/share/wine/fonts/";

// Adds tahoma.ttf and tahomabd.ttf from `folder` (ending with '/') where they
// exist, the bold one re-declared where it draws no heavier than the
// regular one. Returns how many faces were added; 0 is no error. Needs the
// application object.
int LoadPopupFonts(const QString& folder = QString::fromLatin1(kWineFontFolder));
