#pragma once

#include <QFrame>
#include <QImage>

#include "printingdialog.h"
#include "viewing/imageset.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vk7 {

class IUserInterface;

// The framed picture area of the image set dialog. It keeps the page it was
// given and paints it, scaled into its whole inside, at every repaint.
class PictureArea : public QFrame
{
    Q_OBJECT
public:
    explicit PictureArea(QWidget *parent = nullptr);
    void SetPage(const QImage &page);
    const QImage &Page() const { return page_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage page_;
    QImage scaled_; // the page at the last painted size
};

// The image set dialog: one of the deposit's four image sets, listed to be
// looked at, printed or opened in the desktop's image viewer. Nothing is
// added to or removed from the deposit here.
class ImageSetDialog : public PrintingDialog
{
    Q_OBJECT
public:
    ImageSetDialog(const DepositState &state, DocumentKind kind, IUserInterface &ui,
                   QWidget *parent = nullptr);

    // "&Salir" and Escape delete the temporary copies first.
    void reject() override;

private:
    void View();
    void Print();
    void StartExternal();
    int SelectedRow() const;
    void ShowStatus();

    ImageSet set_;
    IUserInterface &ui_;

    QListWidget *list_;
    QPushButton *startButton_;
    QPushButton *viewButton_;
    QPushButton *printButton_;
    QLabel *status_;
    PictureArea *picture_;
};

} // namespace vk7
