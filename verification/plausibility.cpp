#include "plausibility.h"

#include "components/imaging.h"
#include "datafiles/depositstate.h"
#include "reception/cfiletools.h"
#include "textpages.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxPlausiblePageSide = 3000;

bool HasEntries(const QStringList *list)
{
    return list && !list->isEmpty();
}

bool HasEntries(const TextPages *pages)
{
    return pages && !pages->isEmpty();
}

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
        if (LoadAllPages(state.DepositFilePath(name), &pages) != 1)
            return false;
        for (int j = 0; j < pages.Count(); ++j) {
            const QSize size = pages.PageSize(j);
            if (size.width() > kMaxPlausiblePageSide || size.height() > kMaxPlausiblePageSide) {
                plausible = false;
                break;
            }
            // A page of sane size must still decode.
            QImage page;
            if (TakePage(pages, j, &page) != 1) {
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

    struct TextCheck
    {
        DocumentKind kind;
        const TextPages *pages;
        QString warning;
    };
    struct Check
    {
        DocumentKind kind;
        const QStringList *list;
        QString warning;
    };
    const QString text = u"Posible fichero TXT erróneo. Revisar "_s;
    const QString image = u"Posible fichero TIF erróneo. Revisar "_s;
    const TextCheck textChecks[] = {
        {DocumentKind::Memoria, &state.memoriaPages, text + u"MEMORIA.TXT\n"_s},
        {DocumentKind::ManagementReport, &state.gestionPages, text + u"GESTION.TXT\n"_s},
        {DocumentKind::OwnShares, &state.accionesPages, text + u"ACCIONS2.TXT\n"_s},
        {DocumentKind::EnvironmentalReport, &state.ambientaPages, text + u"AMBIENTA.TXT\n"_s},
        {DocumentKind::SimcavReport, &state.simcavPages, text + u"SIMCAV.TXT\n"_s},
        {DocumentKind::ApprovalCertificate, &state.certaproPages, text + u"CERTAPRO.TXT\n"_s},
    };
    for (const TextCheck &check : textChecks) {
        if (HasEntries(check.pages) && !IsPlausibleText(state, check.kind))
            state.fileWarnings += check.warning;
    }
    const Check imageChecks[] = {
        {DocumentKind::Memoria, &state.memoriaImages, image + u"MEMORIA.TIF\n"_s},
        {DocumentKind::ManagementReport, &state.gestionImages, image + u"GESTION.TIF\n"_s},
        {DocumentKind::AuditorReport, &state.auditorImages, image + u"AUDITOR.TIF\n"_s},
        {DocumentKind::Announcements, &state.anuncioImages, image + u"ANUNCIO.TIF\n"_s},
    };
    for (const Check &check : imageChecks) {
        if (HasEntries(check.list) && !IsPlausibleImageList(state, check.kind))
            state.fileWarnings += check.warning;
    }
}

} // namespace vk7
