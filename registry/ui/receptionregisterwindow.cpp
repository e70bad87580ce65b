#include "receptionregisterwindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include "reception/ui/spokenstatus.h"
#include "registry/receptionfilter.h"
#include "registry/registerexport.h"
#include "registry/ui/dayfield.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// The table's columns: the reception's own, then why it ended as it did.
enum Column {
    kStart,
    kWorkstation,
    kUser,
    kNif,
    kName,
    kYear,
    kResult,
    kFingerprint,
    kForm,
    kProgram,
    kReason, // last: it takes the width left
    kColumns
};

const QStringList &ColumnHeads()
{
    static const QStringList heads{u"Inicio"_s,     u"Puesto"_s,    u"Usuario"_s,   u"NIF"_s,
                                   u"Nombre"_s,     u"Ejercicio"_s, u"Resultado"_s, u"Huella"_s,
                                   u"Formulario"_s, u"Programa"_s,  u"Motivo"_s};
    return heads;
}

// A column is fitted to this width at most, so that a long name does not
// push the reason out of sight; the clerk can widen it.
constexpr int kWidestColumn = 240;

// Where a file dialog first opens: the folder last exported to, else the
// clerk's documents (never the register's own folder).
QString StartFolder(const QString &last)
{
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

ReceptionRegisterWindow::ReceptionRegisterWindow(RegisterStore &store,
                                                 std::function<bool(const QString &)> reprint,
                                                 QWidget *parent)
    : QDialog(parent), store_(store), reprint_(std::move(reprint))
{
    setWindowTitle(u"Registro de Recepciones"_s);
    setObjectName(u"ReceptionRegisterWindow"_s);

    from_ = new DayField(u"Desde el día"_s, u"dd/mm/aaaa (sin límite)"_s, this);
    to_ = new DayField(u"Hasta el día"_s, u"dd/mm/aaaa (sin límite)"_s, this);
    nif_ = new QLineEdit(this);
    nif_->setPlaceholderText(u"todo o parte"_s);
    // A length set settles the line's selection before its first focus: a
    // selection that first moves with the focus makes a screen reader take
    // the line as already read, and say nothing of it.
    nif_->setMaxLength(20);
    nif_->setAccessibleName(u"NIF"_s);
    name_ = new QLineEdit(this);
    name_->setPlaceholderText(u"todo o parte, sin importar acentos"_s);
    name_->setMaxLength(200);
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
    fromLabel->setBuddy(from_->Edit());
    auto *toLabel = new QLabel(u"&Hasta:"_s, this);
    toLabel->setBuddy(to_->Edit());
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
    // A screen reader names a list by its caption and says no value of it:
    // the caption carries the value, and a value chosen is said.
    const auto nameResult = [resultLabel, this] {
        resultLabel->setAccessibleName(u"Resultado: %1"_s.arg(result_->currentText()));
    };
    nameResult();
    connect(result_, &QComboBox::currentIndexChanged, this, [this, nameResult] {
        nameResult();
        if (result_->hasFocus())
            SayStatus(this, u"Resultado: %1"_s.arg(result_->currentText()));
    });
    auto *fields = new QHBoxLayout;
    fields->addWidget(nifLabel);
    fields->addWidget(nif_);
    fields->addWidget(nameLabel);
    fields->addWidget(name_, 1);
    fields->addWidget(resultLabel);
    fields->addWidget(result_);
    fields->addWidget(search);
    filters->addRow(fields);

    table_ = new QTableWidget(0, kColumns, this);
    table_->setHorizontalHeaderLabels(ColumnHeads());
    table_->setAccessibleName(u"Recepciones"_s);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);

    sheet_ = new QPlainTextEdit(this);
    sheet_->setReadOnly(true);
    sheet_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sheet_->setAccessibleName(u"Hoja de Diagnóstico de la recepción"_s);
    sheet_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A caret, so that a screen reader goes through the sheet line by line.
    sheet_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto *sheetLabel = new QLabel(u"Ho&ja de Diagnóstico:"_s, this);
    sheetLabel->setBuddy(sheet_);

    status_ = new QLabel(this);
    status_->setAccessibleName(u"Estado"_s);
    status_->setWordWrap(true);

    print_ = new QPushButton(u"&Imprimir hoja"_s, this);
    print_->setAccessibleName(u"Imprimir hoja"_s);
    export_ = new QPushButton(u"&Exportar..."_s, this);
    export_->setAccessibleName(u"Exportar a hoja de cálculo"_s);
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
    resize(1180, 660);

    connect(search, &QPushButton::clicked, this, &ReceptionRegisterWindow::Search);
    connect(nif_, &QLineEdit::returnPressed, this, &ReceptionRegisterWindow::Search);
    connect(name_, &QLineEdit::returnPressed, this, &ReceptionRegisterWindow::Search);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &ReceptionRegisterWindow::ShowSheet);
    connect(print_, &QPushButton::clicked, this, &ReceptionRegisterWindow::Reprint);
    connect(export_, &QPushButton::clicked, this, &ReceptionRegisterWindow::ChooseExportFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Search();
}

