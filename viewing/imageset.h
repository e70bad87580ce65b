#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include "reception/documentkind.h"

namespace vk7 {

struct DepositState;
class PrintDevice;
class IUserInterface;

// The names of the set's list that its marker marks (MarksImageSet), in
// list order. Gaps (empty entries) never match.
QStringList ListedImages(const DepositState &state, const DocumentKindInfo &set);

// What the image set dialog decides, apart from its window: the listed names,
// the status line and the commands on a list position (-1: no selection).
class ImageSet
{
public:
    // A kind that is no image set gives an empty set with an empty title.
    ImageSet(const DepositState &state, DocumentKind kind);

    QString Title() const;
    const QStringList &Names() const { return names_; }
    // "Start &TIF", "&Visualizar" and "&Imprimir"; scanning, naming and
    // deleting are never enabled.
    bool DocumentCommandsEnabled() const { return !names_.isEmpty(); }
    const QString &Status() const { return status_; }
    // The status a copy of this list was left with (a print of it).
    void TakeStatus(const ImageSet &copy) { status_ = copy.status_; }

    // The image's path in the work folder.
    QString ImagePath(int row) const;
    // The kind's temporary copy for a list position, in "C:\TMP\".
    QString TemporaryPath(int row) const;
    // "K7_" followed by the image's path.
    QString PrintJobName(int row) const;

    // Loads the row's first page into `page`. False with nothing loaded when
    // nothing is selected (the status line asks for a selection) or the
    // image cannot be loaded, is not a TIFF or is too large to decode (the
    // status line is left as it was).
    bool View(int row, QImage *page);

    // Whether a print may go on to the page set-up; without a selection the
    // status line asks for one.
    bool CheckPrintSelection(int row);
    // Prints the row's image on one page in a job of its own. An image that
    // cannot be loaded prints nothing and starts no job; a job that cannot
    // start prints nothing. Both are silent.
    bool Print(int row, PrintDevice &device);

    // Copies the image to its temporary name and opens that copy in the
    // desktop's program for it.
    void StartExternal(int row, IUserInterface &ui);

    // Deletes the kind's temporary copies of every list position, made or not.
    void DeleteTemporaryCopies();

private:
    const DepositState &state_;
    const DocumentKindInfo *kind_ = nullptr;
    QStringList names_;
    QString status_;
};

} // namespace vk7
