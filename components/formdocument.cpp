#include "components/formdocument.h"

namespace vk7 {

CFormDocument::CFormDocument() = default;
CFormDocument::~CFormDocument() = default;

} // namespace vk7
