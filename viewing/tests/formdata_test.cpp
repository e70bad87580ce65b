#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "components/code128.h"
#include "components/formdocument.h"
#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "viewing/formdata.h"

using namespace Qt::StringLiterals;
using namespace vk7;

namespace {

TEST(SetFrameFieldText, ReplacesOrAppendsAndStoresEmptyTexts)
{
    CCampBDArray fields;
    fields.AddNew()->key = 810210;
    fields.GetAt(0)->value = u"A28015865"_s;

    SetFrameFieldText(fields, 810210, u"  B12345678 "_s);
    ASSERT_EQ(fields.GetSize(), 1);
    EXPECT_EQ(fields.GetAt(0)->value, u"B12345678"_s);

    SetFrameFieldText(fields, 790998, u"   "_s);
    ASSERT_EQ(fields.GetSize(), 2);
    EXPECT_EQ(fields.GetAt(1)->key, 790998);
    EXPECT_TRUE(fields.GetAt(1)->value.isEmpty());

    // Only the blank is trimmed; a tab stays.
    SetFrameFieldText(fields, 790998, u"\tA B "_s);
    EXPECT_EQ(fields.GetSize(), 2);
    EXPECT_EQ(fields.FieldValue(790998), u"\tA B"_s);
}

class PublishTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state.fields.AddNew()->key = 810220;
        state.fields.GetAt(0)->value = u"EJEMPLOS REUNIDOS, S.L."_s;
        ASSERT_FALSE(
            document.OpenForm(QStringLiteral(VK7_SOURCE_DIR "/FORM/"), u"K7NE"_s, &state.fields)
                .Failed());
        QObject::connect(&viewer, &CTessOCX::fieldsInvalidated, [this] { ++invalidated; });
        QObject::connect(&viewer, &CTessOCX::viewChanged, [this] { ++repaints; });
    }

    CFormDocument document;
    CTessOCX viewer{document};
    DepositState state;
    int invalidated = 0;
    int repaints = 0;
};

TEST_F(PublishTest, FingerprintAndItsBarcodeReachTheFormAndScan)
{
    state.fingerprint = u" 7B3KQ9M2XZ5RT8VH4NP6DCFJ2E  "_s;
    PublishFormData(state, &document);
    const QString fingerprint = u"7B3KQ9M2XZ5RT8VH4NP6DCFJ2E"_s;
    EXPECT_EQ(state.fields.FieldValue(790998), fingerprint);
    QString glyphs;
    ASSERT_TRUE(EncodeCode128(fingerprint, u'B', &glyphs));
    EXPECT_EQ(state.fields.FieldValue(790999), glyphs);
    EXPECT_EQ(viewer.Document()->FieldSource(), &state.fields);
    EXPECT_GE(repaints, 1);
    EXPECT_EQ(invalidated, 0); // the same store the form was opened with

    // Published again: the records are replaced, not added.
    const qsizetype size = state.fields.GetSize();
    PublishFormData(state, &document);
    EXPECT_EQ(state.fields.GetSize(), size);

    // Page 1 as it goes to paper: its barcode reads back as the fingerprint.
    const QString zbar = QStandardPaths::findExecutable(u"zbarimg"_s);
    ASSERT_FALSE(zbar.isEmpty()) << "zbarimg is needed to check the barcode";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = dir.filePath(u"page1.png"_s);
    ASSERT_TRUE(
        viewer.Document()->RenderPageImage(0).convertToFormat(QImage::Format_Grayscale8).save(png));
    QProcess scan;
    scan.start(zbar, {u"--raw"_s, u"-q"_s, png});
    ASSERT_TRUE(scan.waitForFinished(30000));
    const QString decoded = QString::fromLatin1(scan.readAllStandardOutput()).trimmed();
    EXPECT_TRUE(decoded.endsWith(fingerprint)) << decoded.toStdString();
}

TEST_F(PublishTest, AnEmptyFingerprintLeavesBothFieldsEmpty)
{
    state.fingerprint.clear();
    PublishFormData(state, &document);
    ASSERT_NE(state.fields.FindByKey(790998), nullptr);
    ASSERT_NE(state.fields.FindByKey(790999), nullptr);
    EXPECT_TRUE(state.fields.FieldValue(790998).isEmpty());
    EXPECT_TRUE(state.fields.FieldValue(790999).isEmpty());
}

TEST(PublishFormData, WithoutAViewerOnlyTheFieldsAreSet)
{
    DepositState state;
    state.fingerprint = u"ABC"_s;
    PublishFormData(state, nullptr);
    EXPECT_EQ(state.fields.FieldValue(790998), u"ABC"_s);
    EXPECT_FALSE(state.fields.FieldValue(790999).isEmpty());
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
