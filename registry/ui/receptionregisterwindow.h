#pragma once

#include <functional>

#include <QDialog>
#include <QList>

#include "registry/registerexport.h"
#include "registry/registerstore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace vk7 {

class DayField;

// "Registro de Recepciones": the register's receptions in a table, oldest
// first, filtered by the days they began, the NIF, the company's name and
// the result; the chosen reception's stored diagnostic sheet below it,
// printed again on the session's printer (`reprint`), and the table
// exported for a spreadsheet (.xlsx or CSV).
class ReceptionRegisterWindow : public QDialog
{
    Q_OBJECT
public:
    ReceptionRegisterWindow(RegisterStore &store, std::function<bool(const QString &)> reprint,
                            QWidget *parent = nullptr);

    // Reads the register again with the filters as they are.
    void Search();
    // The receptions the table shows.
    const QList<StoredReception> &Shown() const { return shown_; }
    // Writes the table for a spreadsheet into `path`; false, said in the
    // window, when it cannot.
    bool Export(const QString &path, ExportFormat format);
    // The printer a reprint goes to, as the status names it.
    void SetPrinterName(const QString &name) { printerName_ = name; }

private:
    void ShowSheet();
    void Reprint();
    void ChooseExportFile();
    void FillTable();
    void Say(const QString &text);

    RegisterStore &store_;
    std::function<bool(const QString &)> reprint_;
    QList<StoredReception> shown_;
    QString printerName_;
    QString exportFolder_;
    bool widthsSet_ = false;
    DayField *from_;
    DayField *to_;
    QLineEdit *nif_;
    QLineEdit *name_;
    QComboBox *result_;
    QTableWidget *table_;
    QPlainTextEdit *sheet_;
    QLabel *status_;
    QPushButton *print_;
    QPushButton *export_;
};

} // namespace vk7
