#pragma once

#include <stop_token>

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include "datafiles/textpagelist.h"
#include "reception/failure.h"

class QPainter;

namespace vk7 {

class PrintDevice;
struct PrintRun;

// Text pages as page images: a page text is cut into lines, the lines are
// grouped into pages of 66, and each page is painted on any QPainter (a page
// image, the screen, a printer) in the page's own pixel coordinates.

inline constexpr int kTextPageWidth = 1648;
inline constexpr int kTextPageHeight = 2336;
inline constexpr int kTextLineX = 20;
inline constexpr int kTextLineStep = 35;
inline constexpr int kTextPageBottom = 2310; // lines start above this
inline constexpr int kTextLinesPerPage = 66;

// The font is a bold Courier whose character cell (ascent plus descent, the
// height a font is chosen by) is 35 pixels: that is an em of
// 31 pixels, which puts 85 characters on a line in 1648 pixels. Lines hang
// from their top, so the baseline lies this far below the line's y.
inline constexpr int kTextFontPixelSize = 31;
inline constexpr int kTextBaselineOffset = 26;

// Cuts the next line off `rest` and returns it. A line ends at the first
// "\r\n" when that comes within 80 characters (the "\r\n" is dropped);
// otherwise it is cut at the first blank or carriage return among positions
// 80 to 84, or else at the last one at or before 85 (not at 0), or else at
// 80. A blank at the cut stays at the end of the line.
QString TakeTextLine(QString *rest);

// The lines of one page text, grouped into pages of at most 66 lines. An
// empty text still gives one (blank) page.
QList<QStringList> LayOutTextPage(const QString &pageText);
// The pages a text is printed on: each of its pages laid out, a long one
// going on over several. Counting a long text takes a while: a stop of the
// running job (`stop`) ends it early.
qint64 LaidOutPageCount(const TextPageList &pages, std::stop_token stop = {});

// The page font: "Nimbus Mono PS", Debian's metric clone of Courier, bold,
// without antialiasing, so that page images are the same on every machine.
// Needs a QGuiApplication.
QFont TextPageFont();
// Makes the pages' font on the application's thread, before work threads
// draw pages with it (a font made on a work thread goes with that thread).
void PreparePageFont();

// Paints the lines of one page at x = 20, y = 0, 35, 70, ... on a white page
// of 1648 x 2336 in the painter's current coordinates. Control characters
// are painted as blanks.
void PaintTextPage(QPainter &painter, const QStringList &lines);

// The page image of one page's lines for a file: 1648 x 2336, one bit per
// pixel (1 black), 200 dpi. The same pixels as PaintTextPage on a grey page
// turned to bits at mid-grey, made faster: each glyph is painted once per
// pen position's sub-pixel phase into a 1-bit mask, and pages are made by
// OR-ing the masks into their rows. Needs a QGuiApplication.
QImage RenderTextPageImage(const QStringList &lines);

// Renders page texts as page image files folder + prefix + "%02d", numbered
// from 1 across all texts; each text starts on a page of its own. Files of
// folder + prefix + "*" are deleted first. A failure when a page cannot be
// created or saved (the machine's when it refused a write), when a read of
// the texts' file was refused, or at the clerk's stop.
Failure RenderTextPageFiles(const TextPageList &pageTexts, const QString &folder,
                            const QString &prefix, std::stop_token stop = {});

// Prints page texts in the job open on `device` as they are rendered: each
// laid-out page is written as the page image file folder + prefix + "%02d"
// (numbered as above), handed to the device and deleted once the device
// holds it, so a long text never lies whole on disk and a stopped print
// leaves no page file behind. Ends at the first page that cannot be
// rendered or saved (the pages before it stay in the job) and at a stop; a
// page the device does not take is skipped. `sent` is left true: the job is
// the caller's to end.
PrintRun PrintTextPagesAsRendered(const TextPageList &pageTexts, const QString &folder,
                                  const QString &prefix, PrintDevice &device,
                                  std::stop_token stop = {});

} // namespace vk7
