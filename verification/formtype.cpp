#include "formtype.h"

#include "components/formdocument.h"
#include "datafiles/campbdarray.h"
#include "formdecision.h"

using namespace Qt::StringLiterals;

namespace vk7 {

bool DecideFormType(const CCampBDArray &fields, CFormDocument *form, const QString &appFolder,
                    QString *formName, QString *formError, bool byDataKeys)
{
    if (!DecideFormName(fields, byDataKeys, formName, formError))
        return false;
    const QString folder = appFolder + u"FORM\\"_s;
    if (!form || !form->OpenForm(folder, *formName, &fields)) {
        *formError = u"ERROR abriendo formulario : "_s + folder + *formName;
        return false;
    }
    return true;
}

} // namespace vk7
