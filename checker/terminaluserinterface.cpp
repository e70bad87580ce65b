#include "terminaluserinterface.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// One line of input, without its line end; false at the end of the input.
bool ReadAnswerLine(FILE *input, QString &line)
{
    QByteArray bytes;
    int c;
    while ((c = std::fgetc(input)) != EOF && c != '\n') {
        if (bytes.size() < 256)
            bytes.append(char(c));
    }
    if (c == EOF && bytes.isEmpty())
        return false;
    line = QString::fromUtf8(bytes).trimmed().toLower();
    return true;
}

} // namespace

TerminalUserInterface::TerminalUserInterface(FILE *input, FILE *output, StatusLine statusLine)
    : m_input(input), m_output(output),
      m_statusShown(statusLine == StatusLine::Shown || (statusLine == StatusLine::WhenTerminal &&
                                                        output && ::isatty(::fileno(output))))
{
}

void TerminalUserInterface::ClearStatus()
{
    if (!m_statusOnScreen)
        return;
    std::fputs("\r\x1b[K", m_output);
    m_statusOnScreen = false;
}

void TerminalUserInterface::ShowStatus(const QString &text)
{
    if (!m_statusShown)
        return;
    ClearStatus();
    if (!text.isEmpty()) {
        // Line ends would leave the line that is rewritten.
        QString line = text;
        line.replace(u'\n', u' ').replace(u'\r', u' ');
        // A line wider than the terminal wraps, and only its last row would
        // be rewritten.
        struct winsize size = {};
        if (::ioctl(::fileno(m_output), TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
            line.truncate(size.ws_col - 1);
        std::fputs(line.toUtf8().constData(), m_output);
        m_statusOnScreen = true;
    }
    std::fflush(m_output);
}

IUserInterface::Answer TerminalUserInterface::ShowMessage(const QString &text, const QString &title,
                                                          Buttons buttons, Icon icon)
{
    Q_UNUSED(icon);
    ClearStatus();
    std::fputs((u"["_s + title + u"] "_s + text + u"\n"_s).toUtf8().constData(), m_output);
    if (buttons == Buttons::Ok) {
        std::fflush(m_output);
        return Answer::Ok;
    }
    const bool yesNo = buttons == Buttons::YesNo;
    std::fputs(yesNo ? "¿Sí o No? (s/N) " : "Pulse Intro para Aceptar o escriba C para Cancelar: ",
               m_output);
    std::fflush(m_output);

    if (unattended_) {
        std::fputs(yesNo ? "No\n" : "Aceptar\n", m_output);
        std::fflush(m_output);
        return yesNo ? Answer::No : Answer::Ok;
    }
    QString line;
    if (!m_input || !ReadAnswerLine(m_input, line)) {
        std::fputs(yesNo ? "No\n" : "Cancelar\n", m_output);
        return yesNo ? Answer::No : Answer::Cancel;
    }
    if (yesNo) {
        const bool yes = line == u"s"_s || line == u"si"_s || line == u"sí"_s || line == u"y"_s ||
                         line == u"yes"_s;
        return yes ? Answer::Yes : Answer::No;
    }
    const bool cancel = line.startsWith(u'c') || line == u"n"_s || line == u"no"_s;
    return cancel ? Answer::Cancel : Answer::Ok;
}

} // namespace vk7
