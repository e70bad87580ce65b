// Shows the document dialogs on the sample deposit and saves a picture of
// each: vk7_document_screenshots SAMPLE-FOLDER OUTPUT-FOLDER. Run it on a
// real display (scripts/document-screenshots.sh starts one under Xvfb).

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "datafiles/filecopydialog.h"
#include "reception/paths.h"
#include "viewing/ui/imagesetdialog.h"
#include "viewing/ui/textpagedialog.h"
#include "viewing/ui/widgetuserinterface.h"

using namespace vk7;
using namespace Qt::StringLiterals;

namespace {

bool Save(QDialog &dialog, const QString &file)
{
    dialog.move(40, 40);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog, 5000))
        return false;
    QTest::qWait(1000); // the window manager's frame
    const QRect frame = dialog.frameGeometry();
    const QPixmap shot =
        dialog.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    dialog.hide();
    return shot.save(file) && std::printf("%s\n", qPrintable(file)) > 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "uso: vk7_document_screenshots CARPETA-MUESTRA CARPETA-SALIDA\n");
        return 2;
    }
    const QString sample = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir driveC;
    PathResolver::SetDriveRoot(u'C', driveC.path());
    const QDir work(driveC.path() + u"/TMP_VK7"_s);
    work.mkpath(u"."_s);
    for (const QString &name : QDir(sample).entryList(QDir::Files))
        QFile::copy(sample + u'/' + name, work.filePath(name));

    DepositState state;
    CFileCopyDialog loader(state);
    loader.LoadDeposit();
    WidgetUserInterface ui;

    ImageSetDialog images(state, 8, ui);
    images.findChild<QListWidget *>(u"imageList"_s)->setCurrentRow(0);
    images.findChild<QPushButton *>(u"viewButton"_s)->click();
    TextPageDialog text(state, 5, ui);
    const bool saved = Save(images, output + u"/document-images.png"_s) &&
                       Save(text, output + u"/document-text.png"_s);
    return saved ? 0 : 1;
}
