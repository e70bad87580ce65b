#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "components/errorrecord.h"
#include "components/fieldsource.h"
#include "components/formtemplate.h"
#include "reception/failure.h"

namespace vk7 {

class PrintDevice;

// What a view of the form hears from the document it shows: the form
// opened or closed, its field source replaced (the pages are stale until the
// next refresh), its fields collected again, its text size or its rule mode
// set. The view repaints; the logic never talks to the view.
class IFormDocumentObserver
{
public:
    enum class Change { Opened, Closed, FieldSourceReplaced, Refreshed, TextSize, RuleCheckMode };
    virtual ~IFormDocumentObserver() = default;
    virtual void FormDocumentChanged(Change change) = 0;
};

// One row of a keyed listing: a key and its two years' values.
struct ListingRow
{
    int key = 0;
    QString current;
    QString previous;
};

// The rows one area of a page shows: [first, first + count) of its listing,
// and, on the last area when rows do not fit, a note with how many are left.
struct RowsSlice
{
    int first = 0;
    int count = 0;
    int hidden = 0; // rows that found no place; > 0 draws the note
};

// The form without a display: the template, the fields drawn from the field
// source by key code, the keyed listings, the text size and the form's own
// checks. Pages are numbered from 0 here; the control numbers them from 1.
class CFormDocument
{
public:
    static constexpr int kDefaultTextSize = 10;
    static constexpr int kMinTextSize = 4;
    static constexpr int kMaxTextSize = 72;

    CFormDocument();
    ~CFormDocument();

    // Reads FORM/<name> from a host folder; a failure with "file:line: reason".
    Failure Open(const QString &hostFolder, const QString &name);
    void Close();

    // The form of a system folder ("C:\VK7\FORM\") by name, filled from
    // `fields`: the form open until now is replaced only by one that opened,
    // and keeps its text size. A failure when the template is missing or
    // wrong, the machine's when it would not let the template be read.
    Failure OpenForm(const QString &folder, const QString &formName, const IFieldSource *fields);
    // Always true; an open form is closed and its view told.
    bool CloseForm();
    // One view at a time hears the document's changes; null for none.
    void SetObserver(IFormDocumentObserver *observer) { observer_ = observer; }
    IFormDocumentObserver *Observer() const { return observer_; }
    bool IsOpen() const { return open_; }
    const FormTemplate &Template() const { return template_; }
    int PageCount() const { return open_ ? static_cast<int>(template_.pages.size()) : 0; }

    void SetFieldSource(const IFieldSource *fields);
    // Becomes a copy of `other` (a document a job worked on, or one for a
    // job to work on) reading its fields from `fields`, with no news in
    // between: its own view stays, and then hears `change` once.
    void TakeOver(const CFormDocument &other, const IFieldSource *fields,
                  IFormDocumentObserver::Change change);
    const IFieldSource *FieldSource() const { return fields_; }
    // Collects and sorts the listings' rows from the field source, once per
    // refresh, so that painting a page never scans the store.
    void Refresh();
    // The same for an open form, its view told; false with no form.
    bool RefreshFields();

    // While set, the form shows the required fields left empty (the rule check).
    bool RuleCheckMode() const { return ruleCheckMode_; }
    void SetRuleCheckMode(bool on);

    int TextSize() const { return textSize_; }
    // Kept within [kMinTextSize, kMaxTextSize]; the size in force is returned.
    int SetTextSize(int size);
    // Field text height in page pixels for the current text size (points at 200 dpi).
    double TextPixelSize() const;

    // The text a field shows: amounts with thousands separators, marks as "X".
    QString FieldText(const TemplateField &field) const;
    const QList<ListingRow> &Rows(int listing) const;
    RowsSlice Slice(int page, int rowsIndex) const;

    // Records of the form's own checks: one required-field record per
    // required field left empty (each key once).
    QList<ErrorRecord> RuleErrors() const;
    // The page (from 0) that shows a key, as a field or as a listing row; -1 if none.
    int PageOfKey(int key) const;
    // Where a key is drawn on a page (from 0): its field's box or its listing
    // row; an empty rectangle when the page does not show it.
    QRect KeyBox(int key, int page) const;

    // The page drawn for file or paper: 1648 x 2336, 1 bit, 200 dpi.
    QImage RenderPageImage(int page) const;
    // Writes every page as `folder` + "K7.001", "K7.002", ... (a system
    // folder); a failure when a page cannot be written (the machine's when
    // it refused the write) or no form is open.
    Failure ExportPages(const QString &folder) const;
    // Pages (from 1) in one job on a printer, each drawn as the page image
    // the export writes, on a printer page of its own. False when no form is
    // open, no page is given, the printer refuses the job or a page is not
    // the form's (the others are printed).
    bool PrintPages(PrintDevice &printer, const QString &jobName, const QList<int> &pages) const;

private:
    void LayOutListings();
    void Notify(IFormDocumentObserver::Change change) const;

    bool open_ = false;
    FormTemplate template_;
    const IFieldSource *fields_ = nullptr;
    int textSize_ = kDefaultTextSize;
    bool ruleCheckMode_ = false;
    IFormDocumentObserver *observer_ = nullptr;
    QList<QList<ListingRow>> rows_;  // per listing
    QList<QList<RowsSlice>> slices_; // per page, per rows area
};

// "1234567.5" -> "1.234.567,5": thousands separators and the decimals the
// value holds; a value that is not a plain number is returned unchanged.
QString FormatAmount(const QString &value);

} // namespace vk7
