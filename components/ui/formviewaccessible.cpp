#include "components/ui/formviewaccessible.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QPointer>

#include "components/tessocx.h"
#include "components/ui/formview.h"
#include "reception/ui/spokenstatus.h"
#include "reception/ui/textfieldaccessible.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

class FormViewReading;

// One value of the page: it reads the view live, so it never outlives what
// it names (an index past the page's values reads as nothing).
class FieldReading : public QAccessibleInterface, public PiecewiseTextInterface
{
public:
    FieldReading(FormView *view, int index) : view_(view), index_(index) {}

    bool isValid() const override { return view_ && index_ < view_->PageFields().size(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::EditableText; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.focusable = true;
        state.selectableText = true;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focused = view_->CurrentField() == index_ && view_->hasFocus();
        state.offscreen = !view_->viewport()->rect().intersects(view_->FieldRectInView(index_));
        return state;
    }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect inView = view_->FieldRectInView(index_);
        return QRect(view_->viewport()->mapToGlobal(inView.topLeft()), inView.size());
    }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        const FormFieldReading &field = view_->PageFields().at(index_);
        switch (t) {
        case QAccessible::Name:
            return field.name;
        case QAccessible::Value:
            return field.value;
        case QAccessible::Description:
            return u"Clave %1"_s.arg(field.key);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : nullptr;
    }

    // The value as text, read only.
    QString Value() const { return text(QAccessible::Value); }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        const QString value = Value();
        start = std::clamp(start, 0, static_cast<int>(value.size()));
        end = end < 0 ? static_cast<int>(value.size())
                      : std::clamp(end, start, static_cast<int>(value.size()));
        return value.mid(start, end - start);
    }
    int characterCount() const override { return static_cast<int>(Value().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override
    {
        if (isValid())
            view_->Viewer()->BringIntoView(view_->PageFields().at(index_).box);
    }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QPointer<FormView> view_;
    int index_;
};

// The view: its children are the values of the page it shows; its
// description says which page that is.
class FormViewReading : public QAccessibleWidget
{
public:
    explicit FormViewReading(FormView *view) : QAccessibleWidget(view, QAccessible::Pane) {}
    ~FormViewReading() override { Forget(); }

    FormView *View() const { return static_cast<FormView *>(widget()); }

    int childCount() const override { return static_cast<int>(View()->PageFields().size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (ids_.size() <= index) {
            auto *field = new FieldReading(View(), static_cast<int>(ids_.size()));
            ids_.append(QAccessible::registerAccessibleInterface(field));
        }
        return QAccessible::accessibleInterface(ids_.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (qsizetype i = 0; i < ids_.size(); ++i) {
            if (QAccessible::accessibleInterface(ids_.at(i)) == child)
                return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface *field = child(i);
            if (field->rect().contains(x, y))
                return field;
        }
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        const int current = View()->CurrentField();
        return current >= 0 ? child(current) : nullptr;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Description)
            return QAccessibleWidget::text(t);
        const CTessOCX *viewer = View()->Viewer();
        const int page = viewer->GetCurrentPage();
        if (page < 1)
            return u"Ningún formulario abierto"_s;
        const QString title = viewer->Document()->Template().pages.at(page - 1).title;
        return u"Página %1 de %2: %3"_s.arg(page).arg(viewer->GetPageCount()).arg(title);
    }

    // A reader says the page with the view (its description) when the view
    // takes the focus, or the page is turned in it; a field of another page
    // than the last one said has it said (Ver Error).
    void PageRead() { said_ = View()->Viewer()->GetCurrentPage(); }
    bool PageSaid() const { return said_ == View()->Viewer()->GetCurrentPage(); }

    // Another page: the children of the last one are gone.
    void Forget()
    {
        for (QAccessible::Id id : std::as_const(ids_))
            QAccessible::deleteAccessibleInterface(id);
        ids_.clear();
    }

private:
    mutable QList<QAccessible::Id> ids_;
    int said_ = 0;
};

QAccessibleInterface *FormViewFactory(const QString &, QObject *object)
{
    auto *view = qobject_cast<FormView *>(object);
    return view ? new FormViewReading(view) : nullptr;
}

FormViewReading *ReadingOf(FormView *view)
{
    return static_cast<FormViewReading *>(QAccessible::queryAccessibleInterface(view));
}

} // namespace

void InstallFormViewReading()
{
    static const bool installed = [] {
        QAccessible::installFactory(&FormViewFactory);
        return true;
    }();
    (void)installed;
}

void NotifyFormViewPageChanged(FormView *view)
{
    FormViewReading *reading = ReadingOf(view);
    if (!reading)
        return;
    reading->Forget();
    QAccessibleEvent event(reading, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
    QAccessibleEvent described(reading, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
    // Turned in the view (no field of the new page under the keyboard once
    // the turn is done): the view itself is focused again and read with its
    // page, for the reader's focus was on a field of the last one.
    QMetaObject::invokeMethod(
        view,
        [view] {
            FormViewReading *turned = ReadingOf(view);
            if (!turned || !view->hasFocus() || view->CurrentField() >= 0)
                return;
            turned->PageRead();
            QAccessibleEvent focused(turned, QAccessible::Focus);
            QAccessible::updateAccessibility(&focused);
        },
        Qt::QueuedConnection);
}

void NotifyFormViewFocused(FormView *view)
{
    if (FormViewReading *reading = ReadingOf(view); reading && view->CurrentField() < 0)
        reading->PageRead();
}

void NotifyFormViewFieldFocused(FormView *view, int index)
{
    FormViewReading *reading = ReadingOf(view);
    if (!reading)
        return;
    QAccessibleInterface *field = reading->child(index);
    if (!field)
        return;
    QAccessibleEvent event(field, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
    if (!reading->PageSaid()) {
        reading->PageRead();
        SayStatus(view, reading->text(QAccessible::Description));
    }
}

} // namespace vk7
