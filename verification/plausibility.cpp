#include "plausibility.h"

#include "components/imaging.h"
#include "datafiles/blankruns.h"
#include "datafiles/depositstate.h"
#include "reception/backgroundwork.h"
#include "reception/filetools.h"
#include "textpages.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxPlausiblePageSide = 3000;

} // namespace

bool IsPlausibleTextPage(const QString &pageText)
{
    BlankRunTally tally;
    tally.Add(QStringView(pageText));
    return tally.LooksLikeProse();
}

bool IsPlausibleText(const DepositState &state, DocumentKind kind)
{
    const std::optional<TextPageList> pages = TextPagesOfKind(state, kind);
    if (!pages)
        return true;
    // A text read from its file was judged page by page as it was indexed.
    if (const std::optional<bool> judged = pages->EveryPageLooksLikeProse())
        return *judged;
    // Page by page: a text of any length is never held whole. A stop the
    // clerk asked for ends the look (the reception that asked is dropped).
    qsizetype looked = 0;
    for (const QString &page : *pages) {
        if (!IsPlausibleTextPage(page))
            return false;
        if (++looked % 1024 == 0 && StopHere())
            break;
    }
    return true;
}

bool IsPlausibleImageList(const DepositState &state, DocumentKind kind)
{
    const QStringList *files = ImagesOfKind(state, kind);
    if (!files)
        return true;
    bool plausible = true;
    for (const QString &name : *files) {
        ImageList pages;
        if (LoadAllPages(state.DepositFilePath(name), &pages).Failed())
            return false;
        for (int j = 0; j < pages.Count(); ++j) {
            const QSize size = pages.PageSize(j);
            if (size.width() > kMaxPlausiblePageSide || size.height() > kMaxPlausiblePageSide) {
                plausible = false;
                break;
            }
            // A page of sane size must still decode.
            QImage page;
            if (TakePage(pages, j, &page).Failed()) {
                plausible = false;
                break;
            }
        }
        ReleaseImageList(&pages);
    }
    return plausible;
}

void CheckSuspiciousFiles(DepositState &state)
{
    CFileTools().CreateFolderChain(PageImageFolder());
    RemoveGeneratedPageImages(state);
    state.fileWarnings.clear();

    // Texts first, then image lists, each in the table's order; the
    // warning names the file.
    for (const bool images : {false, true}) {
        for (const DocumentKindInfo &document : DocumentKinds()) {
            if (document.images != images || document.warningFile.isEmpty())
                continue;
            // A kind without entries is plausible.
            const bool plausible = images ? IsPlausibleImageList(state, document.kind)
                                          : IsPlausibleText(state, document.kind);
            if (!plausible)
                state.fileWarnings += u"Posible fichero %1 erróneo. Revisar %2\n"_s.arg(
                    images ? u"TIF"_s : u"TXT"_s, document.warningFile);
        }
    }
    // Then what the Open left on the medium (a link, say), with why.
    for (const QString &item : std::as_const(state.notCopied))
        state.fileWarnings += item + u'\n';
}

} // namespace vk7
