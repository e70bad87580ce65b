#include "plausibility.h"

#include "components/imaging.h"
#include "datafiles/blankruns.h"
#include "datafiles/depositstate.h"
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

bool IsPlausibleText(const DepositState &state, DocumentKind kind, std::stop_token stop)
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
        if (++looked % 1024 == 0 && stop.stop_requested())
            break;
    }
    return true;
}

bool IsPlausibleImageList(const DepositState &state, DocumentKind kind)
{
    return LookAtImageList(state, kind).plausible;
}

ImageListLook LookAtImageList(const DepositState &state, DocumentKind kind)
{
    ImageListLook look;
    const QStringList *files = ImagesOfKind(state, kind);
    if (!files)
        return look;
    bool &plausible = look.plausible;
    for (const QString &name : *files) {
        ImageList pages;
        if (const Failure failure = LoadAllPages(state.DepositFilePath(name), &pages);
            failure.Failed()) {
            look.failure = failure.IsIo() ? failure : Failure();
            plausible = false;
            return look;
        }
        for (int j = 0; j < pages.Count(); ++j) {
            const QSize size = pages.PageSize(j);
            if (size.width() > kMaxPlausiblePageSide || size.height() > kMaxPlausiblePageSide) {
                plausible = false;
                break;
            }
            // A page of sane size must still decode.
            QImage page;
            if (const Failure failure = TakePage(pages, j, &page); failure.Failed()) {
                if (failure.IsIo())
                    look.failure.KeepFirst(failure);
                plausible = false;
                break;
            }
        }
        ReleaseImageList(&pages);
    }
    return look;
}

Failure CheckSuspiciousFiles(DepositState &state, std::stop_token stop)
{
    CFileTools().CreateFolderChain(PageImageFolder());
    RemoveGeneratedPageImages(state);
    state.fileWarnings.clear();

    // Texts first, then image lists, each in the table's order; the
    // warning names the file.
    Failure failure;
    for (const bool images : {false, true}) {
        for (const DocumentKindInfo &document : DocumentKinds()) {
            if (document.images != images || document.warningFile.isEmpty())
                continue;
            // A kind without entries is plausible.
            bool plausible = true;
            if (images) {
                const ImageListLook look = LookAtImageList(state, document.kind);
                plausible = look.plausible;
                failure.KeepFirst(look.failure);
            } else {
                plausible = IsPlausibleText(state, document.kind, stop);
            }
            if (!plausible)
                state.fileWarnings += u"Posible fichero %1 erróneo. Revisar %2\n"_s.arg(
                    images ? u"TIF"_s : u"TXT"_s, document.warningFile);
        }
    }
    // Then what the Open left on the medium (a link, say), with why.
    for (const QString &item : std::as_const(state.notCopied))
        state.fileWarnings += item + u'\n';
    // The texts were read back to be judged.
    failure.KeepFirst(state.TextReadFailure());
    if (stop.stop_requested())
        failure.KeepFirst(Failure::Stopped());
    return failure;
}

} // namespace vk7
