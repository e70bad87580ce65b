#pragma once

#include <optional>
#include <stop_token>

#include <QString>
#include <QStringList>

#include "components/printdevice.h"
#include "datafiles/textpagelist.h"
#include "reception/documentkind.h"
#include "reception/userinterface.h"

namespace vk7 {

struct DepositState;
class PrintDevice;
class IUserInterface;

// One of the six free texts of a deposit, as the text page dialog shows it,
// or null for a kind that is not one (an image set, the diagnostic sheet).
const DocumentKindInfo *TextKindOf(DocumentKind kind);

// The page edit holds at most this many characters, a line break counting
// as two.
inline constexpr int kTextPageCharacterLimit = 30000;

// The edit's character count of a text whose lines are separated by "\n"
// (each separator stands for "\r\n").
qsizetype EditCharacterCount(const QString &editText);
// A page of the working copy from the edit's text: lines end in "\r\n".
QString PageFromEditText(const QString &editText);

// The text page dialog's working copy of a text: the deposit's pages (read
// page by page as they are shown; a changed page is kept in the copy and
// never written back), and the page shown (from 1).
class TextPageBook
{
public:
    // Shows page 1; a text without pages gets one empty page.
    explicit TextPageBook(const TextPageList &depositPages);

    int Count() const { return int(pages_.size()); }
    const TextPageList &Pages() const { return pages_; }
    QString CurrentText() const { return pages_.value(current_ - 1); }

    // The edit's changed text replaces the shown page.
    void ReplaceCurrent(const QString &pageText);
    // Moves one page when there is one to move to; false otherwise.
    bool Forward();
    bool Backward();
    bool CanGoForward() const { return current_ < Count(); }
    bool CanGoBack() const { return current_ > 1; }
    // "Pág.:": "%d / %d".
    QString PagePosition() const;

private:
    TextPageList pages_;
    int current_ = 0;
};

// "Lin.:": "%d / %d" with the caret's displayed line (from 1) and the count.
QString LinePosition(int caretLine, int lineCount);

// Renders `pages` as the kind's page images in "C:\TMP\" (made when missing;
// its "K7.*" files deleted before and after) and prints every rendered page,
// each on a page of its own, in one job named "K7_" + `tick`. Returns the
// pages printed, whether the job reached the printer and the failure that
// ended the run. `progress`, when given, is told of each page printed.
// The run stops at its next page once `stop` says so.
PrintRun PrintTextPages(const DocumentKindInfo &kind, const TextPageList &pages,
                        PrintDevice &device, qint64 tick, IUserInterface *progress = nullptr,
                        std::stop_token stop = {});

// "Start &TXT": copies the deposit's own text file of the kind to "C:\TMP\",
// marks the copy read-only and opens it in the desktop's program for it.
// A read-only copy left by an earlier use is made writable first; when the
// copy still fails nothing is opened, so an older deposit's text is never
// shown for this one's. A failure comes with the notice the window shows.
enum class StartTextResult { Opened, CopyFailed, StartFailed };
struct StartText
{
    StartTextResult outcome = StartTextResult::Opened;
    std::optional<Notice> notice;
};
StartText StartTextFile(const DepositState &state, const DocumentKindInfo &kind,
                        IUserInterface &ui);

} // namespace vk7
