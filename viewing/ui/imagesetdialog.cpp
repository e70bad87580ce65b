#include "imagesetdialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "components/printdevice.h"
#include "dialogbutton.h"
#include "reception/userinterface.h"

namespace vk7 {

using namespace Qt::StringLiterals;

PictureArea::PictureArea(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    // About the shape of a portrait A4 page, which is scaled to fill it.
    setMinimumSize(280, 396);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PictureArea::SetPage(const QImage &page)
{
    page_ = page;
    scaled_ = QImage();
    update();
}

void PictureArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (page_.isNull())
        return;
    const QRect target = contentsRect();
    if (target.isEmpty())
        return;
    // Scaling a scanned page down is the slow part: done once per size.
    // A bilevel or grey page is smoothed as grey; a colour scan keeps its colours.
    if (scaled_.size() != target.size()) {
        const bool grey = page_.depth() <= 8 && page_.isGrayscale();
        scaled_ = page_.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32)
                      .scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPainter painter(this);
    painter.drawImage(target.topLeft(), scaled_);
}

ImageSetDialog::ImageSetDialog(const DepositState &state, DocumentKind kind, IUserInterface &ui,
                               QWidget *parent)
    : PrintingDialog(parent), set_(state, kind), ui_(ui)
{
    setWindowTitle(set_.Title());

    auto *introduction = new QGroupBox(u"Introducción"_s, this);
    auto *nameLabel = new QLabel(u"Nueva Imagen:"_s, introduction);
    auto *nameEdit = new QLineEdit(introduction);
    nameEdit->setObjectName(u"newImageName"_s);
    nameLabel->setBuddy(nameEdit);
    auto *scanButton = DialogButton(u"&Escanear"_s, "scanButton", introduction);
    scanButton->setDefault(true);
    auto *introductionLayout = new QHBoxLayout(introduction);
    introductionLayout->addWidget(nameLabel);
    introductionLayout->addWidget(nameEdit, 1);
    introductionLayout->addWidget(scanButton);

    auto *viewing = new QGroupBox(u"Visualización y Eliminación"_s, this);
    auto *listLabel = new QLabel(u"Imágenes del Déposito Digital"_s, viewing);
    list_ = new QListWidget(viewing);
    list_->setObjectName(u"imageList"_s);
    list_->setSortingEnabled(false);
    list_->addItems(set_.Names());
    listLabel->setBuddy(list_);
    // A list takes no name from its label: it is given the caption's.
    list_->setAccessibleName(listLabel->text());
    startButton_ = DialogButton(u"Start &TIF"_s, "startButton", viewing);
    viewButton_ = DialogButton(u"&Visualizar"_s, "viewButton", viewing);
    printButton_ = DialogButton(u"&Imprimir"_s, "printButton", viewing);
    auto *deleteButton = DialogButton(u"Eli&minar"_s, "deleteButton", viewing);
    picture_ = new PictureArea(viewing);
    picture_->setObjectName(u"pictureArea"_s);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(viewButton_);
    buttons->addWidget(printButton_);
    buttons->addWidget(deleteButton);
    buttons->addStretch();
    auto *viewingLayout = new QGridLayout(viewing);
    viewingLayout->addWidget(listLabel, 0, 0, 1, 2);
    viewingLayout->addWidget(list_, 1, 0);
    viewingLayout->addLayout(buttons, 1, 1);
    viewingLayout->addWidget(picture_, 0, 2, 2, 1);
    viewingLayout->setColumnStretch(2, 1);

    status_ = new QLabel(this);
    status_->setObjectName(u"statusLine"_s);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *exitButton = DialogButton(u"&Salir"_s, "exitButton", this);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(exitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(introduction);
    layout->addWidget(viewing, 1);
    layout->addLayout(bottom);

    // Images are neither scanned in nor deleted here.
    nameEdit->setEnabled(false);
    scanButton->setEnabled(false);
    deleteButton->setEnabled(false);
    const bool any = set_.DocumentCommandsEnabled();
    startButton_->setEnabled(any);
    viewButton_->setEnabled(any);
    printButton_->setEnabled(any);

    connect(viewButton_, &QPushButton::clicked, this, &ImageSetDialog::View);
    connect(printButton_, &QPushButton::clicked, this, &ImageSetDialog::Print);
    connect(startButton_, &QPushButton::clicked, this, &ImageSetDialog::StartExternal);
    connect(exitButton, &QPushButton::clicked, this, &ImageSetDialog::reject);
}

int ImageSetDialog::SelectedRow() const
{
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

void ImageSetDialog::ShowStatus()
{
    status_->setText(set_.Status());
}

void ImageSetDialog::View()
{
    const int row = SelectedRow();
    QImage page;
    // A page that cannot be loaded leaves the picture empty, never showing
    // another page beside the highlighted name; with nothing selected the
    // picture stays as it was.
    if (set_.View(row, &page) || row >= 0)
        picture_->SetPage(page);
    ShowStatus();
}

void ImageSetDialog::Print()
{
    const int row = SelectedRow();
    if (!set_.CheckPrintSelection(row)) {
        ShowStatus();
        return;
    }
    std::unique_ptr<PrintDevice> device = ChoosePrinter();
    if (!device)
        return;
    // The print works on a copy of the list; its status comes back at the end.
    auto printed = std::make_shared<ImageSet>(set_);
    RunPrint(
        ui_, std::move(device),
        [printed, row](PrintDevice &printer, IUserInterface &ui, std::stop_token) {
            // One page: the bar and the status line say it is going.
            ProgressPrintDevice reporting(printer, &ui);
            reporting.SetTotalSteps(1);
            reporting.SetNextJobPages(1);
            printed->Print(row, reporting);
        },
        [this, printed](bool) {
            set_.TakeStatus(*printed);
            ShowStatus();
        });
}

void ImageSetDialog::StartExternal()
{
    set_.StartExternal(SelectedRow(), ui_);
    ShowStatus();
}

void ImageSetDialog::reject()
{
    if (Printing()) {
        PrintingDialog::reject();
        return;
    }
    set_.DeleteTemporaryCopies();
    PrintingDialog::reject();
}

} // namespace vk7
