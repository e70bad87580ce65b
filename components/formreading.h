#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace vk7 {

class CFormDocument;

// One value of a page as a screen reader reads it: the key it comes from,
// the name the form gives it (its row label, and its column heading when it
// has one), the text the page shows and where (page pixels).
struct FormFieldReading
{
    int key = 0;
    QString name;
    QString value;
    QRect box;
};

// The values a page (from 0) shows, fields and listing rows, in reading
// order: line by line from the top, left to right within a line. Empty for
// a page the open form does not have.
QList<FormFieldReading> ReadFormPage(const CFormDocument &document, int page);

// The value of `list` that shows `key` (a previous-year key of a listing
// row included); -1 when none does.
int IndexOfKey(const QList<FormFieldReading> &list, int key);

} // namespace vk7
