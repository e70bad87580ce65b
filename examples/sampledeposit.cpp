#include "sampledeposit.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include "components/imaging.h"
#include "reception/codepages.h"

using namespace Qt::StringLiterals;

namespace vk7::samples {

namespace {

// A text cut or padded with blanks to an exact width, in Windows-1252.
QByteArray Column(const QString &text, int width)
{
    QByteArray bytes = EncodeWindows1252(text.left(width));
    bytes.append(QByteArray(width - bytes.size(), ' '));
    return bytes;
}

QByteArray Digits(qint64 value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0', true);
}

QByteArray Amount(qint64 cents)
{
    return (cents < 0 ? "-" : "+") + Digits(cents < 0 ? -cents : cents, 15);
}

QByteArray DataPrefix(const QString &nif, int year, int key)
{
    return "2" + Column(nif, 9) + Digits(year, 4) + Digits(key, 6);
}

// Texts as deposits carry them: CR LF lines, pages separated by a form feed
// followed by CR LF.
QByteArray TextDocument(const QList<QStringList> &pages)
{
    QByteArray bytes;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            bytes += "\f\r\n";
        for (const QString &line : pages.at(p))
            bytes += EncodeWindows1252(line) + "\r\n";
    }
    return bytes;
}

const QString kNif = u"B09512344"_s;
constexpr int kYear = 2005;

QByteArray SampleAccounts()
{
    AccountsHeader header;
    header.nif = kNif;
    header.year = kYear;
    header.name = u"ESTRUCTURAS METÁLICAS DEL ARLANZÓN, S.L."_s;
    header.address = u"CALLE NÚÑEZ DE ARCE, 14"_s;
    header.town = u"BURGOS"_s;
    header.postalCode = 9001;
    header.phonePrefix = 947;
    header.phoneNumber = 2612345;

    QList<QByteArray> lines{AccountsHeaderRecord(header)};
    lines += AccountsDataRecord(kNif, kYear, 810010, 281100, 0); // CNAE 2811
    lines += AccountsDataRecord(kNif, kYear, 810100, 1400, 1300);
    lines += AccountsDataRecord(kNif, kYear, 810110, 300, 200);
    lines += AccountsDateRecord(kNif, kYear, 810290, 20050101);
    lines += AccountsDateRecord(kNif, kYear, 810190, 20051231);
    // Amounts in euros (999024), ordinary balance sheet (999114) and
    // ordinary profit and loss account (999214), in units.
    lines += AccountsMarkRecord(kNif, kYear, 999024);
    lines += AccountsMarkRecord(kNif, kYear, 999114);
    lines += AccountsMarkRecord(kNif, kYear, 999214);
    // A few amounts of both years in the accounting ranges.
    const QList<std::tuple<int, qint64, qint64>> amounts = {
        {120000, 8540000, 9120000},   {150000, 4312550, 3987000}, {180000, 1250075, 980040},
        {210000, 6000000, 6000000},   {240000, 3102625, 2587000}, {270000, 5000000, 5500080},
        {310000, 12500000, 11800000}, {330000, -215000, -198000}, {410000, 13650000, 12900000},
    };
    for (const auto &[key, current, previous] : amounts)
        lines += AccountsDataRecord(kNif, kYear, key, current, previous);
    return CrLfLines(lines);
}

QByteArray SampleApplication()
{
    // Euros; ordinary balance sheet and profit and loss account (boxes
    // 780802, 780804); notes filed, management report filed, no own-shares
    // model, no other documents, no notices, no environmental or SIMCAV report.
    return CrLfLines({
        KeyedRecord(781010, u"E221100000000000"_s),
        KeyedRecord(781101, u"27"_s),
        KeyedRecord(781102, u"06"_s),
        KeyedRecord(781103, u"2006"_s),
        KeyedRecord(781202, u"71234567W"_s),
    });
}

QByteArray SampleNotes()
{
    return TextDocument({
        {u"MEMORIA DEL EJERCICIO 2005"_s, u""_s, u"ESTRUCTURAS METÁLICAS DEL ARLANZÓN, S.L."_s,
         u""_s, u"1. ACTIVIDAD DE LA EMPRESA"_s, u""_s,
         u"La sociedad se constituyó en Burgos el 12 de marzo de 1991. Su actividad"_s,
         u"principal es la fabricación y el montaje de estructuras metálicas para la"_s,
         u"construcción de naves industriales y edificios de viviendas."_s, u""_s,
         u"2. BASES DE PRESENTACIÓN DE LAS CUENTAS ANUALES"_s, u""_s,
         u"Las cuentas anuales se han obtenido de los registros contables de la"_s,
         u"sociedad y se presentan de acuerdo con el Plan General de Contabilidad,"_s,
         u"de forma que muestran la imagen fiel del patrimonio, de la situación"_s,
         u"financiera y de los resultados de la sociedad. Las cifras se expresan"_s,
         u"en euros."_s},
        {u"3. DISTRIBUCIÓN DE RESULTADOS"_s, u""_s,
         u"La propuesta de distribución del resultado del ejercicio, que los"_s,
         u"administradores someterán a la aprobación de la Junta General, consiste"_s,
         u"en destinar el beneficio a reservas voluntarias."_s, u""_s, u"4. NORMAS DE VALORACIÓN"_s,
         u""_s, u"El inmovilizado material se valora a su precio de adquisición. La"_s,
         u"amortización se calcula por el método lineal según la vida útil"_s,
         u"estimada de los bienes: construcciones, 33 años; maquinaria, 10 años;"_s,
         u"elementos de transporte, 6 años."_s},
        {u"5. PLANTILLA MEDIA"_s, u""_s,
         u"La plantilla media del ejercicio ha sido de 14 personas fijas y de 3"_s,
         u"personas eventuales (13 y 2 en el ejercicio anterior)."_s, u""_s,
         u"En Burgos, a 31 de marzo de 2006."_s, u""_s, u"Los administradores."_s},
    });
}

QByteArray SampleReport()
{
    return TextDocument({
        {u"INFORME DE GESTIÓN DEL EJERCICIO 2005"_s, u""_s, u"Evolución de los negocios"_s, u""_s,
         u"La cifra de negocios ha crecido un 5,8 % respecto del ejercicio anterior,"_s,
         u"gracias a la obra de la nueva nave del polígono de Villalonquéjar. Los"_s,
         u"márgenes se han mantenido pese a la subida del precio del acero."_s},
        {u"Acontecimientos posteriores al cierre"_s, u""_s,
         u"No se han producido hechos relevantes después del cierre del ejercicio."_s, u""_s,
         u"Acciones propias"_s, u""_s,
         u"La sociedad no ha adquirido participaciones propias durante el ejercicio."_s},
    });
}

} // namespace

