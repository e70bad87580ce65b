#include "reception/ui/textfieldaccessible.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>

namespace vk7 {

namespace {

TextUnit UnitOf(QAccessible::TextBoundaryType type)
{
    switch (type) {
    case QAccessible::CharBoundary:
        return TextUnit::Character;
    case QAccessible::WordBoundary:
        return TextUnit::Word;
    case QAccessible::SentenceBoundary:
        return TextUnit::Sentence;
    case QAccessible::LineBoundary:
        return TextUnit::Line;
    case QAccessible::ParagraphBoundary:
        return TextUnit::Paragraph;
    case QAccessible::NoBoundary:
        break;
    }
    return TextUnit::Whole;
}

} // namespace

QString PiecewiseTextInterface::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                                 int *startOffset, int *endOffset) const
{
    return Piece(offset, type, -1, startOffset, endOffset);
}

QString PiecewiseTextInterface::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                             int *startOffset, int *endOffset) const
{
    return Piece(offset, type, 0, startOffset, endOffset);
}

QString PiecewiseTextInterface::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                                int *startOffset, int *endOffset) const
{
    return Piece(offset, type, 1, startOffset, endOffset);
}

QString PiecewiseTextInterface::Piece(int offset, QAccessible::TextBoundaryType type, int relation,
                                      int *startOffset, int *endOffset) const
{
    const QString all = text(0, characterCount());
    if (offset == -2)
        offset = cursorPosition();
    else if (offset == -1)
        offset = static_cast<int>(all.size());
    const TextPiece piece =
        TextPieceAt(all, offset, UnitOf(type), relation,
                    type == QAccessible::LineBoundary ? LineStarts() : QList<int>{});
    *startOffset = piece.start;
    *endOffset = piece.end;
    return piece.text;
}

namespace {

// What the two kinds of field have in common, read the same way: the text,
// the cursor and selection, and where a character is shown.
class TextFieldReading : public QAccessibleWidget,
                         public PiecewiseTextInterface,
                         public QAccessibleEditableTextInterface
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    virtual QString Text() const = 0;
    virtual bool ReadOnly() const = 0;
    // Puts `text` in place of the characters from start to end.
    virtual void Replace(int startOffset, int endOffset, const QString &text) = 0;

    // One selection at most: adding one sets it.
    void addSelection(int startOffset, int endOffset) override
    {
        setSelection(0, startOffset, endOffset);
    }
    void deleteText(int startOffset, int endOffset) override
    {
        replaceText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString &text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString &text) override
    {
        if (!ReadOnly())
            Replace(startOffset, endOffset, text);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface && !ReadOnly())
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectableText = true;
        state.readOnly = ReadOnly();
        state.editable = !ReadOnly();
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Text();
        return QAccessibleWidget::text(t);
    }

    QString text(int startOffset, int endOffset) const override
    {
        const QString all = Text();
        const int length = static_cast<int>(all.size());
        const int start = std::clamp(startOffset, 0, length);
        const int end = endOffset < 0 ? length : std::clamp(endOffset, start, length);
        return all.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Text().size()); }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        // No attributes: one run over the whole text.
        (void)offset;
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
};

class LineEditReading : public TextFieldReading
{
public:
    explicit LineEditReading(QLineEdit *edit) : TextFieldReading(edit, QAccessible::EditableText) {}
    QLineEdit *Edit() const { return static_cast<QLineEdit *>(widget()); }

