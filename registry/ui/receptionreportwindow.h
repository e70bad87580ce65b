#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QList>

#include "registry/receptionreportdocument.h"
#include "registry/registerstore.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace vk7 {

class DayField;

// "Informe de Recepciones": the report of the register's receptions of the
// chosen days, its pages shown one under another, printed on the session's
// printer (`print`, given the pages) and saved as PDF. Each page says, to a
// screen reader, the figures of the charts drawn on it. A changed day draws
// it again; a span that ends before it starts is refused. What is printed
// or saved says the time it was printed or saved, and that vk7 made it.
class ReceptionReportWindow : public QDialog
{
    Q_OBJECT
public:
    ReceptionReportWindow(RegisterStore &store,
                          std::function<bool(const QList<ReportPage> &)> print,
                          QWidget *parent = nullptr);

    // Reads the register again for the days chosen and draws the report.
    void Report();
    const ReportDocument &Document() const { return document_; }
    const QList<ReportPage> &Pages() const { return pages_; }
    // Writes the report as PDF into `path`; false, said in the window, when
    // it cannot.
    bool SavePdf(const QString &path);
    // The printer a print goes to, as the status names it.
    void SetPrinterName(const QString &name) { printerName_ = name; }

private:
    void Print();
    void ChoosePdfFile();
    // The report made again from the same tally, made now.
    void Stamp();
    void ShowPages();
    void Say(const QString &text);

    RegisterStore &store_;
    std::function<bool(const QList<ReportPage> &)> print_;
    ReportDocument document_;
    QList<ReportPage> pages_;
    std::optional<ReceptionTally> tally_;
    QString printerName_;
    QString saveFolder_;
    QTimer *redraw_;
    DayField *from_;
    DayField *to_;
    QScrollArea *scroll_;
    QWidget *sheets_;
    QVBoxLayout *sheetsLayout_;
    QPushButton *show_;
    QLabel *status_;
    QPushButton *printButton_;
    QPushButton *save_;
};

// A report page drawn as a sheet of paper at the window's width.
class ReportPageWidget : public QWidget
{
    Q_OBJECT
public:
    ReportPageWidget(const ReportPage &page, int number, int count, QWidget *parent = nullptr);
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

Q_SIGNALS:
    void Focused(QWidget *page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    const ReportPage page_;
};

} // namespace vk7
