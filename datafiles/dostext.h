#pragma once

#include <QByteArrayView>
#include <QString>

namespace vk7 {

// A page of text is taken for code page 850 (DOS) when more of its bytes are
// letters typical of that code page than letters typical of Windows-1252.
bool IsDosText(QByteArrayView page);

// A page as stored: decoded from code page 850 when IsDosText holds,
// from Windows-1252 otherwise.
QString DecodeTextPage(QByteArrayView page);

} // namespace vk7
