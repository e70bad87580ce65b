#pragma once

#include <cstdio>

#include "reception/userinterface.h"

namespace vk7 {

// Message boxes and questions on the terminal: the text goes to the error
// stream, the answer is read as a line from the input. When there is no
// input to read (end of file, /dev/null) a question is answered Cancel or
// No, so that nothing waits for a clerk who is not there.
class TerminalUserInterface : public IUserInterface
{
public:
    explicit TerminalUserInterface(FILE *input = stdin, FILE *output = stderr);

    Answer ShowMessage(const QString &text, const QString &title, Buttons buttons,
                       Icon icon) override;

private:
    FILE *m_input;
    FILE *m_output;
};

} // namespace vk7
