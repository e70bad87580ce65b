#include "documentkind.h"

#include <algorithm>

#include "paths.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

using K = DocumentKind;
using P = PrintableDocument;

std::array<DocumentKindInfo, kDocumentKindCount> BuildTable()
{
    // The own-shares text is warned about as ACCIONS2.TXT: that is the name
    // the sheet has always given it.
    return {{
        {.kind = K::DiagnosticSheet,
         .images = false,
         .box = std::nullopt,
         .pagePrefix = u"K7.D"_s,
         .printJobCode = u"DG"_s},
        {.kind = K::MemoriaImages,
         .images = true,
         .box = P::Memoria,
         .imagePattern = u"*.M??"_s,
         .imageMarker = u"M"_s,
         .printJobCode = u"M1"_s,
         .warningFile = u"MEMORIA.TIF"_s,
         .jsonName = u"memoria"_s,
         .dialogTitle = u"Tratamiento de Imágenes de la Memoria del Depósito Digital"_s,
         .temporaryName = u"MEMTMP%02d.TIF"_s,
         .fingerprintPlace = 8,
         .editCommand = 50022,
         .editCaption = u"&Memoria"_s,
         .editPrompt = u"Mantenimiento de las imágenes de la memoria del depósito digital activo"_s,
         .editToolTip = u"Editar imágenes memoria"_s},
        {.kind = K::MemoriaText,
         .images = false,
         .box = P::Memoria,
         .depositFile = u"MEMORIA.TXT"_s,
         .pagePrefix = u"K7.M"_s,
         .printJobCode = u"M2"_s,
         .warningFile = u"MEMORIA.TXT"_s,
         .dialogTitle = u"Memoria del Depósito Digital"_s,
         .fingerprintPlace = 1,
         .editCommand = 50020,
         .editCaption = u"&Memoria"_s,
         .editPrompt = u"Edición de la memoria del depósito digital activo"_s,
         .editToolTip = u"Editar memoria"_s},
        {.kind = K::ManagementReportImages,
         .images = true,
         .box = P::ManagementReport,
         .imagePattern = u"*.G??"_s,
         .imageMarker = u"G"_s,
         .printJobCode = u"G1"_s,
         .warningFile = u"GESTION.TIF"_s,
         .jsonName = u"gestion"_s,
         .dialogTitle = u"Tratamiento de Imágenes del Informe de Gestión del Depósito Digital"_s,
         .temporaryName = u"GESTMP%02d.TIF"_s,
         .fingerprintPlace = 7,
         .editCommand = 50023,
         .editCaption = u"&Gestión"_s,
         .editPrompt =
             u"Mantenimiento de las imágenes del informe de gestión del depósito digital activo"_s,
         .editToolTip = u"Editar imágenes informe gestión"_s},
        {.kind = K::ManagementReportText,
         .images = false,
         .box = P::ManagementReport,
         .depositFile = u"GESTION.TXT"_s,
         .pagePrefix = u"K7.G"_s,
         .printJobCode = u"G2"_s,
         .warningFile = u"GESTION.TXT"_s,
         .dialogTitle = u"Informe de Gestión del Depósito Digital"_s,
         .fingerprintPlace = 2,
         .editCommand = 50021,
         .editCaption = u"&Gestión"_s,
         .editPrompt = u"Edición del informe de gestión del depósito digital activo"_s,
         .editToolTip = u"Editar informe gestión"_s},
        {.kind = K::OwnSharesText,
         .images = false,
         .box = P::OwnShares,
         .depositFile = u"ACCIONES.TXT"_s,
         .pagePrefix = u"K7.A"_s,
         .printJobCode = u"AC"_s,
         .warningFile = u"ACCIONS2.TXT"_s,
         .dialogTitle = u"Acciones Propias del Depósito Digital"_s,
         .fingerprintPlace = 3,
         .editCommand = 50024,
         .editCaption = u"&Acciones"_s,
         .editPrompt = u"Edición de las acciones propias del depósito digital activo"_s,
         .editToolTip = u"Editar acciones propias"_s},
        {.kind = K::EnvironmentalReportText,
         .images = false,
         .box = P::EnvironmentalReport,
         .depositFile = u"AMBIENTA.TXT"_s,
         .pagePrefix = u"K7.B"_s,
         .printJobCode = u"B"_s,
         .warningFile = u"AMBIENTA.TXT"_s,
         .dialogTitle = u"Informe Medioambiental del Depósito Digital"_s,
         .fingerprintPlace = 4,
         .fingerprintWhenThere = true,
         .editCommand = 50026,
         .editCaption = u"Medioam&biental"_s,
         .editPrompt = u"Edición del informe medioambiental del depósito digital activo"_s,
         .editToolTip = u"Editar informe medioambiental"_s},
        {.kind = K::SimcavReportText,
         .images = false,
         .box = P::SimcavReport,
         .depositFile = u"SIMCAV.TXT"_s,
         .pagePrefix = u"K7.S"_s,
         .printJobCode = u"S"_s,
         .warningFile = u"SIMCAV.TXT"_s,
         .dialogTitle = u"Informe SIMCAV del Depósito Digital"_s,
         .fingerprintPlace = 5,
         .fingerprintWhenThere = true,
         .editCommand = 50027,
         .editCaption = u"Simca&v"_s,
         .editPrompt = u"Edición del informe simcav del depósito digital activo"_s,
         .editToolTip = u"Editar informe simcav"_s},
        {.kind = K::ApprovalCertificateText,
         .images = false,
         .box = P::ApprovalCertificate,
         .depositFile = u"CERTAPRO.TXT"_s,
         .pagePrefix = u"K7.C"_s,
         .printJobCode = u"C"_s,
         .warningFile = u"CERTAPRO.TXT"_s,
         .dialogTitle = u"Certificado de Aprobación de Cuentas del Depósito Digital"_s,
         .fingerprintPlace = 6,
         .fingerprintWhenThere = true,
         .editCommand = 50028,
         .editCaption = u"C&ert. Aprobación Cuentas"_s,
         .editPrompt =
             u"Edición del certificado de aprobación de cuentas del depósito digital activo"_s,
         .editToolTip = u"Editar cert. aprobación de cuentas"_s},
        {.kind = K::AuditorReportImages,
         .images = true,
         .box = P::AuditorReport,
         .imagePattern = u"AUDITOR.*"_s,
         .imageMarker = u"AUDITOR"_s,
         .printJobCode = u"AD"_s,
         .warningFile = u"AUDITOR.TIF"_s,
         .jsonName = u"auditor"_s,
         .dialogTitle = u"Tratamiento de Imágenes del Informe de Auditoria del Depósito Digital"_s,
         .temporaryName = u"ADTMP%02d.TIF"_s,
         .fingerprintPlace = 9,
         .editCommand = 50029,
         .editCaption = u"Au&ditoria"_s,
         .editPrompt =
             u"Mantenimiento de las imágenes del informe de auditoria del depósito digital activo"_s,
         .editToolTip = u"Editar imágenes informe de auditoria"_s},
        {.kind = K::AnnouncementsImages,
         .images = true,
         .box = P::Announcements,
         .imagePattern = u"ANUNCIO.*"_s,
         .imageMarker = u"ANUNCIO"_s,
         .printJobCode = u"AN"_s,
         .warningFile = u"ANUNCIO.TIF"_s,
         .jsonName = u"anuncio"_s,
         .dialogTitle =
             u"Tratamiento de Imágenes de Anuncios de Convocatoria del Depósito Digital"_s,
         .temporaryName = u"ANTMP%02d.TIF"_s,
         .fingerprintPlace = 10,
         .editCommand = 50030,
         .editCaption = u"An&uncios"_s,
         .editPrompt =
             u"Mantenimiento de las imágenes de anuncios de convocatoria del depósito digital activo"_s,
         .editToolTip = u"Editar imágenes de anuncios de convocatoria"_s},
    }};
}

} // namespace

