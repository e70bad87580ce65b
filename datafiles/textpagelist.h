#pragma once

#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <stop_token>

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include "reception/failure.h"

namespace vk7 {

// The pages of a text document, as a value. Pages read from a deposit file
// are not held: the file stays open and only where each page starts is
// kept, so a page is read back and decoded when it is asked for (the last
// one asked for is kept). A text of any size then costs a few megabytes at
// most. Pages given as a list (the tests', a text made by the program) are
// held as they are.
//
// Reading back is sound because the work copy does not change while the
// deposit is open: the reception chain owns the work folder, holds its lock
// from Open to Close, and empties the deposit's texts in Close before the
// next Open empties the folder.
//
// Copies share the file and its index. A page replaced in a copy (the text
// viewer's working copy) is replaced in that copy only.
class TextPageList
{
public:
    // How many page starts an index keeps at most; beyond that it keeps
    // every second one, then every fourth, ... and finds the pages between
    // by reading on from the nearest start it kept.
    static constexpr qsizetype kMaxIndexEntries = qsizetype(1) << 18;

    TextPageList() = default;
    TextPageList(const QStringList &pages);
    TextPageList(std::initializer_list<QString> pages);

    // Indexes a text file, read once in blocks: a form feed ends a page
    // (with the CR LF right after it when both are in the same 2047-byte
    // block of the file), a page without one is cut at the end of the block
    // that brings it to 25,000 characters, zero bytes are dropped. Nothing
    // when the path is not a regular file that opens. `failure` tells a
    // failure of the machine (the file exists but would not open, or a read
    // ended it early: the pages are then not the whole text) or the clerk's
    // stop (the index is cut short).
    struct FileRead;
    static FileRead ReadFile(const QByteArray &hostPath,
                             qsizetype maxIndexEntries = kMaxIndexEntries,
                             std::stop_token stop = {});

    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    // Page i (from 0), decoded from code page 850 or Windows-1252 as the
    // page looks; empty out of range (or when the file can no longer be read).
    QString at(qsizetype i) const;
    QString value(qsizetype i) const { return at(i); }
    QString first() const { return at(0); }
    void clear() { *this = TextPageList(); }

    // The first read the machine refused while indexing or reading pages
    // back (Kind::None when none): the empty pages it left are not the text.
    Failure IoFailure() const;

    // Whether every page looks like prose (BlankRunTally), as judged while
    // the file was indexed, so that no one reads the text again to know it.
    // Nothing for pages given as a list, a copy with a page replaced, or an
    // index a stop cut short: the caller then judges the pages itself.
    std::optional<bool> EveryPageLooksLikeProse() const;

    // Replaces page i (in range) in this copy only.
    void Replace(qsizetype i, const QString &text);

    // Every page in memory: for short texts and tests.
    QStringList ToList() const;

    // Page by page.
    bool operator==(const TextPageList &other) const;

    class const_iterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = QString;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = QString;

        const_iterator(const TextPageList *pages, qsizetype index) : pages_(pages), index_(index) {}
        QString operator*() const { return pages_->at(index_); }
        const_iterator &operator++()
        {
            ++index_;
            return *this;
        }
        bool operator==(const const_iterator &other) const { return index_ == other.index_; }

    private:
        const TextPageList *pages_;
        qsizetype index_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    class Source;

private:
    std::shared_ptr<Source> source_;
    QHash<qsizetype, QString> replaced_;
};

struct TextPageList::FileRead
{
    std::optional<TextPageList> pages;
    Failure failure;
};

} // namespace vk7
