#pragma once
// The bytes of the font file behind a resolved font, for drawing from a face of one's own.

#include <QByteArray>
#include <QFont>

namespace lenzora::platform {

// The file the system's font configuration gives for the family and style `font` resolves
// to, read once per run and kept; empty when there is none or it cannot be read.
QByteArray fontFileData(const QFont& font);

}  // namespace lenzora::platform
