// The Code 128 barcode as a form page gets it: the text (the fingerprint, as
// typed) encoded in a code set, the glyphs turned into module widths and
// drawn into the field's box. The first byte is the code set ('B', 'C' or
// another), the rest the text in UTF-8.
#include <QImage>
#include <QPainter>

#include "components/code128.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QChar codeSet = QChar(char16_t(data[0]));
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QString glyphs;
    vk7::EncodeCode128(text, codeSet, &glyphs);
    vk7::IsNumericText(text, true, true);
    vk7::Code128ModuleWidths(text);
    QImage box(320, 48, QImage::Format_Grayscale8);
    box.fill(255);
    QPainter painter(&box);
    vk7::DrawCode128Glyphs(painter, QRectF(4, 4, 312, 40), glyphs);
    return 0;
}
