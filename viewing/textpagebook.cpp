#include "textpagebook.h"

#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/userinterface.h"
#include "textpagerenderer.h"

namespace vk7 {

using namespace Qt::StringLiterals;

const DocumentKindInfo *TextKindOf(DocumentKind kind)
{
    const DocumentKindInfo &text = DocumentKindOf(kind);
    return text.depositFile.isEmpty() ? nullptr : &text;
}

qsizetype EditCharacterCount(const QString &editText)
{
    return editText.size() + editText.count(u'\n');
}

QString PageFromEditText(const QString &editText)
{
    QString page = editText;
    page.replace(u"\n"_s, u"\r\n"_s);
    return page;
}

TextPageBook::TextPageBook(const TextPageList &depositPages) : pages_(depositPages)
{
    if (pages_.isEmpty())
        pages_ = TextPageList{QString()};
    Forward();
}

void TextPageBook::ReplaceCurrent(const QString &pageText)
{
    pages_.Replace(current_ - 1, pageText);
}

bool TextPageBook::Forward()
{
    if (current_ + 1 > Count())
        return false;
    ++current_;
    return true;
}

bool TextPageBook::Backward()
{
    if (current_ < 2)
        return false;
    --current_;
    return true;
}

QString TextPageBook::PagePosition() const
{
    return QString::asprintf("%d / %d", current_, Count());
}

QString LinePosition(int caretLine, int lineCount)
{
    return QString::asprintf("%d / %d", caretLine, lineCount);
}

PrintRun PrintTextPages(const DocumentKindInfo &kind, const TextPageList &pages,
                        PrintDevice &device, qint64 tick, IUserInterface *progress,
                        std::stop_token stop)
{
    CFileTools tools;
    tools.CreateFolderChain(TemporaryFolder());
    const QString pattern = TemporaryFolder() + u"K7.*"_s;
    tools.DeleteMatchingFiles(pattern, false);

    // The clerk sees the print start before a long text is counted, and one
    // bar from the first page rendered to the last one sent.
    ProgressPrintDevice reporting(device, progress);
    if (progress)
        progress->ShowStatus(u"Imprimiendo %1 ..."_s.arg(kind.dialogTitle));
    reporting.ShowCounting();
    const qint64 total = LaidOutPageCount(pages, stop);
    reporting.SetTotalSteps(total);
    reporting.SetNextJobPages(total);
    reporting.SetNextJobCaption(kind.dialogTitle);

    PrintRun run;
    if (reporting.BeginJob(u"K7_"_s + QString::number(tick))) {
        // A page that cannot be rendered ends the run: what was rendered
        // before it is printed.
        run = PrintTextPagesAsRendered(pages, TemporaryFolder(), kind.pagePrefix, reporting, stop);
        run.sent = reporting.EndJob();
    }
    tools.DeleteMatchingFiles(pattern, false);
    return run;
}

StartText StartTextFile(const DepositState &state, const DocumentKindInfo &kind, IUserInterface &ui)
{
    const QString source = state.DepositFilePath(kind.depositFile);
    const QString target = TemporaryFolder() + kind.depositFile;
    CFileTools tools;
    tools.CreateFolderChain(TemporaryFolder());
    tools.SetAttributesMatching(target, 2);
    if (tools.CopyExistingFile(source, target).Failed())
        return {StartTextResult::CopyFailed,
                Notice{u"ERROR. Copiando fichero (%1 -> %2)"_s.arg(source, target), u"AVISO"_s,
                       IUserInterface::Icon::Stop}};
    tools.SetAttributesMatching(target, 1);
    if (!ui.OpenExternally(PathResolver::Resolve(target)))
        return {StartTextResult::StartFailed,
                Notice{u"ERROR (WinExec) al ejecutar START"_s, u"AVISO"_s,
                       IUserInterface::Icon::Information}};
    return {StartTextResult::Opened, std::nullopt};
}

} // namespace vk7
