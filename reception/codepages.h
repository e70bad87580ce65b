#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace vk7 {

// Deposit files are 8-bit Windows-1252; inside the program texts are Unicode.
// Bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control of the same value, so no byte is ever lost.
QString DecodeWindows1252(QByteArrayView bytes);

// The reverse; characters outside Windows-1252 become "?".
QByteArray EncodeWindows1252(const QString &text);

// Decodes bytes of code page 850 (DOS) in full: letters, signs and box
// drawing.
QString DecodeCodePage850(QByteArrayView bytes);

} // namespace vk7
