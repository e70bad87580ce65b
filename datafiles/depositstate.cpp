#include "depositstate.h"

namespace vk7 {

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
