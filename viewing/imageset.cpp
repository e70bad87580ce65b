#include "imageset.h"

#include "components/imaging.h"
#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "reception/filetools.h"
#include "reception/paths.h"
#include "reception/userinterface.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

bool ValidRow(const QStringList &names, int row)
{
    return row >= 0 && row < names.size();
}

} // namespace

QStringList ListedImages(const DepositState &state, const DocumentKindInfo &set)
{
    QStringList listed;
    for (const QString &name : state.Images(set.kind)) {
        if (MarksImageSet(set, name))
            listed << name;
    }
    return listed;
}

ImageSet::ImageSet(const DepositState &state, DocumentKind kind)
    : state_(state), kind_(DocumentKindOf(kind).images ? &DocumentKindOf(kind) : nullptr)
{
    if (kind_)
        names_ = ListedImages(state, *kind_);
}

QString ImageSet::Title() const
{
    return kind_ ? kind_->dialogTitle : QString();
}

QString ImageSet::ImagePath(int row) const
{
    return ValidRow(names_, row) ? state_.DepositFilePath(names_.at(row)) : QString();
}

QString ImageSet::TemporaryPath(int row) const
{
    return kind_ ? TemporaryImagePath(*kind_, row) : QString();
}

QString ImageSet::PrintJobName(int row) const
{
    return u"K7_"_s + ImagePath(row);
}

bool ImageSet::View(int row, QImage *page)
{
    if (!ValidRow(names_, row)) {
        status_ = u"Seleccionar la imagen a visualizar"_s;
        return false;
    }
    QImage loaded;
    if (LoadImageFile(ImagePath(row), &loaded).Failed())
        return false;
    *page = std::move(loaded);
    status_.clear();
    return true;
}

bool ImageSet::CheckPrintSelection(int row)
{
    if (ValidRow(names_, row))
        return true;
    status_ = u"Seleccionar la imagen a imprimir"_s;
    return false;
}

bool ImageSet::Print(int row, PrintDevice &device)
{
    if (!ValidRow(names_, row))
        return false;
    QImage page;
    if (LoadImageFile(ImagePath(row), &page).Failed() || !device.BeginJob(PrintJobName(row)))
        return false;
    // The device reads the file itself, so a scanned page goes out as coded.
    const bool printed = device.PrintPage(PageImage{ImagePath(row), 0, QImage()});
    const bool ended = device.EndJob();
    status_.clear();
    return printed && ended;
}

void ImageSet::StartExternal(int row, IUserInterface &ui)
{
    if (!ValidRow(names_, row)) {
        status_ = u"Seleccionar la imagen a visualizar"_s;
        return;
    }
    CFileTools tools;
    tools.CreateFolderChain(TemporaryFolder());
    const QString copy = TemporaryPath(row);
    tools.SetAttributesMatching(copy, 2);
    tools.CopyExistingFile(ImagePath(row), copy);
    if (ui.OpenExternally(PathResolver::Resolve(copy)))
        status_.clear();
    else
        status_ += u"ERROR (WinExec) al ejecutar START"_s;
}

void ImageSet::DeleteTemporaryCopies()
{
    CFileTools tools;
    for (int row = 0; row < names_.size(); ++row) {
        const QString copy = TemporaryPath(row);
        tools.SetAttributesMatching(copy, 2);
        tools.DeleteOneFile(copy);
    }
}

} // namespace vk7
