#pragma once

#include <QAccessible>
#include <QAccessibleTextInterface>

#include "reception/textpieces.h"

namespace vk7 {

// A screen reader reads every text field of the program (QLineEdit,
// QPlainTextEdit, QTextEdit) through this program's own text reading: the
// word, sentence or line at, before or after an offset is cut by
// TextPieceAt, which answers every offset, the end of the text and beyond it
// included (Qt 6.4's own reading never returns for a word at the end).
// Installs once, after the QApplication; the program calls it at its start.
void InstallTextFieldReading();

// A text interface whose pieces (at, before, after an offset, with Qt's
// offsets: -2 the cursor, -1 the end) are cut by TextPieceAt: every
// readable text of the program derives from it, never from
// QAccessibleTextInterface's own.
class PiecewiseTextInterface : public QAccessibleTextInterface
{
public:
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                             int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                         int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *startOffset,
                            int *endOffset) const override;

protected:
    // Where the shown lines begin (empty: after each line break).
    virtual QList<int> LineStarts() const { return {}; }

private:
    QString Piece(int offset, QAccessible::TextBoundaryType type, int relation, int *startOffset,
                  int *endOffset) const;
};

} // namespace vk7
