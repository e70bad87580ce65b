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
    state.fields.ClearValues([](int key) { return key >= 780000 && key <= 781404; });
    state.otherDocumentNames.clear();
}

} // namespace vk7
