#pragma once

#include <array>
#include <optional>
#include <stop_token>

#include <QString>
#include <QStringList>
#include <QTime>

#include "depositdocuments.h"
#include "reception/documentkind.h"
#include "reception/failure.h"
#include "reception/userinterface.h"

namespace vk7 {

class CFormDocument;
class Clock;
class IUserInterface;
class PrintDevice;
struct DepositState;

// What the state window's boxes ask to print: "Hoja de Diagnóstico" first,
// then the nine documents in the order of PrintableDocument.
using OutputTicks = std::array<bool, kPrintableDocumentCount + 1>;

// The three texts with which output stops.
QString DiagnosticRenderErrorText(); // "ERROR Creando DIAGNOSTICO"
QString DiagnosticPrintErrorText();  // "ERROR Imprimiendo DIAGNOSTICO"
QString FormExportErrorText();       // "ERROR Creando TIF's"

// Job names: "VK7_" + code + "_" + hh:mm:ss, the code the kind's print-job
// code ("DG" for the diagnostic sheet).
QString PrintJobName(const QString &code, const QTime &time);

// How the form's pages fall into blocks: the first block (identification
// and balance) is 5 pages for an abbreviated form ("...AP", "...AE"), 8 for
// the mixed one ("...ME") and 10 for an ordinary one.
int FirstFormBlockPages(const QString &formName);

// The form pages to print (from 1, increasing), of the form's `pageCount`:
// the first block when the identification-and-balance box is ticked, the
// pages after it up to pageCount - 2 when own-shares pages are wanted; the
// last two never. At most the first 98 pages count.
QList<int> ChooseFormPages(int pageCount, int firstBlockPages, bool identificationBalance,
                           bool ownSharesPages);

// What the output takes of the frame for the form pages: the text size last
// placed in the frame's list (0 for none: the form's stays) and whether a
// printer was chosen with "Configurar &Impesora" (cleared by the form pages'
// print). The pages go to the output's printer like every other job, so a
// deposit's output never goes to two printers.
struct FormPageSettings
{
    int textSize = 0;
    bool printerChosen = false;
};

// One job of a text kind's pages, each rendered as K7.<x>01, K7.<x>02, ...
// in the work folder and sent at once (the file goes once the printer holds
// the page); a page that cannot be rendered ends the job. A refused job
// prints nothing. The failure of the machine or the stop that ended the
// job early (Kind::None when none).
Failure PrintTextPages(const DepositState &state, DocumentKind kind, PrintDevice &printer,
                       const QTime &now, std::stop_token stop = {});

// One job of every page of every file of an image-list kind; a file or page
// that cannot be loaded, an empty entry included, is skipped. The first
// failure a file met (the machine's, or one that is not an image).
Failure PrintImageList(const DepositState &state, DocumentKind kind, PrintDevice &printer,
                       const QTime &now);

// The print run of the state window's "&Imprimir": the diagnostic sheet is
// rendered (and printed, every page in one job, when ticked), the form pages
// are exported from the form document (in the frame's text size) and the
// chosen ones printed in one job on the form pages' printer, then the ticked
// documents are printed on `printer`, the current printer. A wait cursor is
// shown throughout. A stop on one of the three errors is returned with its
// text and a notice for the clerk; with no form identified only
// the diagnostic sheet is printed. A run that stops (on an error or at the
// clerk's word) removes the page images it made.
struct OutputResult
{
    enum class Outcome {
        Printed,       // every ticked item went to its job
        NoFormToPrint, // no form identified: nothing after the sheet
        Failed         // stopped on one of its errors
    };
    Outcome outcome = Outcome::Printed;
    // Of a failed run: the machine's failure when a read or write was
    // refused (a full disk), else the output's text as a content failure.
    // Of a run that went on: the first failure of the machine it met (a
    // page left out), Kind::None when none.
    Failure failure;
    QString stopText;     // "ERROR Creando TIF's"...
    QStringList sentJobs; // the jobs that had ended before the stop
    // Of a failed run the clerk did not stop: what the window shows in a box.
    std::optional<Notice> notice;

    bool Printed() const { return outcome == Outcome::Printed; }
    bool Failed() const { return outcome == Outcome::Failed; }
};

// A stop of the running job (`stop`) ends it at the next page: the job in
// hand is dropped, the page images it made are removed.
OutputResult ProduceDepositOutput(const DepositState &state, CFormDocument *form,
                                  FormPageSettings &formPages, const OutputTicks &ticks,
                                  PrintDevice &printer, IUserInterface *ui, const Clock &clock,
                                  std::stop_token stop = {});

} // namespace vk7
