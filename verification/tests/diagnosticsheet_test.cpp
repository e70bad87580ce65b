#include <gtest/gtest.h>

#include "datafiles/depositstate.h"
#include "storehelpers.h"
#include "verification/depositdocuments.h"
#include "verification/diagnosticsheet.h"

using namespace Qt::StringLiterals;
using namespace vk7;
using vk7::testing::AddFields;

namespace {

const QString kPrint = u"Z9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9"_s;

DiagnosticSheetInputs SoundInputs()
{
    DiagnosticSheetInputs in;
    in.fingerprint = kPrint;
    in.structure = ManifestVerdict::Correct;
    in.completeness = ManifestVerdict::Correct;
    in.formIdentified = true;
    in.formName = u"K7NE"_s;
    in.fingerprintVerdict = u"CORRECTA"_s;
    return in;
}

TEST(DiagnosticSheet, IdentifiedDepositWithoutErrors)
{
    EXPECT_EQ(BuildDiagnosticSheet(SoundInputs()),
              u"HOJA DE DIAGNOSTICO para el Depósito Digital (Z9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9)\r\n"
              u"\r\n"
              u"Estructura : CORRECTA\r\n"
              u"\r\n"
              u"Completitud : CORRECTA\r\n"
              u"\r\n"
              u"Formulario : ORDINARIO       Moneda : EUROS\r\n"
              u"\r\n"
              u"Huella Digital : CORRECTA\r\n"
              u"\r\n"
              u"Otros Documentos : 0\r\n"
              u"\r\n"
              u"Errores Primarios = 0       Errores Implícitos = 0\r\n"
              u"\r\n"_s);
}

TEST(DiagnosticSheet, IdentifiedDepositWithEverything)
{
    DiagnosticSheetInputs in = SoundInputs();
    in.structure = ManifestVerdict::OptionalFault;
    in.completeness = ManifestVerdict::OptionalFault;
    in.formName = u"K7ME"_s;
    in.fingerprintVerdict = u"ERRONEA"_s;
    in.otherDocumentNames = {u"Acta de la junta"_s, u"Informe especial"_s};
    in.primaryErrors = {u"Fecha no válida."_s, u"Fecha no válida."_s};
    in.implicitErrors = {u"NIF no válido."_s};
    EXPECT_EQ(BuildDiagnosticSheet(in),
              u"HOJA DE DIAGNOSTICO para el Depósito Digital (Z9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9)\r\n\r\n"
              u"ERROR de ESTRUCTURA\r\n"
              u"Algún fichero no obligatorio es incorrecto\r\n\r\n"
              u"ERROR de COMPLETITUD\r\n"
              u"Falta algún fichero no obligatorio\r\n\r\n"
              u"Formulario : MIXTO       Moneda : EUROS\r\n\r\n"
              u"Huella Digital : ERRONEA\r\n\r\n"
              u"Otros Documentos : 2\r\n"
              u"Acta de la junta\r\n"
              u"Informe especial\r\n"
              u"\r\n"
              u"Errores Primarios = 2       Errores Implícitos = 1\r\n\r\n"
              u"PRIMARIOS :\r\n"
              u"Fecha no válida.\r\n"
              u"Fecha no válida.\r\n"
              u"\r\n"
              u"IMPLICITOS :\r\n"
              u"NIF no válido.\r\n"
              u"\r\n"_s);
}

TEST(DiagnosticSheet, WithoutAForm)
{
    DiagnosticSheetInputs in = SoundInputs();
    in.formIdentified = false;
    in.formError = u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)"_s;
    // Whatever else is known stays off the sheet.
    in.primaryErrors = {u"Fecha no válida."_s};
    in.otherDocumentNames = {u"Acta"_s};
    EXPECT_EQ(BuildDiagnosticSheet(in),
              u"HOJA DE DIAGNOSTICO para el Depósito Digital (Z9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9ZZZ9)\r\n\r\n"
              u"Estructura : CORRECTA\r\n\r\n"
              u"Completitud : CORRECTA\r\n\r\n"
              u"ERROR de FORMULARIO\r\n"
              u"ERROR en el fichero DATOS.ASC (Pesetas y Euros)\r\n\r\n"_s);
}

