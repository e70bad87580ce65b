#pragma once

#include <QString>

#include "reception/failure.h"

namespace vk7 {

class CCampBDArray;
class CFormDocument;

// Decides the deposit's form (DecideFormName) and opens its template from
// appFolder + "FORM\" in the form document. When the template cannot be opened the
// form name stays set, formError names the template's path and the result
// is a failure (the machine's when it would not let the template be read).
Failure DecideFormType(const CCampBDArray &fields, CFormDocument *form, const QString &appFolder,
                       QString *formName, QString *formError, bool byDataKeys);

} // namespace vk7
