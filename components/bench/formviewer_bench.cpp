// Figures for the form viewer with a very large deposit: how long collecting
// the listings, painting a page on screen and exporting the form take when
// the store holds 100,000 keys in the balance sheet's ranges.
#include <cstdio>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "components/formdocument.h"
#include "components/formpainter.h"
#include "components/tessocx.h"
#include "components/tests/formtesting.h"
#include "reception/paths.h"

using namespace Qt::StringLiterals;
using namespace vk7;

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTemporaryDir drive;
    PathResolver::SetDriveRoot(u'C', drive.path());

    TestFieldSource fields;
    FillOrdinaryDeposit(&fields);
    for (int i = 0; i < 100000; ++i) {
        const int key = 100000 + (i * 7919) % 200000; // scattered over 1xxxxx and 2xxxxx
        fields.Set(key, QString::number(i) + u".25"_s);
        fields.Set(key * 10 + 1, QString::number(i * 3));
    }
    std::printf("store: 100000 keys in 100000-299999 with their previous-year values\n");

    CFormDocument document;
    CTessOCX viewer(document);
    QElapsedTimer timer;
    timer.start();
    if (document.OpenForm(SourceFormFolder(), u"K7NP"_s, &fields).Failed())
        return 1;
    std::printf("OpenForm K7NP with listings collected: %.1f ms\n", timer.nsecsElapsed() / 1e6);

    constexpr int kRefreshes = 10;
    timer.restart();
    for (int i = 0; i < kRefreshes; ++i)
        document.RefreshFields();
    std::printf("RefreshFields: %.1f ms each\n", timer.nsecsElapsed() / 1e6 / kRefreshes);

    // A screen view at fit width of a 1000-pixel-wide window, page 2 (full listing).
    viewer.SetViewportSize(QSize(1000, 800));
    viewer.FitWidth();
    viewer.GoToPage(2);
    QImage screen(1000, 800, QImage::Format_ARGB32_Premultiplied);
    constexpr int kPaints = 20;
    timer.restart();
    for (int i = 0; i < kPaints; ++i) {
        QPainter painter(&screen);
        viewer.PaintView(painter);
    }
    std::printf("screen paint of a listing page: %.2f ms each\n",
                timer.nsecsElapsed() / 1e6 / kPaints);

    timer.restart();
    const QImage page = viewer.Document()->RenderPageImage(1);
    std::printf("page image of a listing page (1648 x 2336, 1 bit): %.1f ms\n",
                timer.nsecsElapsed() / 1e6);

    QDir(drive.path()).mkpath(u"TMP_VK7"_s);
    timer.restart();
    const bool exported = !document.ExportPages(u"C:\\TMP_VK7\\"_s).Failed();
    std::printf("ExportPages of %d pages: %.1f ms (%s)\n", viewer.GetPageCount(),
                timer.nsecsElapsed() / 1e6, exported ? "ok" : "failed");
    return page.isNull() || !exported ? 1 : 0;
}