TEST(DiagnosticSheet, MissingMandatoryFilesTwice)
{
    DiagnosticSheetInputs in;
    in.fingerprint = u"abc"_s;
    in.structure = ManifestVerdict::MandatoryMissing;
    in.completeness = ManifestVerdict::MandatoryMissing;
    const QString missing =
        u"Falta algún fichero obligatorio (FICHERO.TXT ó DATOS.ASC ó INSTANCIA.ASC)\r\n\r\n"_s;
    EXPECT_EQ(BuildDiagnosticSheet(in),
              u"HOJA DE DIAGNOSTICO para el Depósito Digital (abc)\r\n\r\n"_s +
                  u"ERROR de ESTRUCTURA\r\n"_s + missing + u"ERROR de COMPLETITUD\r\n"_s + missing);
}

TEST(DiagnosticSheet, UnknownVerdictHasNoDetailLine)
{
    DiagnosticSheetInputs in;
    in.structure = ManifestVerdict::NotChecked;
    in.completeness = ManifestVerdict::NotChecked;
    EXPECT_EQ(BuildDiagnosticSheet(in), u"HOJA DE DIAGNOSTICO para el Depósito Digital ()\r\n\r\n"
                                        u"ERROR de ESTRUCTURA\r\n"
                                        u"ERROR de COMPLETITUD\r\n"_s);
    EXPECT_EQ(VerdictText(ManifestVerdict::Correct), u"CORRECTA"_s);
    EXPECT_EQ(VerdictText(ManifestVerdict::OptionalFault), u"ERRONEA"_s);
    EXPECT_EQ(VerdictText(ManifestVerdict::NotChecked), u"ERRONEA"_s);
}

TEST(DocumentAvailability, FromTextsImagesAndOwnShares)
{
    DepositState state;
    DocumentAvailability available = ComputeDocumentAvailability(state);
    DocumentAvailability expected{};
    expected[0] = true; // the form's own pages are always there
    EXPECT_EQ(available, expected);

    state.Pages(DocumentKind::MemoriaText) = {QString()};
    EXPECT_FALSE(ComputeDocumentAvailability(state)[1]);
    state.Pages(DocumentKind::MemoriaText) = {QString(), QString()};
    EXPECT_TRUE(ComputeDocumentAvailability(state)[1]);
    state.Pages(DocumentKind::MemoriaText).clear();
    state.Images(DocumentKind::MemoriaImages) = {QString()};
    EXPECT_TRUE(ComputeDocumentAvailability(state)[1]);

    state.Images(DocumentKind::ManagementReportImages) = {u"GESTION.G01"_s};
    state.Pages(DocumentKind::EnvironmentalReportText) = {u"a"_s};
    state.Images(DocumentKind::AuditorReportImages) = {u"AUDITOR.001"_s};
    state.Pages(DocumentKind::SimcavReportText) = {u"s"_s};
    state.Images(DocumentKind::AnnouncementsImages) = {u"ANUNCIO.001"_s};
    state.Pages(DocumentKind::ApprovalCertificateText) = {u"c"_s};
    available = ComputeDocumentAvailability(state);
    EXPECT_EQ(available,
              (DocumentAvailability{true, true, true, false, true, true, true, true, true}));
    state.Pages(DocumentKind::OwnSharesText) = {u"texto"_s};
    EXPECT_TRUE(ComputeDocumentAvailability(state)[3]);
}

TEST(DocumentAvailability, OwnSharesDataKeys)
{
    auto holds = [](int key, const QString &value = u"1"_s) {
        CCampBDArray fields;
        AddFields(&fields, {{810210, u"A28015865"_s}, {key, value}});
        return HoldsOwnSharesData(fields);
    };
    EXPECT_TRUE(holds(700000));
    EXPECT_FALSE(holds(700000, QString()));
    for (int key : {700001, 700999, 710000, 710001, 710999, 720000, 730500, 740999, 750000, 760001,
                    770000, 770999, 699999, 775221})
        EXPECT_FALSE(holds(key)) << key;
    for (int key : {701000, 709999, 711000, 719999, 721000, 765432, 771000, 775220})
        EXPECT_TRUE(holds(key)) << key;
}

TEST(DocumentAvailability, Captions)
{
    EXPECT_EQ(PrintableDocumentCaption(PrintableDocument::IdentificationBalance),
              u"Hoja Id. + Balance + Cuenta PG"_s);
    EXPECT_EQ(PrintableDocumentCaption(PrintableDocument::ApprovalCertificate),
              u"Cert. Aprobación de Cuentas"_s);
    EXPECT_EQ(PrintableDocumentCaption(PrintableDocument::AuditorReport),
              u"Informe de Auditoria"_s);
}

} // namespace
