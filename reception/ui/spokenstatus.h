#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace vk7 {

// Says a window's status texts to a screen reader as they come: a hidden,
// unfocusable notification whose name is the text, told shown anew for each
// one (a reader presents a notification when it shows). A text that comes less
// than kGapMs after the last one said waits out the gap, and only the
// latest such text is said then: a run of "Copiando fichero ..." lines does
// not bury the error that ends it, which is always said. Each text also
// waits kSettleMs, so that it comes after what the reader says of the field
// the window puts the focus on with it (a focus cuts short what is being said).
class SpokenStatus : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kGapMs = 1500;
    static constexpr int kSettleMs = 300;

    explicit SpokenStatus(QWidget *parent);
    void Say(const QString &text);

private:
    void SayNow();

    QString pending_;
    QElapsedTimer said_;
    QTimer wait_;
};

// Says `text` through the SpokenStatus of `owner` (made the first time; a
// widget whose texts must not stand in for the window's has its own).
void SayStatus(QWidget *owner, const QString &text);

} // namespace vk7
