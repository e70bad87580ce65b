#include "imageset.h"

#include "components/imaging.h"
#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "reception/cfiletools.h"
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

const ImageSetKind *ImageSetKindOf(int kind)
{
    static const ImageSetKind kinds[] = {
        {8, &DepositState::memoriaImages, u"M"_s,
         u"Tratamiento de Imágenes de la Memoria del Depósito Digital"_s,
         u"C:\\TMP\\MEMTMP%02d.TIF"_s},
        {9, &DepositState::gestionImages, u"G"_s,
         u"Tratamiento de Imágenes del Informe de Gestión del Depósito Digital"_s,
         u"C:\\TMP\\GESTMP%02d.TIF"_s},
        {20, &DepositState::auditorImages, u"AUDITOR"_s,
         u"Tratamiento de Imágenes del Informe de Auditoria del Depósito Digital"_s,
         u"C:\\TMP\\ADTMP%02d.TIF"_s},
        {21, &DepositState::anuncioImages, u"ANUNCIO"_s,
         u"Tratamiento de Imágenes de Anuncios de Convocatoria del Depósito Digital"_s,
         u"C:\\TMP\\ANTMP%02d.TIF"_s},
    };
    for (const ImageSetKind &k : kinds) {
        if (k.kind == kind)
            return &k;
    }
    return nullptr;
}

QStringList ListedImages(const DepositState &state, const ImageSetKind &kind)
{
    // One letter of the extension for the memoria and the management report,
    // the start of the name for the others.
    const bool byExtension = kind.marker.size() == 1;
    QStringList listed;
    for (const QString &name : state.*kind.images) {
        const QString part = byExtension
                                 ? (name.size() >= 3 ? name.mid(name.size() - 3, 1) : QString())
                                 : name.left(7);
        if (!name.isEmpty() && part == kind.marker)
            listed << name;
    }
    return listed;
}

ImageSet::ImageSet(const DepositState &state, int kind) : state_(state), kind_(ImageSetKindOf(kind))
{
    if (kind_)
        names_ = ListedImages(state, *kind_);
}

QString ImageSet::Title() const
{
    return kind_ ? kind_->title : QString();
}

QString ImageSet::ImagePath(int row) const
{
    return ValidRow(names_, row) ? state_.DepositFilePath(names_.at(row)) : QString();
}

QString ImageSet::TemporaryPath(int row) const
{
    return kind_ ? QString::asprintf(kind_->temporaryPattern.toUtf8().constData(), row) : QString();
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
