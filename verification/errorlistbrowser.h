#pragma once

#include <optional>

#include <QString>

#include "errorlist.h"

namespace vk7 {

// The error-list window's behaviour while the clerk browses it: at most one
// error is selected across the two lists, "Ver Error" answers the chosen
// error's number, "Ver Regla" words the rule behind it, and with nothing
// selected the message line says what to do.
class ErrorListBrowser
{
public:
    enum class List { Primary, Implicit };

    // What "Ver Regla" shows in its information box.
    struct RuleNote
    {
        QString caption;
        QString text;
    };

    explicit ErrorListBrowser(ErrorListContent content);

    const ErrorListContent &Content() const { return content_; }

    // Selecting an entry of one list removes the selection from the other.
    // A row outside the list clears that list's selection only.
    void Select(List list, int row);
    std::optional<List> SelectedList() const;
    int SelectedRow(List list) const;

    // "Ver Error" or a double click: the number of the selected error read
    // as a decimal integer, or nothing, with the message line then asking
    // the clerk to select one.
    std::optional<long> ViewError();
    // "Ver Regla": the box for the selected error, or nothing, with the
    // message line then asking the clerk to select one.
    std::optional<RuleNote> ViewRule();

    QString MessageLine() const { return messageLine_; }

private:
    ErrorListContent content_;
    int primaryRow_ = -1;
    int implicitRow_ = -1;
    QString messageLine_;
};

} // namespace vk7
