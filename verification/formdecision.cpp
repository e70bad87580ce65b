#include "formdecision.h"

#include "datafiles/campbdarray.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

bool InRange(int key, int low, int high)
{
    return key >= low && key <= high;
}

void MarkKey(FormIndicators *marks, int key)
{
    // The three pesetas marks, then the two euro marks, of each group.
    struct Group
    {
        int firstKey;
        bool FormIndicators::*group;
    };
    if (InRange(key, 999021, 999023))
        marks->dataPesetas = true;
    else if (InRange(key, 999024, 999025))
        marks->dataEuros = true;
    static constexpr Group kGroups[] = {{999111, &FormIndicators::group1},
                                        {999211, &FormIndicators::group2},
                                        {999411, &FormIndicators::group4},
                                        {999511, &FormIndicators::group5}};
    for (const Group &group : kGroups) {
        if (InRange(key, group.firstKey, group.firstKey + 2)) {
            marks->dataPesetas = true;
            marks->*group.group = true;
        } else if (InRange(key, group.firstKey + 3, group.firstKey + 4)) {
            marks->dataEuros = true;
            marks->*group.group = true;
        }
    }
    switch (key) {
    case 780801:
        marks->box780801 = true;
        break;
    case 780802:
        marks->box780802 = true;
        break;
    case 780803:
        marks->box780803 = true;
        break;
    case 780804:
        marks->box780804 = true;
        break;
    default:
        break;
    }
}

bool Fail(QString *formError, const QString &message)
{
    *formError = message;
    return false;
}

} // namespace

FormIndicators GatherFormIndicators(const CCampBDArray &fields)
{
    FormIndicators marks;
    fields.VisitFields([&marks](int key, const QString &value) {
        if (value.isEmpty())
            return;
        if (key == 781010) {
            if (value.at(0) == u'P')
                marks.applicationPesetas = true;
            else if (value.at(0) == u'E')
                marks.applicationEuros = true;
        }
        if (value == u"x"_s || value == u"X"_s)
            MarkKey(&marks, key);
    });
    return marks;
}

bool DecideFormName(const CCampBDArray &fields, bool byDataKeys, QString *formName,
                    QString *formError)
{
    formError->clear();
    formName->clear();
    FormIndicators m = GatherFormIndicators(fields);

    if (m.dataPesetas == m.dataEuros)
        return Fail(formError, u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s);
    if (m.applicationPesetas == m.applicationEuros)
        return Fail(formError, u"ERROR en el fichero INSTANCIA.ASC (Pesetas y Euros)"_s);
    if (m.dataPesetas != m.applicationPesetas || m.dataEuros != m.applicationEuros)
        return Fail(formError,
                    u"ERROR en el fichero DATOS.ASC / INSTANCIA.ASC (Pesetas y Euros)"_s);

    if (!byDataKeys) {
        m.group1 = m.box780802;
        m.group2 = m.box780804;
        m.group4 = m.box780801;
        m.group5 = m.box780803;
    }
    // Ordinary and abbreviated together is allowed only as the mixed form:
    // euros, ordinary group 1 with abbreviated group 5.
    if ((m.group1 || m.group2) && (m.group4 || m.group5) && !(m.dataEuros && m.group1 && m.group5))
        return Fail(formError, u"ERROR en el fichero DATOS.ASC (Abreviado y Ordinario)"_s);
    if ((m.box780802 || m.box780804) && (m.box780801 || m.box780803) &&
        !(m.dataEuros && m.box780802 && m.box780803))
        return Fail(formError, u"ERROR en el fichero INSTANCIA.ASC (Abreviado y Ordinario)"_s);
    const bool anyGroup = m.group1 || m.group2 || m.group4 || m.group5;
    const bool anyBox = m.box780801 || m.box780802 || m.box780803 || m.box780804;
    if (m.group1 != m.box780802 || m.group2 != m.box780804 || m.group4 != m.box780801 ||
        m.group5 != m.box780803 || !anyGroup || !anyBox)
        return Fail(formError,
                    u"ERROR en el fichero DATOS.ASC / INSTANCIA.ASC (Abreviado y Ordinario)"_s);

    if (m.dataPesetas) {
        if (m.group1 || m.group2)
            *formName = u"K7NP"_s;
        if (m.group4 || m.group5)
            *formName = u"K7AP"_s;
    }
    if (m.dataEuros) {
        if (m.group1 || m.group2)
            *formName = u"K7NE"_s;
        if (m.group4 || m.group5)
            *formName = u"K7AE"_s;
        if (m.group1 && m.group5)
            *formName = u"K7ME"_s;
    }
    return true;
}

bool FormAndCurrency(const QString &formName, QString *form, QString *currency)
{
    const QString kind = formName.right(2);
    form->clear();
    currency->clear();
    if (kind == u"NP"_s) {
        *form = u"ORDINARIO"_s;
        *currency = u"PESETAS"_s;
    } else if (kind == u"AP"_s) {
        *form = u"ABREVIADO"_s;
        *currency = u"PESETAS"_s;
    } else if (kind == u"NE"_s) {
        *form = u"ORDINARIO"_s;
        *currency = u"EUROS"_s;
    } else if (kind == u"AE"_s) {
        *form = u"ABREVIADO"_s;
        *currency = u"EUROS"_s;
    } else if (kind == u"ME"_s) {
        *form = u"MIXTO"_s;
        *currency = u"EUROS"_s;
    } else {
        return false;
    }
    return true;
}

} // namespace vk7
