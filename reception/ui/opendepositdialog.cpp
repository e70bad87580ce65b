#include "reception/ui/opendepositdialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <QValidator>

#include "reception/backgroundwork.h"
#include "reception/opendepositlogic.h"
#include "reception/paths.h"
#include "reception/ui/messageboxes.h"
#include "reception/ui/spokenstatus.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// Turns letters into capitals as they are typed or pasted: a fingerprint is
// written in capitals, and one typed in lower case would not match.
class CapitalsValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

StatusLineLabel::StatusLineLabel(QWidget *parent) : QLabel(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void StatusLineLabel::SetStatus(const QString &text)
{
    setText(text);
    setToolTip(text);
}

QSize StatusLineLabel::sizeHint() const
{
    return minimumSizeHint();
}

QSize StatusLineLabel::minimumSizeHint() const
{
    const int frame = 2 * frameWidth() + 2 * margin();
    return QSize(frame + fontMetrics().averageCharWidth() * 10, fontMetrics().height() + 6 + frame);
}

QString StatusLineLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width() - 2 * margin());
}

void StatusLineLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(contentsRect().adjusted(margin(), 0, -margin(), 0), Qt::AlignCenter,
                     ShownText());
}

COpenDepositDialog::COpenDepositDialog(OpenDepositLogic &logic, JobRunner &jobs, QWidget *parent)
    : QDialog(parent), logic_(logic), jobs_(jobs), location_(new QLineEdit(this)),
      diskettes_(new QLineEdit(this)), fingerprint_(new QLineEdit(this)),
      status_(new StatusLineLabel(this)), progress_(new QProgressBar(this)),
      accept_(new QPushButton(u"&Aceptar"_s, this)), browse_(new QPushButton(u"&Buscar"_s, this)),
      cancel_(new QPushButton(u"&Salir"_s, this))
{
    setWindowTitle(OpenDepositLogic::DialogTitle());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setObjectName(u"OpenDepositDialog"_s);

    auto *fields = new QGridLayout;
    // Each caption is tied to its field: a screen reader names the field by
    // it, and its underlined letter (Alt+F, Alt+D, Alt+U) jumps to it.
    auto *locationCaption = new QLabel(u"Situación del &FICHERO.TXT:"_s, this);
    locationCaption->setBuddy(location_);
    auto *disketteCaption = new QLabel(u"Nº &Disquetes:"_s, this);
    disketteCaption->setBuddy(diskettes_);
    auto *fingerprintCaption = new QLabel(u"H&uella Digital del Depósito:"_s, this);
    fingerprintCaption->setBuddy(fingerprint_);
    fields->addWidget(locationCaption, 0, 0);
    fields->addWidget(location_, 0, 1, 1, 2);
    fields->addWidget(disketteCaption, 1, 0);
    diskettes_->setMaximumWidth(fontMetrics().horizontalAdvance(u"0000000"_s));
    fields->addWidget(diskettes_, 1, 1, Qt::AlignLeft);
    fields->addWidget(fingerprintCaption, 2, 0);
    fields->addWidget(fingerprint_, 2, 1, 1, 2);
    fingerprint_->setMinimumWidth(fontMetrics().horizontalAdvance(u"W"_s) * 28);
    fingerprint_->setValidator(new CapitalsValidator(fingerprint_));
    fields->setColumnStretch(1, 1);

    // Named by the text it shows, which a screen reader is also told as it
    // comes (an error that keeps the deposit from opening above all).
    status_->setObjectName(u"statusLine"_s);
    // As high as the status line and narrow: shown, it takes none of the
    // dialog's size, only part of the line's width.
    progress_->setObjectName(u"progress"_s);
    progress_->setAccessibleName(u"Progreso"_s);
    progress_->setTextVisible(false);
    progress_->setFixedSize(160, status_->sizeHint().height());
    progress_->hide();

    auto *buttons = new QVBoxLayout;
    accept_->setDefault(true);
    accept_->setAutoDefault(true);
    buttons->addWidget(accept_);
    buttons->addWidget(browse_);
    buttons->addWidget(cancel_);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addSpacing(8);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(progress_);
    layout->addLayout(statusRow);

    connect(accept_, &QPushButton::clicked, this, &COpenDepositDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &COpenDepositDialog::reject);
    connect(browse_, &QPushButton::clicked, this, &COpenDepositDialog::Browse);

    logic_.membersChanged = [this] { TransferToControls(); };
    TransferToControls();
    ShowStatus(logic_.status());
    location_->setFocus();
    // A fixed dialog: no status text, path or screen makes it grow.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

COpenDepositDialog::~COpenDepositDialog()
{
    // A copy still running works on this dialog's logic: it ends first.
    if (busy_)
        jobs_.StopAndWait();
    logic_.membersChanged = nullptr;
}

void COpenDepositDialog::TakeFromControls()
{
    logic_.location = location_->text();
    logic_.diskettes = diskettes_->text();
    logic_.fingerprint = fingerprint_->text();
}

void COpenDepositDialog::TransferToControls()
{
    location_->setText(logic_.location);
    diskettes_->setText(logic_.diskettes);
    fingerprint_->setText(logic_.fingerprint);
}

// Each "Copiando fichero ..." line is painted as it comes. The copy runs
// off the window's thread: only "&Salir" (or Escape) is live meanwhile, and
// it stops the copy.
void COpenDepositDialog::ShowStatus(const QString &text)
{
    status_->SetStatus(text);
    if (isVisible()) {
        status_->repaint();
        SayStatus(this, text);
    }
}

void COpenDepositDialog::ShowProgress(qint64 step, qint64 total)
{
    // A figure that comes after the copy ended shows nothing.
    if (busy_)
        ShowProgressOn(*progress_, step, total);
    else
        progress_->hide();
}

void COpenDepositDialog::ApplyFocus()
{
    switch (logic_.focus()) {
    case OpenDepositLogic::Focus::Location:
        location_->setFocus();
        location_->selectAll();
        break;
    case OpenDepositLogic::Focus::Diskettes:
        diskettes_->setFocus();
        diskettes_->selectAll();
        break;
    case OpenDepositLogic::Focus::Fingerprint:
        fingerprint_->setFocus();
        fingerprint_->selectAll();
        break;
    case OpenDepositLogic::Focus::Accept:
        accept_->setFocus();
        break;
    case OpenDepositLogic::Focus::None:
        break;
    }
}

void COpenDepositDialog::accept()
{
    if (busy_)
        return;
    busy_ = true;
    TakeFromControls();
    setCursor(Qt::WaitCursor);
    // The copy runs off the window's thread; the fields are filled from the
    // logic on this thread, the copy waiting meanwhile.
    logic_.membersChanged = [this] { jobs_.Post([this] { TransferToControls(); }, true); };
    for (QWidget *entry : Entries())
        entry->setEnabled(false);
    cancel_->setFocus();
    // The logic is the copy's until it ends: the dialog only reads it while
    // the copy waits for a call above.
    jobs_.Start<int>([this](std::stop_token stop) { return int(logic_.Accept(std::move(stop))); },
                     [this](int outcome, bool) { CopyEnded(outcome); });
}

QList<QWidget *> COpenDepositDialog::Entries() const
{
    return {location_, diskettes_, fingerprint_, accept_, browse_};
}

void COpenDepositDialog::CopyEnded(int outcome)
{
    logic_.membersChanged = [this] { TransferToControls(); };
    progress_->hide();
    for (QWidget *entry : Entries())
        entry->setEnabled(true);
    unsetCursor();
    busy_ = false;
    if (OpenDepositLogic::Outcome(outcome) == OpenDepositLogic::Outcome::Accepted) {
        QDialog::accept();
        return;
    }
    // "&Salir" or Escape during the copy: the copy stopped, the dialog goes.
    if (logic_.stopped()) {
        QDialog::reject();
        return;
    }
    ApplyFocus();
}

void COpenDepositDialog::reject()
{
    if (busy_) {
        jobs_.RequestStop();
        return;
    }
    logic_.Cancel();
    QDialog::reject();
}

QFileDialog *COpenDepositDialog::CreateBrowseDialog(QWidget *parent)
{
    // Drive C: is the program's private folder: the clerk's media are on
    // drive A: when it is mounted, else somewhere under the home folder.
    QString start = PathResolver::DriveRoot(u'A');
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath();
    auto *dialog = new QFileDialog(parent, OpenDepositLogic::BrowseTitle(), start);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The widget dialog matches its name filters without regard to case.
    dialog->setNameFilter(u"Depósito Digital (fichero.txt)"_s);
    dialog->resize(900, 520);
    // Every column as wide as its header and what it holds ("Última
    // modificación", "documento de texto sencillo"), whenever a folder is read.
    auto *view = dialog->findChild<QTreeView *>(u"treeView"_s);
    auto *model = dialog->findChild<QFileSystemModel *>();
    if (view && model) {
        auto fit = [view] {
            QHeaderView *header = view->header();
            header->resizeSections(QHeaderView::ResizeToContents);
            for (int column = 0; column < header->count(); ++column)
                header->resizeSection(
                    column, std::max(header->sectionSize(column), header->sectionSizeHint(column)));
        };
        QObject::connect(model, &QFileSystemModel::directoryLoaded, view, fit,
                         Qt::QueuedConnection);
        // The names may come after the folder is reported read (a slow
        // medium, the first look at a folder): measured again as they come.
        QObject::connect(model, &QFileSystemModel::rowsInserted, view, fit, Qt::QueuedConnection);
        fit();
        // A view not shown yet measures only the few rows of its default
        // height: the first opening cut the names ("FICH....TXT"). Measured
        // again once shown.
        QTimer::singleShot(0, view, fit);
    }
    return dialog;
}

void COpenDepositDialog::Browse()
{
    TakeFromControls();
    logic_.BeginBrowse();
    QFileDialog *dialog = CreateBrowseDialog(this);
    const bool confirmed =
        dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
    const QString chosen = confirmed ? dialog->selectedFiles().constFirst() : QString();
    delete dialog;
    logic_.EndBrowse(confirmed, QDir::toNativeSeparators(chosen));
    ApplyFocus();
}

IUserInterface::Answer OpenDialogInterface::ShowMessage(const QString &text, const QString &title,
                                                        Buttons buttons, Icon icon)
{
    return messages_.ShowMessage(text, title, buttons, icon);
}

void OpenDialogInterface::ShowStatus(const QString &text)
{
    if (dialog_)
        dialog_->ShowStatus(text);
}

void OpenDialogInterface::ShowProgress(qint64 step, qint64 total)
{
    if (dialog_)
        dialog_->ShowProgress(step, total);
}

} // namespace vk7
