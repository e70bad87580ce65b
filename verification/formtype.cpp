#include "formtype.h"

#include "components/formdocument.h"
#include "datafiles/campbdarray.h"
#include "formdecision.h"

using namespace Qt::StringLiterals;

namespace vk7 {

Failure DecideFormType(const CCampBDArray &fields, CFormDocument *form, const QString &appFolder,
                       QString *formName, QString *formError, bool byDataKeys)
{
    if (!DecideFormName(fields, byDataKeys, formName, formError))
        return Failure::Data(*formError);
    const QString folder = appFolder + u"FORM\\"_s;
    const Failure opened = form ? form->OpenForm(folder, *formName, &fields) : Failure::Data({});
    if (opened.Failed()) {
        *formError = u"ERROR abriendo formulario : "_s + folder + *formName;
        return opened.IsIo() ? opened : Failure::Data(*formError);
    }
    return {};
}

} // namespace vk7
