#include "listaerroresdlg.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "reception/userinterface.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QListWidget *ErrorList(const QStringList &texts, int controlId)
{
    auto *list = new QListWidget;
    list->setObjectName(u"control"_s + QString::number(controlId));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->addItems(texts);
    list->setMinimumWidth(520);
    return list;
}

int SelectedRow(const QListWidget *list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

} // namespace

CListaErroresDlg::CListaErroresDlg(const ErrorListContent &content, IUserInterface *ui,
                                   QWidget *parent)
    : QDialog(parent), browser_(content), ui_(ui)
{
    setWindowTitle(u"Lista de Errores"_s);
    setModal(true);

    primaryList_ = ErrorList(content.primaryTexts, 1004);
    implicitList_ = ErrorList(content.implicitTexts, 1006);
    auto *primaryCaption = new QLabel(u"Lista de Errores Primarios"_s);
    primaryCaption->setBuddy(primaryList_);
    // A list takes no name from its label: it is given the caption's.
    primaryList_->setAccessibleName(primaryCaption->text());
    auto *implicitCaption = new QLabel(u"Lista de Errores Implícitos"_s);
    implicitCaption->setBuddy(implicitList_);
    implicitList_->setAccessibleName(implicitCaption->text());

    viewErrorButton_ = new QPushButton(u"Ver &Error"_s);
    viewErrorButton_->setDefault(true);
    viewRuleButton_ = new QPushButton(u"Ver &Regla"_s);
    viewRuleButton_->setObjectName(u"control1009"_s);
    leaveButton_ = new QPushButton(u"&Salir"_s);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(viewErrorButton_);
    buttons->addWidget(viewRuleButton_);
    buttons->addStretch(1);
    buttons->addWidget(leaveButton_);

    messageLine_ = new QLabel;
    messageLine_->setObjectName(u"control1005"_s);
    messageLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    auto *lists = new QVBoxLayout;
    lists->addWidget(primaryCaption);
    lists->addWidget(primaryList_, 3);
    lists->addWidget(implicitCaption);
    lists->addWidget(implicitList_, 2);
    auto *body = new QHBoxLayout;
    body->addLayout(lists, 1);
    body->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(messageLine_);

    // The keys go through the window as it reads: the lists, then the
    // buttons. The first list with errors has the focus, and a list that
    // takes the focus by key selects its first error when none is, so the
    // focus frame is always a real selection for "Ver &Error".
    setTabOrder(primaryList_, implicitList_);
    setTabOrder(implicitList_, viewErrorButton_);
    setTabOrder(viewErrorButton_, viewRuleButton_);
    setTabOrder(viewRuleButton_, leaveButton_);
    primaryList_->installEventFilter(this);
    implicitList_->installEventFilter(this);
    if (primaryList_->count() > 0)
        primaryList_->setFocus();
    else if (implicitList_->count() > 0)
        implicitList_->setFocus();
    else
        viewErrorButton_->setFocus();

    connect(primaryList_, &QListWidget::itemSelectionChanged, this,
            [this] { OnSelectionChanged(ErrorListBrowser::List::Primary); });
    connect(implicitList_, &QListWidget::itemSelectionChanged, this,
            [this] { OnSelectionChanged(ErrorListBrowser::List::Implicit); });
    connect(primaryList_, &QListWidget::itemDoubleClicked, this, [this] { OnViewError(); });
    connect(implicitList_, &QListWidget::itemDoubleClicked, this, [this] { OnViewError(); });
    connect(viewErrorButton_, &QPushButton::clicked, this, [this] { OnViewError(); });
    connect(viewRuleButton_, &QPushButton::clicked, this, [this] { OnViewRule(); });
    connect(leaveButton_, &QPushButton::clicked, this, &QDialog::reject);
}

bool CListaErroresDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && (watched == primaryList_ || watched == implicitList_)) {
        auto *list = static_cast<QListWidget *>(watched);
        // A click selects what it points at; only the keys choose the first.
        const bool byMouse = static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        if (!byMouse && list->count() > 0 && SelectedRow(list) < 0)
            list->setCurrentRow(0);
        // A reader hears the list take the focus after its current error
        // did: the error is told again once the list has it, so the clerk
        // hears which error "Ver Error" now shows, in which list.
        QTimer::singleShot(0, list, [list] {
            if (!list->hasFocus() || list->currentRow() < 0)
                return;
            QAccessibleEvent focused(list, QAccessible::Focus);
            focused.setChild(list->currentRow());
            QAccessible::updateAccessibility(&focused);
        });
    }
    return QDialog::eventFilter(watched, event);
}

void CListaErroresDlg::OnSelectionChanged(ErrorListBrowser::List list)
{
    const bool primary = list == ErrorListBrowser::List::Primary;
    QListWidget *mine = primary ? primaryList_ : implicitList_;
    QListWidget *other = primary ? implicitList_ : primaryList_;
    browser_.Select(list, SelectedRow(mine));
    // At most one error is selected across both lists.
    if (browser_.SelectedList() == list && SelectedRow(other) >= 0)
        other->clearSelection();
}

void CListaErroresDlg::OnViewError()
{
    const std::optional<long> number = browser_.ViewError();
    messageLine_->setText(browser_.MessageLine());
    if (!number)
        return;
    chosenNumber_ = *number;
    accept();
}

void CListaErroresDlg::OnViewRule()
{
    const std::optional<ErrorListBrowser::RuleNote> note = browser_.ViewRule();
    messageLine_->setText(browser_.MessageLine());
    if (!note)
        return;
    if (ui_)
        ui_->ShowMessage(note->text, note->caption, IUserInterface::Buttons::Ok,
                         IUserInterface::Icon::Information);
    else
        QMessageBox::information(this, note->caption, note->text);
}

std::optional<long> DialogErrorListWindow::ChooseError(const ErrorListContent &content)
{
    CListaErroresDlg dialog(content, ui_, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.ChosenNumber();
}

} // namespace vk7
