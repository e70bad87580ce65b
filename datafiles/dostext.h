#pragma once

#include <QByteArrayView>
#include <QString>

namespace vk7 {

// A page of text is taken for code page 850 (DOS) when more of its bytes are
// letters typical of that code page than letters typical of Windows-1252.
bool IsDosText(QByteArrayView page);

// Decodes bytes of code page 850 in full: letters, signs and box drawing.
QString DecodeCodePage850(QByteArrayView bytes);

// A page as stored: decoded from code page 850 when IsDosText holds,
// from Windows-1252 otherwise.
QString DecodeTextPage(QByteArrayView page);

} // namespace vk7
