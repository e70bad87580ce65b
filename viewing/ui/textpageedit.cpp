#include "textpageedit.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextLayout>

#include "viewing/textpagebook.h"

namespace vk7 {

using namespace Qt::StringLiterals;

TextPageEdit::TextPageEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    // Text only comes in by the keys above: no drops, no menu, no input method.
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setUndoRedoEnabled(false);
}

int TextPageEdit::DisplayedLineCount() const
{
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    int count = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's rectangle lays it out at the edit's width.
        layout->blockBoundingRect(block);
        count += qMax(1, block.layout()->lineCount());
    }
    return count;
}

int TextPageEdit::CaretDisplayedLine() const
{
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    const QTextCursor cursor = textCursor();
    int line = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        layout->blockBoundingRect(block);
        if (block == cursor.block()) {
            const QTextLine caretLine =
                block.layout()->lineForTextPosition(cursor.positionInBlock());
            return line + (caretLine.isValid() ? caretLine.lineNumber() : 0) + 1;
        }
        line += qMax(1, block.layout()->lineCount());
    }
    return 1;
}

void TextPageEdit::ReportLinePosition()
{
    Q_EMIT linePositionChanged(CaretDisplayedLine(), DisplayedLineCount());
}

void TextPageEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Escape) {
        event->ignore(); // the dialog's Cancel
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!(modifiers & Qt::AltModifier))
            QPlainTextEdit::keyPressEvent(event);
        break;
    case Qt::Key_Delete:
        if (modifiers == Qt::NoModifier) {
            QTextCursor cursor = textCursor();
            if (cursor.hasSelection())
                cursor.removeSelectedText();
            else
                cursor.deleteChar();
            setTextCursor(cursor);
        } else if (modifiers == Qt::ShiftModifier) {
            cut();
        }
        break;
    case Qt::Key_Insert:
        if (modifiers == Qt::ShiftModifier)
            paste();
        else if (modifiers == Qt::ControlModifier)
            copy();
        break;
    default:
        // Characters, Backspace, Enter and control-key combinations: nothing.
        break;
    }
    event->accept();
    ReportLinePosition();
}

void TextPageEdit::mousePressEvent(QMouseEvent *event)
{
    // The middle button's selection paste would be a way round the limit.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
    ReportLinePosition();
}

void TextPageEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseReleaseEvent(event);
    ReportLinePosition();
}

void TextPageEdit::inputMethodEvent(QInputMethodEvent *event)
{
    event->accept();
}

void TextPageEdit::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    const qsizetype room =
        kTextPageCharacterLimit - EditCharacterCount(toPlainText()) + EditCharacterCount(selected);
    bool cut = false;
    if (EditCharacterCount(text) > room) {
        // Keep what fits, a line break taking two characters.
        qsizetype used = 0;
        qsizetype keep = 0;
        while (keep < text.size()) {
            const int width = text.at(keep) == u'\n' ? 2 : 1;
            if (used + width > room)
                break;
            used += width;
            ++keep;
        }
        text.truncate(keep);
        cut = true;
    }
    if (!text.isEmpty()) {
        QTextCursor cursor = textCursor();
        cursor.insertText(text);
        setTextCursor(cursor);
    }
    ensureCursorVisible();
    if (cut)
        Q_EMIT limitReached();
}

} // namespace vk7
