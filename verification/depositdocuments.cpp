#include "depositdocuments.h"

#include "datafiles/depositstate.h"

using namespace Qt::StringLiterals;

namespace vk7 {

bool HasText(const TextPages &pages)
{
    return pages.size() > 1 || (pages.size() == 1 && !pages.first().isEmpty());
}

bool HasImages(const QStringList &images)
{
    return !images.isEmpty();
}

namespace {

bool IsOwnSharesKey(int key)
{
    if (key < 700000 || key > 775220)
        return false;
    // Key 700000 counts; the section keys 710000 ... 770000 and the first
    // thousand keys after every section key, 700000 included, do not.
    const int section = key / 10000 * 10000;
    const int offset = key - section;
    if (section != 700000 && offset == 0)
        return false;
    if (offset >= 1 && offset <= 999)
        return false;
    return true;
}

} // namespace

bool HoldsOwnSharesData(const CCampBDArray &fields)
{
    bool found = false;
    fields.VisitFields([&found](int key, const QString &value) {
        if (!found && !value.isEmpty() && IsOwnSharesKey(key))
            found = true;
    });
    return found;
}

QString PrintableDocumentCaption(PrintableDocument document)
{
    switch (document) {
    case PrintableDocument::IdentificationBalance:
        return u"Hoja Id. + Balance + Cuenta PG"_s;
    case PrintableDocument::Memoria:
        return u"Memoria"_s;
    case PrintableDocument::ManagementReport:
        return u"Informe de Gestión"_s;
    case PrintableDocument::OwnShares:
        return u"Modelo de Autocartera"_s;
    case PrintableDocument::EnvironmentalReport:
        return u"Informe Medioambiental"_s;
    case PrintableDocument::AuditorReport:
        return u"Informe de Auditoria"_s;
    case PrintableDocument::SimcavReport:
        return u"Informe Simcav"_s;
    case PrintableDocument::Announcements:
        return u"Anuncios de Convocatoria"_s;
    case PrintableDocument::ApprovalCertificate:
        return u"Cert. Aprobación de Cuentas"_s;
    }
    return {};
}

QString DiagnosticSheetCaption()
{
    return u"Hoja de Diagnóstico"_s;
}

DocumentAvailability ComputeDocumentAvailability(const DepositState &state)
{
    DocumentAvailability available{};
    auto set = [&available](PrintableDocument document, bool value) {
        available[static_cast<size_t>(document)] = value;
    };
    set(PrintableDocument::IdentificationBalance, true);
    set(PrintableDocument::Memoria, HasText(state.memoriaPages) || HasImages(state.memoriaImages));
    set(PrintableDocument::ManagementReport,
        HasText(state.gestionPages) || HasImages(state.gestionImages));
    set(PrintableDocument::OwnShares,
        HasText(state.accionesPages) || HoldsOwnSharesData(state.fields));
    set(PrintableDocument::EnvironmentalReport, HasText(state.ambientaPages));
    set(PrintableDocument::AuditorReport, HasImages(state.auditorImages));
    set(PrintableDocument::SimcavReport, HasText(state.simcavPages));
    set(PrintableDocument::Announcements, HasImages(state.anuncioImages));
    set(PrintableDocument::ApprovalCertificate, HasText(state.certaproPages));
    return available;
}

} // namespace vk7
