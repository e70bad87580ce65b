#include "receptionreportwindow.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include "reception/ui/spokenstatus.h"
#include "registry/ui/dayfield.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The program named as the maker of what the window prints and saves.
const QString kProgram = u"vk7"_s;

// Waits this long after a changed day before drawing again, so that typing
// a day draws once, not at each key.
constexpr int kRedrawAfterMs = 400;

} // namespace

ReportPageWidget::ReportPageWidget(const ReportPage &page, int number, int count, QWidget *parent)
    : QWidget(parent), page_(page)
{
    setAccessibleName(u"Página %1 de %2 del informe"_s.arg(number).arg(count));
    setAccessibleDescription(page.chartDescriptions.join(u' '));
    // Reached by Tab, so that a screen reader reads each page's charts.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize ReportPageWidget::sizeHint() const
{
    return QSize(620, heightForWidth(620));
}

int ReportPageWidget::heightForWidth(int width) const
{
    const QSizeF page = ReportPageSize();
    return int(width * page.height() / page.width());
}

void ReportPageWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PaintReportPage(painter, page_);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 3));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void ReportPageWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    Q_EMIT Focused(this);
}

ReceptionReportWindow::ReceptionReportWindow(RegisterStore &store,
                                             std::function<bool(const QList<ReportPage> &)> print,
                                             QWidget *parent)
    : QDialog(parent), store_(store), print_(std::move(print))
{
    setWindowTitle(u"Informe de Recepciones"_s);
    setObjectName(u"ReceptionReportWindow"_s);

    from_ = new DayField(u"Desde el día"_s, u"dd/mm/aaaa"_s, this);
    to_ = new DayField(u"Hasta el día"_s, u"dd/mm/aaaa"_s, this);
    from_->SetDay(QDate::currentDate());
    to_->SetDay(QDate::currentDate());
    redraw_ = new QTimer(this);
    redraw_->setSingleShot(true);
    redraw_->setInterval(kRedrawAfterMs);
    auto *fromLabel = new QLabel(u"&Desde:"_s, this);
    fromLabel->setBuddy(from_->Edit());
    auto *toLabel = new QLabel(u"&Hasta:"_s, this);
    toLabel->setBuddy(to_->Edit());
    auto *show = show_ = new QPushButton(u"&Ver informe"_s, this);
    show->setAccessibleName(u"Ver informe"_s);
    show->setDefault(true);
    auto *days = new QHBoxLayout;
    days->addWidget(fromLabel);
    days->addWidget(from_);
    days->addWidget(toLabel);
    days->addWidget(to_);
    days->addWidget(show);
    days->addStretch();

    sheets_ = new QWidget(this);
    sheets_->setBackgroundRole(QPalette::Dark);
    sheets_->setAutoFillBackground(true);
    sheetsLayout_ = new QVBoxLayout(sheets_);
    sheetsLayout_->setSpacing(12);
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(sheets_);
    scroll->setWidgetResizable(true);
    scroll->setAccessibleName(u"Páginas del informe"_s);

    status_ = new QLabel(this);
    status_->setAccessibleName(u"Estado"_s);
    status_->setWordWrap(true);

    printButton_ = new QPushButton(u"&Imprimir"_s, this);
    printButton_->setAccessibleName(u"Imprimir el informe"_s);
    save_ = new QPushButton(u"&Guardar PDF..."_s, this);
    save_->setAccessibleName(u"Guardar el informe como PDF"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(printButton_, QDialogButtonBox::ActionRole);
    buttons->addButton(save_, QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(u"&Cerrar"_s, QDialogButtonBox::RejectRole);
    close->setAccessibleName(u"Cerrar"_s);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(days);
    layout->addWidget(scroll, 1);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(720, 760);

    connect(show, &QPushButton::clicked, this, &ReceptionReportWindow::Report);
    connect(from_, &DayField::Changed, redraw_, qOverload<>(&QTimer::start));
    connect(to_, &DayField::Changed, redraw_, qOverload<>(&QTimer::start));
    // A day half typed is not refused while it is typed: only "Ver informe"
    // says it is not a day.
    connect(redraw_, &QTimer::timeout, this, [this] {
        if (from_->Day().valid && to_->Day().valid)
            Report();
    });
    connect(printButton_, &QPushButton::clicked, this, &ReceptionReportWindow::Print);
    connect(save_, &QPushButton::clicked, this, &ReceptionReportWindow::ChoosePdfFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    scroll_ = scroll;
    Report();
}

void ReceptionReportWindow::Report()
{
    redraw_->stop();
    tally_.reset();
    document_ = {};
    pages_.clear();
    const TypedDay from = from_->Day();
    const TypedDay to = to_->Day();
    QString refused;
    if (!from.valid || !to.valid)
        refused = u"ERROR. «%1» no es un día: escríbalo como dd/mm/aaaa."_s.arg(
            from.valid ? u"Hasta"_s : u"Desde"_s);
    else if (from.bounded && to.bounded && to.day < from.day)
        refused = u"ERROR. «Hasta» es anterior a «Desde»: no hay informe de ese periodo."_s;
    if (!refused.isEmpty()) {
        ShowPages();
        Say(refused);
        return;
    }
    const ReportSpan span = ReportSpanOf(from.day, to.day, QDate::currentDate());
    ReceptionTally tally(span);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Failure failure = store_.ForEach(RegisterQuery{span.from, span.to, QString()},
                                           [&tally](const StoredReception &reception) {
                                               tally.Add(reception);
                                               return true;
                                           });
    if (!failure.Failed()) {
        tally_ = tally;
        Stamp();
    }
    ShowPages();
    QGuiApplication::restoreOverrideCursor();
    Say(failure.Failed()
            ? failure.text
            : u"%1 recepción(es), %2 página(s)."_s.arg(tally.Received()).arg(pages_.size()));
}

void ReceptionReportWindow::Stamp()
{
    if (!tally_)
        return;
    document_ =
        BuildReportDocument(*tally_, store_.Location().Describe(), QDateTime::currentDateTime());
    document_.creator = kProgram;
    pages_ = LayoutReportPages(document_);
}

void ReceptionReportWindow::ShowPages()
{
    while (QLayoutItem *item = sheetsLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    // The pages come after "Ver informe" in the Tab order, though made
    // after the buttons below them.
    QWidget *before = show_;
    for (qsizetype i = 0; i < pages_.size(); ++i) {
        auto *page = new ReportPageWidget(pages_[i], int(i + 1), int(pages_.size()), sheets_);
        QWidget::setTabOrder(before, page);
        before = page;
        connect(page, &ReportPageWidget::Focused, this,
                [this](QWidget *shown) { scroll_->ensureWidgetVisible(shown, 0, 0); });
        sheetsLayout_->addWidget(page);
    }
    printButton_->setEnabled(!pages_.isEmpty());
    save_->setEnabled(!pages_.isEmpty());
}

void ReceptionReportWindow::Print()
{
    if (pages_.isEmpty())
        return;
    Stamp();
    const QString printer =
        printerName_.isEmpty() ? u"la impresora"_s : u"la impresora %1"_s.arg(printerName_);
    Say(print_(pages_) ? u"Informe enviado a %1 (%2 página(s))."_s.arg(printer).arg(pages_.size())
                       : u"ERROR. No se ha podido imprimir el informe en %1."_s.arg(printer));
}

void ReceptionReportWindow::ChoosePdfFile()
{
    QString folder = saveFolder_;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    // The title names the folder: a screen reader says it as the dialog opens.
    QString path = QFileDialog::getSaveFileName(
        this, u"Guardar el informe (carpeta %1)"_s.arg(QDir::toNativeSeparators(folder)),
        QDir(folder).filePath(u"informe-recepciones.pdf"_s), u"PDF (*.pdf)"_s);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u".pdf"_s;
    saveFolder_ = QFileInfo(path).absolutePath();
    SavePdf(path);
}

bool ReceptionReportWindow::SavePdf(const QString &path)
{
    Stamp();
    const Failure failure = WriteReportPdf(document_, path);
    Say(failure.Failed() ? failure.Message()
                         : u"Informe guardado en %1."_s.arg(QDir::toNativeSeparators(path)));
    return !failure.Failed();
}

void ReceptionReportWindow::Say(const QString &text)
{
    status_->setText(text);
    SayStatus(this, text);
}

} // namespace vk7
