#pragma once

#include <QList>

class QPainter;

namespace vk7 {

class CFormDocument;

// What the screen adds to a page; paper and files get none of it.
struct FormPaintOptions
{
    int markedKey = 0;           // the field (or listing row) an error points at
    QList<int> markedWith;       // the rest of the datum it names (a date's day and month)
    bool showRequired = false;   // frame the required fields left empty
    bool showKeys = false;       // write each field's key code in its corner
    bool showFieldBoxes = false; // outline every field's box
};

// Paints one page (from 0) of the form in page pixels (1648 x 2336): the
// caller sets the painter's transform for its device and scale. The same
// function serves the view, the exported page files and the printer.
void PaintFormPage(QPainter &painter, const CFormDocument &document, int page,
                   const FormPaintOptions &options = {});

} // namespace vk7