    // A hidden entry (a password) reads as stars, one per character.
    QString Text() const override
    {
        switch (Edit()->echoMode()) {
        case QLineEdit::Normal:
            return Edit()->text();
        case QLineEdit::NoEcho:
            return {};
        default:
            return QString(Edit()->text().size(), u'*');
        }
    }
    bool ReadOnly() const override { return Edit()->isReadOnly(); }
    QAccessible::State state() const override
    {
        QAccessible::State state = TextFieldReading::state();
        state.passwordEdit = Edit()->echoMode() != QLineEdit::Normal;
        return state;
    }
    QString text(QAccessible::Text t) const override
    {
        QString text = TextFieldReading::text(t);
        if (text.isEmpty() && t == QAccessible::Description)
            text = Edit()->placeholderText();
        return text;
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value)
            Edit()->setText(text);
        else
            TextFieldReading::setText(t, text);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->hasSelectedText())
            return;
        *startOffset = Edit()->selectionStart();
        *endOffset = *startOffset + Edit()->selectionLength();
    }
    int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    void removeSelection(int) override { Edit()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        Edit()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return Edit()->cursorPosition(); }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
    QRect characterRect(int offset) const override
    {
        // The cursor's place is known; another character is as far from it
        // as the text between them is wide.
        const QString shown = Text();
        const int cursor = Edit()->cursorPosition();
        const QRect at = Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const QFontMetrics metrics = Edit()->fontMetrics();
        const int x = at.center().x() + metrics.horizontalAdvance(shown.left(offset)) -
                      metrics.horizontalAdvance(shown.left(cursor));
        const QRect local(x, at.top(),
                          offset < shown.size() ? metrics.horizontalAdvance(shown.at(offset)) : 1,
                          at.height());
        return QRect(Edit()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return Edit()->cursorPositionAt(Edit()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int) override { Edit()->setCursorPosition(startIndex); }

    void Replace(int startOffset, int endOffset, const QString &text) override
    {
        QString all = Edit()->text();
        const int start = std::clamp(startOffset, 0, static_cast<int>(all.size()));
        const int end = std::clamp(endOffset, start, static_cast<int>(all.size()));
        all.replace(start, end - start, text);
        Edit()->setText(all);
        Edit()->setCursorPosition(start + static_cast<int>(text.size()));
    }
};

// QPlainTextEdit and QTextEdit: a document behind a viewport, read as plain
// text, by the lines it shows.
class DocumentEditReading : public TextFieldReading
{
public:
    DocumentEditReading(QAbstractScrollArea *edit, QTextDocument *(*document)(QWidget *),
                        QTextCursor (*cursor)(QWidget *),
                        void (*setCursor)(QWidget *, const QTextCursor &),
                        QRect (*cursorRect)(QWidget *, const QTextCursor &),
                        QTextCursor (*cursorAt)(QWidget *, const QPoint &))
        : TextFieldReading(edit, QAccessible::EditableText), document_(document), cursor_(cursor),
          setCursor_(setCursor), cursorRect_(cursorRect), cursorAt_(cursorAt)
    {
    }

    QAbstractScrollArea *Area() const { return static_cast<QAbstractScrollArea *>(widget()); }
    QTextDocument *Document() const { return document_(widget()); }
    QTextCursor Cursor() const { return cursor_(widget()); }

    QString Text() const override { return Document()->toPlainText(); }
    bool ReadOnly() const override { return widget()->property("readOnly").toBool(); }
    QList<int> LineStarts() const override
    {
        QList<int> starts;
        for (QTextBlock block = Document()->begin(); block.isValid(); block = block.next()) {
            const QTextLayout *layout = block.layout();
            if (!layout || layout->lineCount() == 0) {
                starts.append(block.position());
                continue;
            }
            for (int i = 0; i < layout->lineCount(); ++i)
                starts.append(block.position() + layout->lineAt(i).textStart());
        }
        return starts;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = TextFieldReading::state();
        state.multiLine = true;
        return state;
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t == QAccessible::Value && !ReadOnly())
            Document()->setPlainText(text);
        else
            TextFieldReading::setText(t, text);
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        const QTextCursor cursor = Cursor();
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !cursor.hasSelection())
            return;
        *startOffset = cursor.selectionStart();
        *endOffset = cursor.selectionEnd();
    }
    int selectionCount() const override { return Cursor().hasSelection() ? 1 : 0; }
    void removeSelection(int) override
    {
        QTextCursor cursor = Cursor();
        cursor.clearSelection();
        setCursor_(widget(), cursor);
    }
    void setSelection(int, int startOffset, int endOffset) override
    {
        setCursor_(widget(), CursorOver(startOffset, endOffset));
    }
    int cursorPosition() const override { return Cursor().position(); }
    void setCursorPosition(int position) override
    {
        setCursor_(widget(), CursorOver(position, position));
    }
    QRect characterRect(int offset) const override
    {
        const QRect local = cursorRect_(widget(), CursorOver(offset, offset));
        return QRect(Area()->viewport()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return cursorAt_(widget(), Area()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int startIndex, int) override { setCursorPosition(startIndex); }

    void Replace(int startOffset, int endOffset, const QString &text) override
    {
        QTextCursor cursor = CursorOver(startOffset, endOffset);
        cursor.insertText(text);
        setCursor_(widget(), cursor);
    }

private:
    QTextCursor CursorOver(int startOffset, int endOffset) const
    {
        QTextCursor cursor(Document());
        const int last = characterCount();
        cursor.setPosition(std::clamp(startOffset, 0, last));
        cursor.setPosition(std::clamp(endOffset, 0, last), QTextCursor::KeepAnchor);
        return cursor;
    }

    QTextDocument *(*document_)(QWidget *);
    QTextCursor (*cursor_)(QWidget *);
    void (*setCursor_)(QWidget *, const QTextCursor &);
    QRect (*cursorRect_)(QWidget *, const QTextCursor &);
    QTextCursor (*cursorAt_)(QWidget *, const QPoint &);
};

// The same reading for both document editors, through their like-named
// members.
template <typename Edit> DocumentEditReading *ReadingOf(Edit *edit)
{
    return new DocumentEditReading(
        edit, [](QWidget *w) { return static_cast<Edit *>(w)->document(); },
        [](QWidget *w) { return static_cast<Edit *>(w)->textCursor(); },
        [](QWidget *w, const QTextCursor &c) { static_cast<Edit *>(w)->setTextCursor(c); },
        [](QWidget *w, const QTextCursor &c) { return static_cast<Edit *>(w)->cursorRect(c); },
        [](QWidget *w, const QPoint &p) { return static_cast<Edit *>(w)->cursorForPosition(p); });
}

QAccessibleInterface *TextFieldFactory(const QString &, QObject *object)
{
    if (auto *line = qobject_cast<QLineEdit *>(object))
        return new LineEditReading(line);
    if (auto *plain = qobject_cast<QPlainTextEdit *>(object))
        return ReadingOf(plain);
    if (auto *rich = qobject_cast<QTextEdit *>(object))
        return ReadingOf(rich);
    return nullptr;
}

} // namespace

void InstallTextFieldReading()
{
    // Factories installed last are asked first: this one goes after the
    // one QApplication installs for Qt's own widgets.
    static const bool installed = [] {
        QAccessible::installFactory(&TextFieldFactory);
        return true;
    }();
    (void)installed;
}

} // namespace vk7
