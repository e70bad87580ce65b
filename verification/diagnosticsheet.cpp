#include "diagnosticsheet.h"

#include "formdecision.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

const QString kEnd = u"\r\n"_s;

QString MissingMandatoryLine()
{
    return u"Falta algún fichero obligatorio (FICHERO.TXT ó DATOS.ASC ó INSTANCIA.ASC)\r\n\r\n"_s;
}

void AppendErrorBlock(QString *sheet, const QString &heading, const QStringList &errors)
{
    if (errors.isEmpty())
        return;
    *sheet += heading + kEnd;
    for (const QString &error : errors)
        *sheet += error + kEnd;
    *sheet += kEnd;
}

} // namespace

QString VerdictText(ManifestVerdict verdict)
{
    return verdict == ManifestVerdict::Correct ? u"CORRECTA"_s : u"ERRONEA"_s;
}

QString UnknownValueText()
{
    return u"¿?"_s;
}

QString BuildDiagnosticSheet(const DiagnosticSheetInputs &in)
{
    QString sheet =
        u"HOJA DE DIAGNOSTICO para el Depósito Digital ("_s + in.fingerprint + u")"_s + kEnd + kEnd;

    if (in.structure == ManifestVerdict::Correct) {
        sheet += u"Estructura : CORRECTA\r\n\r\n"_s;
    } else {
        sheet += u"ERROR de ESTRUCTURA\r\n"_s;
        if (in.structure == ManifestVerdict::MandatoryMissing)
            sheet += MissingMandatoryLine();
        else if (in.structure == ManifestVerdict::OptionalFault)
            sheet += u"Algún fichero no obligatorio es incorrecto\r\n\r\n"_s;
    }

    if (in.completeness == ManifestVerdict::Correct) {
        sheet += u"Completitud : CORRECTA\r\n\r\n"_s;
    } else {
        sheet += u"ERROR de COMPLETITUD\r\n"_s;
        if (in.completeness == ManifestVerdict::MandatoryMissing)
            sheet += MissingMandatoryLine();
        else if (in.completeness == ManifestVerdict::OptionalFault)
            sheet += u"Falta algún fichero no obligatorio\r\n\r\n"_s;
    }

    if (!in.formError.isEmpty())
        sheet += u"ERROR de FORMULARIO\r\n"_s + in.formError + kEnd + kEnd;

    if (!in.formIdentified)
        return sheet;

    QString form;
    QString currency;
    FormAndCurrency(in.formName, &form, &currency);
    sheet += u"Formulario : "_s + form + u"       Moneda : "_s + currency + kEnd + kEnd;
    sheet += u"Huella Digital : "_s + in.fingerprintVerdict + kEnd;
    if (!in.fingerprintFailure.isEmpty())
        sheet += u"No se ha podido calcular la Huella Digital: "_s + in.fingerprintFailure + kEnd;
    sheet += kEnd;
    sheet += u"Otros Documentos : "_s + QString::number(in.otherDocumentNames.size()) + kEnd;
    for (const QString &name : in.otherDocumentNames)
        sheet += name + kEnd;
    sheet += kEnd;
    sheet += u"Errores Primarios = "_s + QString::number(in.primaryErrors.size()) +
             u"       Errores Implícitos = "_s + QString::number(in.implicitErrors.size()) + kEnd +
             kEnd;
    AppendErrorBlock(&sheet, u"PRIMARIOS :"_s, in.primaryErrors);
    AppendErrorBlock(&sheet, u"IMPLICITOS :"_s, in.implicitErrors);
    return sheet;
}

} // namespace vk7
