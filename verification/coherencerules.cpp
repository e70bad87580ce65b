#include "coherencerules.h"

#include "activitycodes.h"
#include "clock.h"
#include "datafiles/depositstate.h"
#include "depositdocuments.h"
#include "reception/plaintext.h"
#include "taxid.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// A key's value as the rules read it, and whether the key exists at all.
struct KeyValue
{
    bool present = false;
    QString text;
};

KeyValue ValueOf(const CCampBDArray &fields, int key)
{
    const CCampBD *record = fields.FindByKey(key);
    if (!record)
        return {};
    return {true, record->value};
}

QString TextOf(const CCampBDArray &fields, int key)
{
    return ValueOf(fields, key).text;
}

// "Marked" in the application form's boxes is an upper-case X and nothing else.
bool IsMarked(const CCampBDArray &fields, int key)
{
    return TextOf(fields, key) == u"X"_s;
}

qint64 NumberOr(const CCampBDArray &fields, int key, qint64 absent)
{
    const KeyValue value = ValueOf(fields, key);
    return value.present ? ReadDecimalInteger(value.text) : absent;
}

RuleDate DateOf(const CCampBDArray &fields, int dayKey, int monthKey, int yearKey,
                qint64 absentDayMonth, qint64 absentYear)
{
    return {NumberOr(fields, dayKey, absentDayMonth), NumberOr(fields, monthKey, absentDayMonth),
            NumberOr(fields, yearKey, absentYear)};
}

bool IsLeapYear(qint64 year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The closing and application dates: one record for an impossible date and,
// independently, one for a year out of range.
int TwoSidedErrorCount(const RuleDate &date, int currentYear)
{
    return (IsPossibleDate(date) ? 0 : 1) + (IsYearInRange(date.year, currentYear) ? 0 : 1);
}

} // namespace

bool IsPossibleDate(const RuleDate &date)
{
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.day < 1 || date.day > 31 || date.month < 1 || date.month > 12 || date.year < 1000 ||
        date.year > 9999)
        return false;
    qint64 length = kMonthDays[date.month - 1];
    if (date.month == 2 && IsLeapYear(date.year))
        length = 29;
    return date.day <= length;
}

bool IsYearInRange(qint64 year, int currentYear)
{
    return year >= 1990 && year <= currentYear;
}

int StartDateErrorCount(const DepositState &state, int currentYear)
{
    const RuleDate date = DateOf(state.fields, 810130, 810120, 810290, 0, 0);
    if (date.day == 0 && date.month == 0 && date.year == 0)
        return 0;
    return IsPossibleDate(date) && IsYearInRange(date.year, currentYear) ? 0 : 1;
}

int ClosingDateErrorCount(const DepositState &state, int currentYear)
{
    return TwoSidedErrorCount(DateOf(state.fields, 810030, 810020, 810190, 99, 9999), currentYear);
}

int ApplicationDateErrorCount(const DepositState &state, int currentYear)
{
    const RuleDate date = DateOf(state.fields, 781101, 781102, 781103, 99, 9999);
    if ((date.day == 99 && date.month == 99 && date.year == 9999) ||
        (date.day == 0 && date.month == 0 && date.year == 0))
        return 0;
    return TwoSidedErrorCount(date, currentYear);
}

ErrorRecord CoherenceRecord(int key, const QString &codeAndMessage, const QString &label)
{
    return {ErrorRecord::Kind::Coherence, key, codeAndMessage, key, label};
}

