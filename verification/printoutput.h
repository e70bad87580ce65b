#pragma once

#include <array>

#include <QString>
#include <QTime>

#include "depositdocuments.h"

namespace vk7 {

class CFileTools;
class Clock;
class IUserInterface;
class PrintDevice;
struct DepositState;
struct FrameState;

// What the state window's boxes ask to print: "Hoja de Diagnóstico" first,
// then the nine documents in the order of PrintableDocument.
using OutputTicks = std::array<bool, kPrintableDocumentCount + 1>;

// The three texts with which output stops.
QString DiagnosticRenderErrorText(); // "ERROR Creando DIAGNOSTICO"
QString DiagnosticPrintErrorText();  // "ERROR Imprimiendo DIAGNOSTICO"
QString FormExportErrorText();       // "ERROR Creando TIF's"

// Job names: "VK7_" + code + "_" + hh:mm:ss; the diagnostic sheet's code is "DG".
QString PrintJobName(const QString &code, const QTime &time);
// The print-job code of a document kind: 5 "M2", 6 "G2", 7 "AC", 17 "B",
// 18 "S", 19 "C" for its text; 5 "M1", 6 "G1", 20 "AD", 21 "AN" for its
// images. Empty for any other kind.
QString TextJobCode(int kind);
QString ImageJobCode(int kind);

// How the form's pages fall into blocks: the first block (identification
// and balance) is 5 pages for an abbreviated form ("...AP", "...AE"), 8 for
// the mixed one ("...ME") and 10 for an ordinary one.
int FirstFormBlockPages(const QString &formName);

// The form pages to print, of `pageCount` exported: the first block when
// the identification-and-balance box is ticked, the pages after it up to
// pageCount - 2 when own-shares pages are wanted; the last two never.
// Decimal page numbers joined by ", ", empty when none.
QString ChooseFormPages(int pageCount, int firstBlockPages, bool identificationBalance,
                        bool ownSharesPages);

// The exported form pages in `folder`: the largest n such that K7.001 to
// K7.nnn all exist, at most 98.
int CountExportedFormPages(CFileTools &tools, const QString &folder);

// One job of a text kind's rendered pages K7.<x>01, K7.<x>02, ... from the
// work folder, up to the first that does not exist; a page that cannot be
// loaded is skipped. A refused job prints nothing.
void PrintTextPages(int kind, PrintDevice &printer, const QTime &now);

// One job of every page of every file of an image-list kind; a file or page
// that cannot be loaded, an empty entry included, is skipped.
void PrintImageList(const DepositState &state, int kind, PrintDevice &printer, const QTime &now);

// The print run of the state window's "&Imprimir": the diagnostic sheet is
// rendered (and printed, every page in one job, when ticked), the form pages
// are exported and the chosen ones printed by the viewer on its printers,
// then the ticked documents are printed on `printer`, the current printer.
// The frame gives the viewer, the text size and printerChosen (cleared by
// the form pages' print). A wait cursor is shown throughout. False when it
// stops on one of the three errors (shown through `ui` in a plain box) or
// when no form is identified.
bool ProduceDepositOutput(const DepositState &state, FrameState &frame, const OutputTicks &ticks,
                          PrintDevice &printer, IUserInterface *ui, const Clock &clock);

} // namespace vk7
