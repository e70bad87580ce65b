#include "depositstate.h"

namespace vk7 {

ManifestVerdict ReadManifestVerdict(const QString &status)
{
    if (status == u"0")
        return ManifestVerdict::MandatoryMissing;
    if (status == u"1")
        return ManifestVerdict::Correct;
    if (status == u"2")
        return ManifestVerdict::OptionalFault;
    return ManifestVerdict::NotChecked;
}

void ClearApplicationFields(DepositState &state)
{
    for (qsizetype i = 0; i < state.fields.GetSize(); ++i) {
        CCampBD *record = state.fields.GetAt(i);
        if (record && record->key >= 780000 && record->key <= 781404)
            record->value.clear();
    }
    state.otherDocumentNames.clear();
}

} // namespace vk7
