// Wine's free Tahoma Bold (tahomabd.ttf of fonts-wine) is a bold face in
// name, weight and advance widths only: its outlines have the regular
// face's thin strokes (fontconfig and Qt pick it for a bold label, which
// then shows regular-looking Latin letters beside emboldened Chinese). Such
// a face is recognised by its ink and re-declared as a semi-bold face, which
// the toolkit emboldens when a bold font is asked for, keeping its bold
// advance widths.
#pragma once

#include <QByteArray>

// Whether `boldFace` draws clearly more ink than `regularFace` (both font
// files' bytes): true for a real bold face, false for one that only claims
// to be bold. Needs the application object.
bool DrawsHeavierThan(const QByteArray& boldFace, const QByteArray& regularFace);

// `face` (a TrueType or OpenType file's bytes) re-declared as a semi-bold
// face that is not bold: weight class 600, the bold bits of its OS/2 and
// head tables cleared. Bytes that are no such file, or lack those tables,
// come back unchanged.
QByteArray AsFaceToEmbolden(QByteArray face);
