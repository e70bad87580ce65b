#pragma once

#include <QPlainTextEdit>

namespace vk7 {

// The page edit of the text page dialog. Typed characters have no effect
// (letters, Backspace, Enter, control-key combinations); caret keys and left
// clicks move and select as usual, and Delete, Shift+Delete (cut),
// Ctrl+Insert (copy) and Shift+Insert (paste) still act. After every key
// press or left click it reports the caret's line among the displayed
// (wrapped) lines. Pastes stop at the page's character limit.
class TextPageEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextPageEdit(QWidget *parent = nullptr);

    // The displayed lines: every wrapped piece of a line counts.
    int DisplayedLineCount() const;
    // The caret's displayed line, from 1.
    int CaretDisplayedLine() const;

Q_SIGNALS:
    void linePositionChanged(int caretLine, int lineCount);
    // A paste was cut short by the character limit.
    void limitReached();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void ReportLinePosition();
};

} // namespace vk7
