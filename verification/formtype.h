#pragma once

#include <QString>

namespace vk7 {

class CCampBDArray;
class CTessOCX;

// Decides the deposit's form (DecideFormName) and has the viewer open its
// template from appFolder + "FORM\". When the template cannot be opened the
// form name stays set, formError names the template's path and the result
// is false.
bool DecideFormType(const CCampBDArray &fields, CTessOCX *viewer, const QString &appFolder,
                    QString *formName, QString *formError, bool byDataKeys);

} // namespace vk7
