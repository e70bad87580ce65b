#include "receptionregisterwindow.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

#include "registry/registerexport.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The earliest day a filter can name stands for "no bound".
const QDate kNoBound(2000, 1, 1);

QDateEdit *DayEdit(const QString &accessibleName, QWidget *parent)
{
    auto *edit = new QDateEdit(kNoBound, parent);
    edit->setMinimumDate(kNoBound);
    edit->setSpecialValueText(u"(sin límite)"_s);
    edit->setDisplayFormat(u"dd/MM/yyyy"_s);
    edit->setCalendarPopup(true);
    edit->setAccessibleName(accessibleName);
    return edit;
}

} // namespace

ReceptionRegisterWindow::ReceptionRegisterWindow(RegisterStore &store,
                                                 std::function<bool(const QString &)> reprint,
                                                 QWidget *parent)
    : QDialog(parent), store_(store), reprint_(std::move(reprint))
{
    setWindowTitle(u"Registro de Recepciones"_s);
    setObjectName(u"ReceptionRegisterWindow"_s);

    from_ = DayEdit(u"Desde el día"_s, this);
    to_ = DayEdit(u"Hasta el día"_s, this);
    nif_ = new QLineEdit(this);
    nif_->setAccessibleName(u"NIF"_s);
    name_ = new QLineEdit(this);
    name_->setAccessibleName(u"Nombre de la sociedad"_s);
    result_ = new QComboBox(this);
    result_->addItems({u"Todos"_s, u"Válido"_s, u"No válido"_s, u"Fallido"_s});
    result_->setAccessibleName(u"Resultado"_s);
    auto *search = new QPushButton(u"&Buscar"_s, this);
    search->setAccessibleName(u"Buscar"_s);
    search->setDefault(true);

    auto *filters = new QFormLayout;
    auto *days = new QHBoxLayout;
    auto *fromLabel = new QLabel(u"&Desde:"_s, this);
    fromLabel->setBuddy(from_);
    auto *toLabel = new QLabel(u"&Hasta:"_s, this);
    toLabel->setBuddy(to_);
    days->addWidget(fromLabel);
    days->addWidget(from_);
    days->addWidget(toLabel);
    days->addWidget(to_);
    days->addStretch();
    filters->addRow(days);
    auto *nifLabel = new QLabel(u"&NIF:"_s, this);
    nifLabel->setBuddy(nif_);
    auto *nameLabel = new QLabel(u"N&ombre:"_s, this);
    nameLabel->setBuddy(name_);
    auto *resultLabel = new QLabel(u"&Resultado:"_s, this);
    resultLabel->setBuddy(result_);
    auto *fields = new QHBoxLayout;
    fields->addWidget(nifLabel);
    fields->addWidget(nif_);
    fields->addWidget(nameLabel);
    fields->addWidget(name_, 1);
    fields->addWidget(resultLabel);
    fields->addWidget(result_);
    fields->addWidget(search);
    filters->addRow(fields);

    table_ = new QTableWidget(0, 8, this);
    table_->setHorizontalHeaderLabels({u"Inicio"_s, u"Puesto"_s, u"Usuario"_s, u"NIF"_s,
                                       u"Nombre"_s, u"Ejercicio"_s, u"Resultado"_s, u"Programa"_s});
    table_->setAccessibleName(u"Recepciones"_s);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    sheet_ = new QPlainTextEdit(this);
    sheet_->setReadOnly(true);
    sheet_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sheet_->setAccessibleName(u"Hoja de Diagnóstico de la recepción"_s);
    sheet_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *sheetLabel = new QLabel(u"Ho&ja de Diagnóstico:"_s, this);
    sheetLabel->setBuddy(sheet_);

    status_ = new QLabel(this);
    status_->setAccessibleName(u"Estado"_s);
    status_->setWordWrap(true);

    print_ = new QPushButton(u"&Imprimir hoja"_s, this);
    print_->setAccessibleName(u"Imprimir hoja"_s);
    export_ = new QPushButton(u"&Exportar CSV..."_s, this);
    export_->setAccessibleName(u"Exportar CSV"_s);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(print_, QDialogButtonBox::ActionRole);
    buttons->addButton(export_, QDialogButtonBox::ActionRole);
    QPushButton *close = buttons->addButton(u"&Cerrar"_s, QDialogButtonBox::RejectRole);
    close->setAccessibleName(u"Cerrar"_s);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 3);
    layout->addWidget(sheetLabel);
    layout->addWidget(sheet_, 2);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    resize(900, 640);

    connect(search, &QPushButton::clicked, this, &ReceptionRegisterWindow::Search);
    connect(nif_, &QLineEdit::returnPressed, this, &ReceptionRegisterWindow::Search);
    connect(name_, &QLineEdit::returnPressed, this, &ReceptionRegisterWindow::Search);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &ReceptionRegisterWindow::ShowSheet);
    connect(print_, &QPushButton::clicked, this, &ReceptionRegisterWindow::Reprint);
    connect(export_, &QPushButton::clicked, this, &ReceptionRegisterWindow::ChooseCsvFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Search();
}

