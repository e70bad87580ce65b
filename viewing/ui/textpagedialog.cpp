#include "textpagedialog.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "components/printdevice.h"
#include "datafiles/depositstate.h"
#include "dialogbutton.h"
#include "reception/userinterface.h"
#include "textpageedit.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

QLabel *Position(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(80);
    return label;
}

TextPageList DepositPages(const DepositState &state, const DocumentKindInfo *kind)
{
    return kind ? state.Pages(kind->kind) : TextPageList();
}

} // namespace

TextPageDialog::TextPageDialog(const DepositState &state, DocumentKind kind, IUserInterface &ui,
                               QWidget *parent)
    : PrintingDialog(parent), state_(state), kind_(TextKindOf(kind)), ui_(ui),
      book_(DepositPages(state, kind_))
{
    setWindowTitle(kind_ ? kind_->dialogTitle : QString());

    edit_ = new TextPageEdit(this);
    edit_->setObjectName(u"pageEdit"_s);
    edit_->setAccessibleName(u"Página"_s);
    // The texts are laid out in fixed columns.
    edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(edit_->font());
    edit_->setMinimumSize(metrics.horizontalAdvance(QString(82, u'M')) + 40,
                          metrics.lineSpacing() * 24);

    auto *saveButton = DialogButton(u"&Grabar"_s, "saveButton", this);
    auto *printButton = DialogButton(u"&Imprimir"_s, "printButton", this);
    auto *newButton = DialogButton(u"&Nueva"_s, "newButton", this);
    auto *deleteButton = DialogButton(u"&Eliminar"_s, "deleteButton", this);
    auto *splitButton = DialogButton(u"&Paginar"_s, "splitButton", this);
    previousButton_ = DialogButton(u"&<<"_s, "previousButton", this);
    nextButton_ = DialogButton(u">&>"_s, "nextButton", this);
    // Read aloud, the arrows say what they do.
    previousButton_->setAccessibleName(u"Página anterior"_s);
    nextButton_->setAccessibleName(u"Página siguiente"_s);
    auto *startButton = DialogButton(u"Start &TXT"_s, "startButton", this);
    auto *cancelButton = DialogButton(u"&Cancelar"_s, "cancelButton", this);
    pagePosition_ = Position("pagePosition", this);
    linePosition_ = Position("linePosition", this);

    auto *positions = new QHBoxLayout;
    auto *pageCaption = new QLabel(u"Pág.:"_s, this);
    pageCaption->setBuddy(pagePosition_);
    auto *lineCaption = new QLabel(u"Lin.:"_s, this);
    lineCaption->setBuddy(linePosition_);
    positions->addWidget(pageCaption);
    positions->addWidget(pagePosition_);
    positions->addSpacing(12);
    positions->addWidget(lineCaption);
    positions->addWidget(linePosition_);
    positions->addStretch();
    positions->addWidget(previousButton_);
    positions->addWidget(nextButton_);

    auto *side = new QVBoxLayout;
    for (QPushButton *button :
         {saveButton, printButton, newButton, deleteButton, splitButton, startButton})
        side->addWidget(button);
    side->addStretch();
    side->addWidget(cancelButton);

    auto *layout = new QGridLayout(this);
    layout->addWidget(edit_, 0, 0);
    layout->addLayout(side, 0, 1);
    layout->addLayout(positions, 1, 0);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    // Tab reads the window as it is laid out: the page, the buttons beside
    // it down to Cancelar, then the page arrows under it.
    QWidget *previous = edit_;
    for (QWidget *next : std::initializer_list<QWidget *>{
             saveButton, printButton, newButton, deleteButton, splitButton, startButton,
             cancelButton, previousButton_, nextButton_}) {
        setTabOrder(previous, next);
        previous = next;
    }

    // The deposit's text is only read here.
    for (QPushButton *button : {saveButton, newButton, deleteButton, splitButton})
        button->setEnabled(false);
    // A deposit without this text opens on one empty page: there is nothing
    // to print and no file of the deposit to open.
    if (DepositPages(state, kind_).isEmpty()) {
        printButton->setEnabled(false);
        startButton->setEnabled(false);
    }

    connect(previousButton_, &QPushButton::clicked, this, [this] { Move(false); });
    connect(nextButton_, &QPushButton::clicked, this, [this] { Move(true); });
    connect(printButton, &QPushButton::clicked, this, &TextPageDialog::Print);
    connect(startButton, &QPushButton::clicked, this, &TextPageDialog::StartExternal);
    connect(cancelButton, &QPushButton::clicked, this, &TextPageDialog::reject);
    connect(edit_, &TextPageEdit::linePositionChanged, this,
            [this](int line, int count) { linePosition_->setText(LinePosition(line, count)); });
    connect(edit_, &TextPageEdit::limitReached, this, &TextPageDialog::WarnLimit);
}

void TextPageDialog::showEvent(QShowEvent *event)
{
    PrintingDialog::showEvent(event);
    // The first page goes in once the edit has its width, which decides how
    // its lines wrap.
    if (!pageShown_) {
        pageShown_ = true;
        ShowCurrentPage();
    }
}

void TextPageDialog::KeepEditedPage()
{
    // An untouched page keeps its own line ends and bytes.
    if (edit_->document()->isModified())
        book_.ReplaceCurrent(PageFromEditText(edit_->toPlainText()));
}

void TextPageDialog::ShowCurrentPage()
{
    nextButton_->setEnabled(book_.CanGoForward());
    previousButton_->setEnabled(book_.CanGoBack());
    pagePosition_->setText(book_.PagePosition());
    edit_->setFocus();
    edit_->setPlainText(book_.CurrentText());
    linePosition_->setText(LinePosition(1, edit_->DisplayedLineCount()));
}

void TextPageDialog::Move(bool forward)
{
    KeepEditedPage();
    if (forward)
        book_.Forward();
    else
        book_.Backward();
    ShowCurrentPage();
}

void TextPageDialog::Print()
{
    KeepEditedPage();
    if (!kind_)
        return;
    std::unique_ptr<PrintDevice> device = ChoosePrinter();
    if (!device)
        return;
    // The job is named after the milliseconds since the machine started.
    QElapsedTimer tick;
    tick.start();
    RunPrint(ui_, std::move(device),
             [kind = kind_, pages = book_.Pages(), started = tick.msecsSinceReference()](
                 PrintDevice &printer, IUserInterface &ui, std::stop_token stop) {
                 PrintTextPages(*kind, pages, printer, started, &ui, stop);
             });
}

void TextPageDialog::StartExternal()
{
    if (!kind_)
        return;
    if (const StartText started = StartTextFile(state_, *kind_, ui_); started.notice)
        ShowNotice(ui_, *started.notice);
}

void TextPageDialog::WarnLimit()
{
    ui_.ShowMessage(u"No se pueden insertar más caracteres en esta página"_s, u"AVISO"_s,
                    IUserInterface::Buttons::Ok, IUserInterface::Icon::Information);
}

} // namespace vk7