QByteArray AccountsHeaderRecord(const AccountsHeader &header)
{
    QByteArray record = "1";
    record += Column(header.nif, 9);
    record += Digits(header.year, 4);
    record += QByteArray(24, ' ');
    record += Digits(header.field810270, 2);
    record += Column(header.name, 50);
    record += Column(header.address, 40);
    record += Column(header.town, 30);
    record += Digits(header.postalCode, 5);
    record += Digits(header.phonePrefix, 3);
    record += Digits(header.phoneNumber, 7);
    record += QByteArray(6, ' ');
    record += Column(header.text810280, 80);
    record += QByteArray(15, ' ');
    return record;
}

QByteArray AccountsDataRecord(const QString &nif, int year, int key, qint64 current,
                              qint64 previous)
{
    return DataPrefix(nif, year, key) + Amount(current) + Amount(previous);
}

QByteArray AccountsDateRecord(const QString &nif, int year, int key, int yyyymmdd)
{
    return AccountsDataRecord(nif, year, key, qint64(yyyymmdd) * 100, 0);
}

QByteArray AccountsMarkRecord(const QString &nif, int year, int key)
{
    return AccountsDataRecord(nif, year, key, 100, 0);
}

QByteArray KeyedRecord(int key, const QString &value)
{
    return "02" + Digits(key, 7) + EncodeWindows1252(value);
}

