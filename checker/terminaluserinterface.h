#pragma once

#include <cstdio>

#include "reception/userinterface.h"

namespace vk7 {

// Message boxes and questions on the terminal: the text goes to the error
// stream, the answer is read as a line from the input. When there is no
// input to read (end of file, /dev/null) a question is answered Cancel or
// No, so that nothing waits for a clerk who is not there. The status line is
// one line of the error stream rewritten in place, and only when that stream
// is a terminal: a script reading it sees the warnings and errors alone.
class TerminalUserInterface : public IUserInterface
{
public:
    enum class StatusLine { WhenTerminal, Shown, Hidden };

    explicit TerminalUserInterface(FILE *input = stdin, FILE *output = stderr,
                                   StatusLine statusLine = StatusLine::WhenTerminal);

    // Without a terminal nobody can answer: a notice to go on (OK or Cancel,
    // the diskette prompt) is answered OK, a Yes/No question No, and the
    // input is never read.
    void SetUnattended(bool unattended) { unattended_ = unattended; }

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;
    void ShowStatus(const QString &text) override;

private:
    void ClearStatus();

    FILE *m_input;
    FILE *m_output;
    bool m_statusShown;
    bool m_statusOnScreen = false;
    bool unattended_ = false;
};

} // namespace vk7
