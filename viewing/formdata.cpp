#include "viewing/formdata.h"

#include "components/code128.h"
#include "components/formdocument.h"
#include "datafiles/campbdarray.h"
#include "datafiles/depositstate.h"
#include "reception/plaintext.h"

namespace vk7 {

namespace {

constexpr int kFingerprintKey = 790998;
constexpr int kFingerprintBarcodeKey = 790999;

} // namespace

void SetFrameFieldText(CCampBDArray &fields, int key, const QString &text)
{
    CCampBD *record = fields.FindByKey(key);
    if (!record) {
        record = fields.AddNew();
        record->key = key;
    }
    record->value = TrimBlanks(text).toString();
}

void PublishFormData(DepositState &state, CFormDocument *form)
{
    SetFrameFieldText(state.fields, kFingerprintKey, state.fingerprint);
    // The bars carry the fingerprint as it is shown above them, without the
    // blanks a clerk may have typed around it, so that a scan gives it back.
    QString glyphs;
    EncodeCode128(TrimBlanks(state.fingerprint).toString(), QLatin1Char('B'), &glyphs);
    SetFrameFieldText(state.fields, kFingerprintBarcodeKey, glyphs);
    if (!form)
        return;
    form->SetFieldSource(&state.fields);
    form->RefreshFields();
}

} // namespace vk7