Failure RunCoherenceRules(const DepositState &state, const QString &activityTablePath,
                          QList<ErrorRecord> *records, const Clock &clock)
{
    const CCampBDArray &fields = state.fields;
    const int currentYear = clock.Today().year();
    auto append = [records](int key, const QString &codeAndMessage, const QString &label,
                            int times = 1) {
        for (int i = 0; i < times; ++i)
            records->append(CoherenceRecord(key, codeAndMessage, label));
    };

    // 1. The company's tax id; an absent one is not valid either.
    if (!IsValidTaxId(TextOf(fields, 810210), false))
        append(810210, u"9000:NIF no válido. (Error Implícito)"_s, u"NIF"_s);

    // 2. The activity code, always looked up with four digits.
    const KeyValue activity = ValueOf(fields, 810010);
    const QString code = activity.present
                             ? QString::asprintf("%04lld", ReadDecimalInteger(activity.text))
                             : QString();
    const ActivityCodeLookup activityCode = LookUpActivityCode(code, activityTablePath);
    if (!activityCode.known)
        append(810010, u"9001:CNAE no válido. (Error Implícito)"_s, u"CNAE"_s);

    // 3. The presenter's identity number, when there is one.
    QString presenter = TextOf(fields, 781202);
    presenter.remove(u' ');
    if (!presenter.isEmpty() && !IsValidTaxId(presenter, false))
        append(781202, u"9002:DNI no válido. (Error Implícito)"_s, u"DNI"_s);

    // 4-6. The three dates.
    append(810290, u"9006:Fecha inicio no válida. (Error Primario)"_s, u"Fecha"_s,
           StartDateErrorCount(state, currentYear));
    append(810190, u"9000:Fecha no válida. (Error Primario)"_s, u"Fecha"_s,
           ClosingDateErrorCount(state, currentYear));
    append(781101, u"9001:Fecha solicitud no válida. (Error Primario)"_s, u"Fecha solicitud"_s,
           ApplicationDateErrorCount(state, currentYear));

    // 7-12. Documents present in the deposit must be declared in the
    // application form: its first box marked and its second not (the
    // memoria accepts either box).
    auto declared = [&fields](int first, int second) {
        return IsMarked(fields, first) && !IsMarked(fields, second);
    };
    // Present is what the state window offers to print.
    const DocumentAvailability available = ComputeDocumentAvailability(state);
    auto present = [&available](PrintableDocument document) {
        return available[static_cast<size_t>(document)];
    };
    if (present(PrintableDocument::Memoria) &&
        !(IsMarked(fields, 780805) || IsMarked(fields, 780806)))
        append(780805,
               u"9002:Memoria existente para las cuentas anuales activas. (Error Primario)"_s,
               u"Memoria"_s);
    if (present(PrintableDocument::ManagementReport) && !declared(780807, 780808))
        append(
            780807,
            u"9003:Informe de Gestión existente para las cuentas anuales activas. (Error Primario)"_s,
            u"Inf. Gestión"_s);
    if (present(PrintableDocument::Announcements) && !declared(780823, 780824))
        append(
            780823,
            u"9007:Anuncios de convocatoria existentes para las cuentas anuales activas. (Error Primario)"_s,
            u"Anuncios conv."_s);
    if (present(PrintableDocument::EnvironmentalReport) && !declared(780819, 780820))
        append(
            780819,
            u"9008:Informe Medioambiental existente para las cuentas anuales activas. (Error Primario)"_s,
            u"Inf. Medioambiental"_s);
    if (present(PrintableDocument::SimcavReport) && !declared(780821, 780822))
        append(
            780821,
            u"9009:Informe SIMCAV existente para las cuentas anuales activas. (Error Primario)"_s,
            u"Inf. SIMCAV"_s);
    if (present(PrintableDocument::OwnShares) && !declared(780809, 780810))
        append(
            780809,
            u"9004:Modelo de Acciones Propias existente para las cuentas anuales activas. (Error Primario)"_s,
            u"Acciones Propias"_s);

    // 13. The number of other documents, for every deposit.
    const qint64 declaredCount = ReadDecimalInteger(TextOf(fields, 780814));
    if (declaredCount != state.otherDocumentNames.size() ||
        (declaredCount != 0 && !IsMarked(fields, 780813)))
        append(780814, u"9005:Número de Otros Documentos no válido. (Error Primario)"_s,
               u"Otros Documentos"_s);
    return activityCode.failure;
}

} // namespace vk7