const std::array<DocumentKindInfo, kDocumentKindCount> &DocumentKinds()
{
    static const std::array<DocumentKindInfo, kDocumentKindCount> table = BuildTable();
    return table;
}

const DocumentKindInfo &DocumentKindOf(DocumentKind kind)
{
    for (const DocumentKindInfo &info : DocumentKinds()) {
        if (info.kind == kind)
            return info;
    }
    // Every enumerator has its row (the table's test checks it).
    return DocumentKinds().front();
}

QString TemporaryImagePath(const DocumentKindInfo &set, int number)
{
    return TemporaryFolder() + QString::asprintf(set.temporaryName.toUtf8().constData(), number);
}

QList<const DocumentKindInfo *> FingerprintDocuments()
{
    QList<const DocumentKindInfo *> documents;
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (document.fingerprintPlace != 0)
            documents.append(&document);
    }
    std::sort(documents.begin(), documents.end(), [](const auto *a, const auto *b) {
        return a->fingerprintPlace < b->fingerprintPlace;
    });
    return documents;
}

bool MarksImageSet(const DocumentKindInfo &set, const QString &name)
{
    if (!set.images || set.imageMarker.isEmpty())
        return false;
    if (set.imageMarker.size() == 1)
        return name.size() >= 3 && name.at(name.size() - 3) == set.imageMarker.front();
    return name.startsWith(set.imageMarker);
}

const std::array<PrintChoiceInfo, kPrintChoiceCount> &PrintChoiceTable()
{
    static const std::array<PrintChoiceInfo, kPrintChoiceCount> table = {{
        {u"Hoja de Diagnóstico"_s, u"diagnostico"_s, 1030},
        {u"Hoja Id. + Balance + Cuenta PG"_s, u"balance"_s, 1023},
        {u"Memoria"_s, u"memoria"_s, 1026},
        {u"Informe de Gestión"_s, u"gestion"_s, 1028},
        {u"Modelo de Autocartera"_s, u"autocartera"_s, 1029},
        {u"Informe Medioambiental"_s, u"medioambiental"_s, 1072},
        {u"Informe de Auditoria"_s, u"auditoria"_s, 1073},
        {u"Informe Simcav"_s, u"simcav"_s, 1074},
        {u"Anuncios de Convocatoria"_s, u"anuncios"_s, 1075},
        {u"Cert. Aprobación de Cuentas"_s, u"certificacion"_s, 1076},
    }};
    return table;
}

QString DocumentCaption(const DocumentKindInfo &document)
{
    // The boxes follow "Hoja de Diagnóstico" in the order of PrintableDocument.
    return document.box ? PrintChoiceTable()[int(*document.box) + 1].caption : QString();
}

} // namespace vk7