QByteArray CrLfLines(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QImage ScannedPage(int seed)
{
    QImage page(1654, 2339, QImage::Format_Mono);
    page.setDotsPerMeterX(7874); // 200 dpi
    page.setDotsPerMeterY(7874);
    page.fill(Qt::color0);
    page.setColor(0, qRgb(255, 255, 255));
    page.setColor(1, qRgb(0, 0, 0));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = Qt::color1;

    // A small fixed generator keeps the pages the same on every machine.
    quint32 state = 2463534242u + quint32(seed) * 7919u;
    auto next = [&state](int bound) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return int(state % quint32(bound));
    };

    painter.fillRect(120, 120, 1414, 6, ink); // frame
    painter.fillRect(120, 2213, 1414, 6, ink);
    painter.fillRect(120, 120, 6, 2099, ink);
    painter.fillRect(1528, 120, 6, 2099, ink);
    painter.fillRect(420, 220, 814, 48, ink); // heading
    for (int row = 0; row < 38; ++row) {      // lines of words
        const int y = 360 + row * 44;
        int x = 200;
        const int end = row % 9 == 8 ? 900 : 1450;
        while (x < end) {
            const int width = 30 + next(140);
            painter.fillRect(x, y, std::min(width, end - x), 18, ink);
            x += width + 18 + next(12);
        }
    }
    QPolygon signature; // the signature at the foot
    for (int i = 0; i < 24; ++i)
        signature << QPoint(1000 + i * 16, 2100 + (i % 2 ? -1 : 1) * (10 + next(40)));
    painter.setPen(QPen(ink, 5));
    painter.drawPolyline(signature);
    painter.end();
    return page;
}

QStringList ProsePages(int count)
{
    const QStringList words{u"balance"_s,    u"ejercicio"_s, u"cuentas"_s, u"anuales"_s,
                            u"sociedad"_s,   u"resultado"_s, u"del"_s,     u"de"_s,
                            u"patrimonio"_s, u"neto"_s,      u"activo"_s,  u"pasivo"_s};
    QStringList pages;
    int w = 0;
    for (int p = 0; p < count; ++p) {
        QStringList lines;
        for (int l = 0; l < 66; ++l) {
            QString line;
            while (line.size() < 70)
                line += words.at(w++ % words.size()) + u' ';
            lines << line.trimmed();
        }
        pages << lines.join(u"\r\n"_s);
    }
    return pages;
}

QList<SampleFile> SampleDepositFiles()
{
    QList<SampleFile> files = {
        {u"FICHERO.TXT"_s, {}, 0},
        {u"DATOS.ASC"_s, SampleAccounts(), 0},
        {u"INSTANCIA.ASC"_s, SampleApplication(), 0},
        {u"MEMORIA.TXT"_s, SampleNotes(), 0},
        {u"GESTION.TXT"_s, SampleReport(), 0},
        {u"MEMORIA.M01"_s, {}, 1},
        {u"MEMORIA.M02"_s, {}, 2},
        {u"AUDITOR.001"_s, {}, 3},
    };
    QList<QByteArray> names;
    for (const SampleFile &file : files)
        names += file.name.toLatin1();
    files[0].bytes = CrLfLines(names);
    return files;
}

bool WriteProseFile(const QString &hostPath, qint64 bytes)
{
    QByteArray block;
    for (int line = 0; block.size() < 1 << 16; ++line)
        block += "Linea " + QByteArray::number(line) +
                 " de la memoria: la sociedad mantiene su politica de inversiones.\r\n";
    QFile file(hostPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (qint64 written = 0; written < bytes; written += block.size()) {
        const QByteArray piece = block.left(bytes - written);
        if (file.write(piece) != piece.size())
            return false;
    }
    return true;
}

bool WriteSampleDeposit(const QString &hostFolder, QString *error)
{
    auto fail = [&](const QString &name) {
        if (error)
            *error = u"ERROR. No se puede escribir el fichero %1"_s.arg(name);
        return false;
    };
    if (!QDir().mkpath(hostFolder))
        return fail(hostFolder);
    for (const SampleFile &file : SampleDepositFiles()) {
        const QString path = hostFolder + u'/' + file.name;
        if (file.imageSeed > 0) {
            if (SaveImageFile(path, ScannedPage(file.imageSeed)).Failed())
                return fail(path);
            continue;
        }
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(file.bytes) != file.bytes.size() || !out.flush())
            return fail(path);
    }
    return true;
}

} // namespace vk7::samples
