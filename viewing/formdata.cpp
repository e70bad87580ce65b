#include "viewing/formdata.h"

#include "components/tessocx.h"
#include "datafiles/depositstate.h"
#include "datafiles/fieldstore.h"
#include "viewing/code128encoder.h"

namespace vk7 {

namespace {

constexpr int kFingerprintKey = 790998;
constexpr int kFingerprintBarcodeKey = 790999;

// Blanks only (the character ' '): trailing ones first, then leading ones.
QString TrimBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    qsizetype start = 0;
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    return text.mid(start, end - start);
}

} // namespace

void SetFrameFieldText(CCampBDArray &fields, int key, const QString &text)
{
    CCampBD *record = fields.FindByKey(key);
    if (!record) {
        record = fields.AddNew();
        record->key = key;
    }
    record->value = TrimBlanks(text);
}

void PublishFormData(DepositState &state, CTessOCX *viewer)
{
    SetFrameFieldText(state.fields, kFingerprintKey, state.fingerprint);
    // The bars carry the fingerprint as it is shown above them, without the
    // blanks a clerk may have typed around it, so that a scan gives it back.
    QString glyphs;
    EncodeCode128(TrimBlanks(state.fingerprint), QLatin1Char('B'), &glyphs);
    SetFrameFieldText(state.fields, kFingerprintBarcodeKey, glyphs);
    if (!viewer)
        return;
    viewer->SetFieldSource(&state.fields);
    viewer->Invalidate();
    viewer->RefreshFields();
}

} // namespace vk7