void ReceptionRegisterWindow::Search()
{
    const QDate from = from_->date() == kNoBound ? QDate() : from_->date();
    const QDate to = to_->date() == kNoBound ? QDate() : to_->date();
    QList<StoredReception> receptions;
    const Failure failure = store_.List({from, to, nif_->text()}, &receptions);
    shown_.clear();
    const QString name = name_->text().trimmed();
    const int verdict = result_->currentIndex();
    for (const StoredReception &reception : std::as_const(receptions)) {
        if (!name.isEmpty() && !reception.name.contains(name, Qt::CaseInsensitive))
            continue;
        if (verdict > 0 && int(VerdictOf(reception)) != verdict - 1)
            continue;
        shown_.append(reception);
    }
    table_->clearContents();
    table_->setRowCount(int(shown_.size()));
    for (int row = 0; row < shown_.size(); ++row) {
        const StoredReception &reception = shown_.at(row);
        const QStringList cells{LocalTimeText(reception.start),
                                reception.workstation,
                                reception.user,
                                reception.nif,
                                reception.name,
                                reception.year,
                                reception.result,
                                reception.program + u' ' + reception.version};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    table_->resizeColumnsToContents();
    status_->setText(
        failure.Failed()
            ? failure.text
            : u"%1 recepción(es) en %2."_s.arg(shown_.size()).arg(store_.Location().Describe()));
    if (!shown_.isEmpty())
        table_->selectRow(int(shown_.size()) - 1);
    ShowSheet();
}

void ReceptionRegisterWindow::ShowSheet()
{
    const int row = table_->currentRow();
    const bool chosen = row >= 0 && row < shown_.size() && table_->item(row, 0)->isSelected();
    QString text;
    if (chosen) {
        const QJsonObject deposit = shown_.at(row).Record().value(u"deposito"_s).toObject();
        text = deposit.value(u"diagnosticSheet"_s).toString();
        if (text.isEmpty())
            text = deposit.value(u"openStatus"_s).toString();
        if (text.isEmpty())
            text = deposit.value(u"ioFailure"_s).toObject().value(u"message"_s).toString();
    }
    sheet_->setPlainText(QString(text).remove(u'\r'));
    print_->setEnabled(chosen && !shown_.at(row)
                                      .Record()
                                      .value(u"deposito"_s)
                                      .toObject()
                                      .value(u"diagnosticSheet"_s)
                                      .toString()
                                      .isEmpty());
    export_->setEnabled(!shown_.isEmpty());
}

void ReceptionRegisterWindow::Reprint()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= shown_.size())
        return;
    const QString sheet = shown_.at(row)
                              .Record()
                              .value(u"deposito"_s)
                              .toObject()
                              .value(u"diagnosticSheet"_s)
                              .toString();
    status_->setText(reprint_ && reprint_(sheet) ? u"Hoja de Diagnóstico enviada a la impresora."_s
                                                 : u"ERROR Imprimiendo DIAGNOSTICO"_s);
}

void ReceptionRegisterWindow::ChooseCsvFile()
{
    const QString path = QFileDialog::getSaveFileName(this, u"Exportar CSV"_s, u"recepciones.csv"_s,
                                                      u"CSV (*.csv)"_s);
    if (!path.isEmpty())
        ExportCsv(path);
}

bool ReceptionRegisterWindow::ExportCsv(const QString &path)
{
    QSaveFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(ReceptionCsv(shown_)) >= 0 && file.commit();
    status_->setText(written
                         ? u"Exportadas %1 recepción(es) a %2."_s.arg(shown_.size()).arg(path)
                         : u"ERROR. No se puede escribir %1: %2"_s.arg(path, file.errorString()));
    return written;
}

} // namespace vk7