void ReceptionRegisterWindow::Search()
{
    const TypedDay from = from_->Day();
    const TypedDay to = to_->Day();
    for (const auto &[day, field, name] :
         {std::tuple{from, from_, u"Desde"_s}, std::tuple{to, to_, u"Hasta"_s}}) {
        if (!day.valid) {
            Say(u"ERROR. «%1» no es un día: escríbalo como dd/mm/aaaa, o déjelo vacío (sin "
                u"límite)."_s.arg(name));
            field->setFocus();
            return;
        }
    }
    if (from.bounded && to.bounded && to.day < from.day) {
        Say(u"ERROR. «Hasta» es anterior a «Desde»."_s);
        to_->setFocus();
        return;
    }
    QList<StoredReception> receptions;
    const Failure failure = store_.List({from.day, to.day, QString()}, &receptions);
    ReceptionFilter filter{nif_->text(), name_->text(), std::nullopt};
    if (result_->currentIndex() > 0)
        filter.verdict = ReceptionVerdict(result_->currentIndex() - 1);
    shown_.clear();
    for (const StoredReception &reception : std::as_const(receptions))
        if (Matches(reception, filter))
            shown_.append(reception);
    FillTable();
    Say(failure.Failed()
            ? failure.text
            : u"%1 recepción(es) en %2."_s.arg(shown_.size()).arg(store_.Location().Describe()));
    if (!shown_.isEmpty())
        table_->selectRow(int(shown_.size()) - 1);
    ShowSheet();
}

void ReceptionRegisterWindow::FillTable()
{
    table_->clearContents();
    table_->setRowCount(int(shown_.size()));
    const QStringList &heads = ColumnHeads();
    for (int row = 0; row < shown_.size(); ++row) {
        const StoredReception &reception = shown_.at(row);
        const QJsonObject record = reception.Record();
        QStringList cells(kColumns);
        cells[kStart] = LocalTimeText(reception.start);
        cells[kWorkstation] = reception.workstation;
        cells[kUser] = reception.user;
        cells[kNif] = reception.nif;
        cells[kName] = reception.name;
        cells[kYear] = reception.year;
        cells[kResult] = reception.result;
        cells[kFingerprint] = FingerprintColumn(record);
        cells[kForm] = FormColumn(record);
        cells[kReason] = ReasonColumn(record);
        cells[kProgram] = reception.program + u' ' + reception.version;
        for (int column = 0; column < kColumns; ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            // Read with its column's name: "NIF: B09512344".
            item->setData(Qt::AccessibleTextRole,
                          u"%1: %2"_s.arg(heads.at(column), cells.at(column)));
            if (column == kReason)
                item->setToolTip(cells.at(column));
            table_->setItem(row, column, item);
        }
    }
    // Fitted once, to the first rows shown; then the widths are the
    // clerk's, kept from one search to the next.
    if (!widthsSet_ && !shown_.isEmpty()) {
        table_->resizeColumnsToContents();
        for (int column = 0; column < kColumns; ++column)
            table_->setColumnWidth(column, qMin(table_->columnWidth(column), kWidestColumn));
        widthsSet_ = true;
    }
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
    const QString printer =
        printerName_.isEmpty() ? u"la impresora"_s : u"la impresora %1"_s.arg(printerName_);
    Say(reprint_ && reprint_(sheet) ? u"Hoja de Diagnóstico enviada a %1."_s.arg(printer)
                                    : u"ERROR Imprimiendo DIAGNOSTICO"_s);
}

void ReceptionRegisterWindow::ChooseExportFile()
{
    const QString folder = StartFolder(exportFolder_);
    const QString xlsx = u"Hoja de cálculo (*.xlsx)"_s;
    const QString csv = u"CSV para hoja de cálculo (*.csv)"_s;
    QString chosen = xlsx;
    // The title names the folder: a screen reader says it as the dialog opens.
    QString path = QFileDialog::getSaveFileName(
        this, u"Exportar las recepciones (carpeta %1)"_s.arg(QDir::toNativeSeparators(folder)),
        QDir(folder).filePath(u"recepciones.xlsx"_s), xlsx + u";;"_s + csv, &chosen);
    if (path.isEmpty())
        return;
    const ExportFormat format =
        path.endsWith(u".csv"_s, Qt::CaseInsensitive) ||
                (chosen == csv && !path.endsWith(u".xlsx"_s, Qt::CaseInsensitive))
            ? ExportFormat::Csv
            : ExportFormat::Xlsx;
    const QString suffix = format == ExportFormat::Csv ? u".csv"_s : u".xlsx"_s;
    if (QFileInfo(path).suffix().isEmpty())
        path += suffix;
    exportFolder_ = QFileInfo(path).absolutePath();
    Export(path, format);
}

bool ReceptionRegisterWindow::Export(const QString &path, ExportFormat format)
{
    const Failure failure = ExportReceptions(shown_, format, path);
    Say(failure.Failed() ? failure.Message()
                         : u"Exportadas %1 recepción(es) a %2."_s.arg(shown_.size())
                               .arg(QDir::toNativeSeparators(path)));
    return !failure.Failed();
}

void ReceptionRegisterWindow::Say(const QString &text)
{
    status_->setText(text);
    SayStatus(this, text);
}

} // namespace vk7
