#include "plausibility.h"

#include "components/imaging.h"
#include "datafiles/depositstate.h"
#include "reception/cfiletools.h"
#include "textpages.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxPlausiblePageSide = 3000;

} // namespace

bool IsPlausibleTextPage(const QString &pageText)
{
    qint64 characters = 0;
    qint64 runs = 0;
    bool inRun = false;
    for (const QChar c : pageText) {
        if (c == u' ') {
            inRun = true;
            continue;
        }
        if (inRun) {
            ++characters;
            ++runs;
            inRun = false;
        }
        if (c != u'\r' && c != u'\n')
            ++characters;
    }
    if (inRun) {
        ++characters;
        ++runs;
    }
    return characters <= 3 || 100 * runs / characters >= 7;
}

bool IsPlausibleText(const DepositState &state, DocumentKind kind)
{
    const std::optional<TextPages> pages = TextPagesOfKind(state, kind);
    if (!pages)
        return true;
    // Page by page: a text of any length is never held whole.
    for (const QString &page : *pages) {
        if (!IsPlausibleTextPage(page))
            return false;
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
    CFileTools tools;
    tools.CreateFolderChain(PageImageFolder());
    tools.DeleteMatchingFiles(PageImageFolder() + u"K7.*"_s, false);
    state.fileWarnings.clear();

    // Texts first, then image lists; the warning names the file.
    struct Check
    {
        DocumentKind kind;
        bool image;
        QString file;
    };
    const Check checks[] = {
        {DocumentKind::Memoria, false, u"MEMORIA.TXT"_s},
        {DocumentKind::ManagementReport, false, u"GESTION.TXT"_s},
        {DocumentKind::OwnShares, false, u"ACCIONS2.TXT"_s},
        {DocumentKind::EnvironmentalReport, false, u"AMBIENTA.TXT"_s},
        {DocumentKind::SimcavReport, false, u"SIMCAV.TXT"_s},
        {DocumentKind::ApprovalCertificate, false, u"CERTAPRO.TXT"_s},
        {DocumentKind::Memoria, true, u"MEMORIA.TIF"_s},
        {DocumentKind::ManagementReport, true, u"GESTION.TIF"_s},
        {DocumentKind::AuditorReport, true, u"AUDITOR.TIF"_s},
        {DocumentKind::Announcements, true, u"ANUNCIO.TIF"_s},
    };
    for (const Check &check : checks) {
        // A kind without entries is plausible.
        const bool plausible = check.image ? IsPlausibleImageList(state, check.kind)
                                           : IsPlausibleText(state, check.kind);
        if (!plausible)
            state.fileWarnings += u"Posible fichero %1 erróneo. Revisar %2\n"_s.arg(
                check.image ? u"TIF"_s : u"TXT"_s, check.file);
    }
    // Then what the Open left on the medium (a link, say), with why.
    for (const QString &item : std::as_const(state.notCopied))
        state.fileWarnings += item + u'\n';
}

} // namespace vk7
