#include "errorlistbrowser.h"

#include <utility>

#include "reception/plaintext.h"

using namespace Qt::StringLiterals;

namespace vk7 {

ErrorListBrowser::ErrorListBrowser(ErrorListContent content) : content_(std::move(content)) {}

void ErrorListBrowser::Select(List list, int row)
{
    const qsizetype size =
        list == List::Primary ? content_.primaryTexts.size() : content_.implicitTexts.size();
    const bool inside = row >= 0 && row < size;
    int &mine = list == List::Primary ? primaryRow_ : implicitRow_;
    int &other = list == List::Primary ? implicitRow_ : primaryRow_;
    mine = inside ? row : -1;
    if (inside)
        other = -1;
}

std::optional<ErrorListBrowser::List> ErrorListBrowser::SelectedList() const
{
    if (primaryRow_ >= 0)
        return List::Primary;
    if (implicitRow_ >= 0)
        return List::Implicit;
    return std::nullopt;
}

int ErrorListBrowser::SelectedRow(List list) const
{
    return list == List::Primary ? primaryRow_ : implicitRow_;
}

std::optional<long> ErrorListBrowser::ViewError()
{
    const std::optional<List> list = SelectedList();
    if (!list) {
        messageLine_ = u"Seleccionar el error a corregir"_s;
        return std::nullopt;
    }
    const QStringList &numbers =
        *list == List::Primary ? content_.primaryNumbers : content_.implicitNumbers;
    return static_cast<long>(ReadDecimalInteger(numbers.at(SelectedRow(*list))));
}

std::optional<ErrorListBrowser::RuleNote> ErrorListBrowser::ViewRule()
{
    const std::optional<List> list = SelectedList();
    if (!list) {
        messageLine_ = u"Seleccionar el error para ver la regla asociada"_s;
        return std::nullopt;
    }
    const int row = SelectedRow(*list);
    if (*list == List::Primary)
        return RuleNote{u"Regla asociada al error primario"_s,
                        content_.primaryTexts.at(row) + u"\n\n"_s +
                            content_.primaryReferences.at(row)};
    return RuleNote{u"Regla asociada al error implícito"_s,
                    content_.implicitTexts.at(row) + u"\n\n"_s +
                        content_.implicitReferences.at(row)};
}

} // namespace vk7
