#pragma once

#include <QString>

namespace vk7 {

class CCampBDArray;
class CFormDocument;
struct DepositState;

// The frame's own fields on the form pages: the deposit's fingerprint
// (790998) and its Code 128 glyph string (790999), then the whole store
// handed to the form document (when there is one) and its fields collected
// again.
void PublishFormData(DepositState &state, CFormDocument *form);

// Stores a text under a key of the field store, trimmed of blanks at both
// ends, replacing the value of an existing record or appending one; unlike
// SetFieldText, an empty text is stored too.
void SetFrameFieldText(CCampBDArray &fields, int key, const QString &text);

} // namespace vk7
