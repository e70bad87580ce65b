#include "estadodlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "verification/depositdiagnosis.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QString ControlName(int controlId)
{
    return u"control"_s + QString::number(controlId);
}

QLabel *ValueField(const QString &text, int controlId)
{
    auto *label = new QLabel(text);
    label->setObjectName(ControlName(controlId));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(110);
    // Reached by Tab, the first of them focused when the window opens: a
    // screen reader says each verdict with its caption as the clerk goes.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::StrongFocus);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

CEstadoDlg::CEstadoDlg(const DepositStateReport &report, QWidget *parent)
    : QDialog(parent), choices_(report)
{
    setWindowTitle(choices_.Title());
    setModal(true);

    // Signature across the top, the verdicts in two columns below it.
    const std::vector<StateWindowLine> &lines = choices_.Lines();
    auto *verdicts = new QGridLayout;
    verdicts->setHorizontalSpacing(10);
    auto place = [verdicts](const StateWindowLine &line, int row, int column, int span) {
        auto *caption = new QLabel(line.caption);
        QLabel *value = ValueField(line.value, line.controlId);
        caption->setBuddy(value);
        verdicts->addWidget(caption, row, column);
        verdicts->addWidget(value, row, column + 1, 1, span);
    };
    place(lines.at(0), 0, 0, 3); // Firma
    place(lines.at(1), 1, 0, 1); // Estructura
    place(lines.at(2), 1, 2, 1); // Completitud
    place(lines.at(3), 2, 0, 1); // Formulario
    place(lines.at(4), 2, 2, 1); // Moneda
    place(lines.at(5), 3, 0, 3); // Huella digital
    place(lines.at(6), 4, 0, 1); // Errores primarios
    place(lines.at(7), 4, 2, 1); // Errores implícitos
    verdicts->setColumnStretch(1, 1);
    verdicts->setColumnStretch(3, 1);

    auto *others = new QHBoxLayout;
    auto *otherCaption = new QLabel(u"Otros Docs.:"_s);
    others->addWidget(otherCaption, 0, Qt::AlignTop);
    QLabel *count = ValueField(choices_.OtherDocumentsCount(), 1020);
    count->setMinimumWidth(0);
    count->setFixedWidth(count->fontMetrics().horizontalAdvance(u"0000"_s) + 12);
    otherCaption->setBuddy(count);
    others->addWidget(count, 0, Qt::AlignTop);
    otherList_ = new QListWidget;
    otherList_->setObjectName(ControlName(1049));
    // A list takes no name from a label: it is named by the caption of its row.
    otherList_->setAccessibleName(u"Otros Docs."_s);
    otherList_->addItems(choices_.OtherDocuments());
    otherList_->setFixedHeight(otherList_->fontMetrics().height() * 3 + 8);
    others->addWidget(otherList_, 1);

    auto *printing = new QGroupBox(u" Impresión del Depósito Digital "_s);
    auto *grid = new QGridLayout(printing);
    for (int i = 0; i < kPrintChoiceCount; ++i) {
        const StateWindowCheck check = choices_.Check(i);
        auto *box = new QCheckBox(check.caption);
        box->setObjectName(ControlName(check.controlId));
        box->setChecked(check.ticked);
        box->setEnabled(check.enabled);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { OnToggled(i, on); });
        checks_[static_cast<size_t>(i)] = box;
        // The sheet and the form pages in the first column, the documents in two more.
        if (i < 2)
            grid->addWidget(box, i, 0);
        else
            grid->addWidget(box, (i - 2) % 4, 1 + (i - 2) / 4);
    }

    printButton_ = new QPushButton(u"&Imprimir"_s);
    printButton_->setDefault(true);
    leaveButton_ = new QPushButton(u"&Salir"_s);
    auto *buttons = new QDialogButtonBox;
    buttons->addButton(printButton_, QDialogButtonBox::AcceptRole);
    buttons->addButton(leaveButton_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(verdicts);
    layout->addLayout(others);
    layout->addWidget(printing);
    layout->addWidget(buttons);
}

void CEstadoDlg::OnToggled(int index, bool on)
{
    // The box shows what the choices allow: a refused change is undone.
    const bool kept = choices_.SetTicked(index, on);
    if (kept != on) {
        QCheckBox *box = checks_[static_cast<size_t>(index)];
        const QSignalBlocker block(box);
        box->setChecked(kept);
    }
}

PrintChoices CEstadoDlg::Ticks() const
{
    PrintChoices ticks{};
    for (int i = 0; i < kPrintChoiceCount; ++i)
        ticks[static_cast<size_t>(i)] = checks_[static_cast<size_t>(i)]->isChecked();
    return ticks;
}

QCheckBox *CEstadoDlg::CheckBox(int index) const
{
    if (index < 0 || index >= kPrintChoiceCount)
        return nullptr;
    return checks_[static_cast<size_t>(index)];
}

QLabel *CEstadoDlg::ValueLabel(int controlId) const
{
    return findChild<QLabel *>(ControlName(controlId));
}

std::optional<PrintChoices> DialogStateWindow::Show(const DepositStateReport &report)
{
    CEstadoDlg dialog(report, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Ticks();
}

} // namespace vk7
