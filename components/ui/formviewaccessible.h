#pragma once

namespace vk7 {

class FormView;

// A screen reader reads the form view as the page it shows: a child per
// field of the page, in reading order, each a read-only text named by its
// label on the form whose value is what the page shows ("Clave N" as its
// description). Installs once; FormView calls it.
void InstallFormViewReading();

// The view tells its readers that another page is shown, and that the
// keyboard (or the error list) is on a field of PageFields().
void NotifyFormViewPageChanged(FormView *view);
// The view has kept the focus with no field under the keyboard: a reader
// reads it with its page.
void NotifyFormViewFocused(FormView *view);
void NotifyFormViewFieldFocused(FormView *view, int index);

} // namespace vk7
