#include "textpagelist.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <QFile>

#include "blankruns.h"
#include "dostext.h"
#include "reception/failure.h"
#include "reception/hostfiles.h"

namespace vk7 {

namespace {

// A text is read in chunks of this many bytes from the start of the file;
// where they end decides where long pages are cut and whether a CR LF after
// a form feed is skipped, so every reading of the file keeps to them.
constexpr qint64 kChunkSize = 2047;
constexpr qsizetype kPageCut = 25000;
// Chunks read at once.
constexpr qint64 kBlockChunks = 32;

// Walks the pages of a text file from the start of one of its pages, as the
// reader cuts them, one page a call.
class PageScanner
{
public:
    // With a tally, each page is judged as it passes (LastPageLooksLikeProse).
    PageScanner(QFile &file, const QByteArray &path, qint64 pageStart,
                BlankRunTally *tally = nullptr)
        : file_(file), path_(path), bufferOffset_(pageStart), next_(pageStart),
          pageStart_(pageStart), chunkEnd_((pageStart / kChunkSize + 1) * kChunkSize), tally_(tally)
    {
    }

    // The page NextPage returned last, by the tally.
    bool LastPageLooksLikeProse() const { return lastPageProse_; }
    // The read the machine refused, when one ended the file early.
    const Failure &IoFailure() const { return ioFailure_; }

    // The next page: where it starts in the file and, when `content` is
    // given, its bytes (zero bytes left out). False past the last page (a
    // read error ends the file there).
    bool NextPage(qint64 *start, QByteArray *content)
    {
        content_ = content;
        if (content_) {
            // Kept by the caller from page to page: no allocation per page.
            content_->resize(0);
            if (content_->capacity() < kPageCut + kChunkSize + 1)
                content_->reserve(kPageCut + kChunkSize + 1);
        }
        for (;;) {
            const qint64 offset = bufferOffset_ + used_;
            if (offset == chunkEnd_) {
                chunkEnd_ += kChunkSize;
                if (EndChunk(offset, start))
                    return true;
                continue;
            }
            if (used_ == size_) {
                if (!atEnd_ && Fill())
                    continue;
                // The file's last chunk, short or empty, ends here.
                if (!finished_) {
                    finished_ = true;
                    if (EndChunk(offset, start))
                        return true;
                }
                if (pageLength_ == 0)
                    return false;
                pageLength_ = 0;
                *start = pageStart_;
                EndPage();
                return true;
            }
            const qint64 stop = std::min(size_, used_ + (chunkEnd_ - offset));
            while (used_ < stop) {
                if (pending_ == 0) {
                    // The bytes before the next zero byte or form feed are the page's.
                    if (nextFormFeed_ < used_)
                        nextFormFeed_ = Find('\f');
                    if (nextZero_ < used_)
                        nextZero_ = Find('\0');
                    const qint64 runEnd = std::min({nextFormFeed_, nextZero_, stop});
                    if (runEnd > used_) {
                        Add(buffer_.data() + used_, runEnd - used_);
                        used_ = runEnd;
                        continue;
                    }
                }
                const char c = buffer_[used_++];
                if (c == '\0')
                    continue;
                if (pending_ == 1) {
                    pending_ = 0;
                    if (c == '\r') {
                        pending_ = 2;
                        continue;
                    }
                } else if (pending_ == 2) {
                    pending_ = 0;
                    if (c == '\n') {
                        pageStart_ = bufferOffset_ + used_;
                        continue;
                    }
                    Add('\r');
                }
                if (c == '\f') {
                    *start = pageStart_;
                    pageStart_ = bufferOffset_ + used_;
                    pageLength_ = 0;
                    // A CR LF right after the form feed, in the same chunk, is skipped.
                    pending_ = 1;
                    content_ = nullptr;
                    EndPage();
                    return true;
                }
                Add(c);
            }
        }
    }

private:
    void Add(char c)
    {
        ++pageLength_;
        if (content_)
            content_->append(c);
        if (tally_)
            tally_->Add(c);
    }

    void Add(const char *bytes, qint64 count)
    {
        pageLength_ += count;
        if (content_)
            content_->append(bytes, count);
        if (tally_)
            tally_->Add(QByteArrayView(bytes, count));
    }

    // Where the byte comes next in the buffer from the unscanned part on;
    // size_ when it does not.
    qint64 Find(char byte) const
    {
        if (used_ >= size_)
            return size_;
        const void *found = std::memchr(buffer_.data() + used_, byte, size_t(size_ - used_));
        return found ? static_cast<const char *>(found) - buffer_.data() : size_;
    }

    // A chunk ends at `offset`: a CR waiting for its LF stays in the text,
    // and a page without a form feed that has grown long enough ends here.
    bool EndChunk(qint64 offset, qint64 *start)
    {
        if (pending_ == 2)
            Add('\r');
        pending_ = 0;
        if (pageLength_ < kPageCut)
            return false;
        *start = pageStart_;
        pageStart_ = offset;
        pageLength_ = 0;
        content_ = nullptr;
        EndPage();
        return true;
    }

    void EndPage()
    {
        if (!tally_)
            return;
        lastPageProse_ = tally_->LooksLikeProse();
        tally_->Clear();
    }

    // Reads the next block, ending on a chunk boundary; false when nothing
    // more can be read.
    bool Fill()
    {
        bufferOffset_ = next_;
        used_ = 0;
        size_ = 0;
        nextFormFeed_ = -1;
        nextZero_ = -1;
        const qint64 wanted = (chunkEnd_ - next_) + (kBlockChunks - 1) * kChunkSize;
        if (buffer_.empty())
            buffer_.resize(size_t(kBlockChunks * kChunkSize));
        const qint64 read = file_.seek(next_) ? file_.read(buffer_.data(), wanted) : -1;
        // The text still ends there, but the reception learns that it is
        // not the whole file.
        if (read < 0)
            ioFailure_.KeepFirst(Failure::Io(path_, errno));
        if (read < wanted)
            atEnd_ = true;
        if (read <= 0)
            return false;
        size_ = read;
        next_ += read;
        return true;
    }

    QFile &file_;
    QByteArray path_;
    std::vector<char> buffer_;
    qint64 bufferOffset_; // file offset of buffer_[0]
    qint64 used_ = 0;     // buffer_[used_, size_) not yet scanned
    qint64 size_ = 0;
    qint64 next_;              // file offset of the next block
    qint64 pageStart_;         // where the current page starts
    qint64 chunkEnd_;          // where the current chunk ends
    qint64 nextFormFeed_ = -1; // in the buffer, once looked for
    qint64 nextZero_ = -1;
    qsizetype pageLength_ = 0;
    int pending_ = 0; // after a form feed: 1, after a form feed and a CR: 2
    bool atEnd_ = false;
    bool finished_ = false;
    QByteArray *content_ = nullptr;
    BlankRunTally *tally_;
    bool lastPageProse_ = true;
    Failure ioFailure_;
};

} // namespace

class TextPageList::Source
{
public:
    QStringList held; // the pages of a text given as a list

    // A text read from a file.
    bool fromFile = false;
    QFile file;
    QByteArray path;
    qsizetype count = 0;
    int strideShift = 0;        // starts keeps the start of page k << strideShift
    std::vector<qint64> starts; // at index k
    // Judged while indexing: whether every page looks like prose; nothing
    // when the index was cut short.
    std::optional<bool> everyPageProse;
    std::mutex mutex;
    // The last page read, and where reading on finds the next one.
    qsizetype cachedIndex = -1;
    QString cachedText;
    std::unique_ptr<PageScanner> cursor;
    qsizetype cursorIndex = -1; // the page the cursor returns next
    QByteArray pageBytes;
    // The first read the machine refused, while indexing or reading back.
    Failure ioFailure;

    void AddStart(qint64 start, qsizetype maxEntries)
    {
        if ((count & ((qsizetype(1) << strideShift) - 1)) == 0)
            starts.push_back(start);
        ++count;
        if (qsizetype(starts.size()) <= maxEntries)
            return;
        size_t kept = 0;
        for (size_t k = 0; k < starts.size(); k += 2)
            starts[kept++] = starts[k];
        starts.resize(kept);
        ++strideShift;
    }

    QString Page(qsizetype i)
    {
        std::unique_lock lock(mutex);
        if (cachedIndex == i)
            return cachedText;
        const qsizetype kept = i >> strideShift;
        const qsizetype from = kept << strideShift;
        if (!cursor || cursorIndex > i || cursorIndex < from) {
            cursor = std::make_unique<PageScanner>(file, path, starts[size_t(kept)]);
            cursorIndex = from;
        }
        qint64 start = 0;
        while (cursorIndex < i) {
            if (!cursor->NextPage(&start, nullptr))
                return Lost();
            ++cursorIndex;
        }
        if (!cursor->NextPage(&start, &pageBytes))
            return Lost();
        ++cursorIndex;
        cachedIndex = i;
        cachedText = DecodeTextPage(pageBytes);
        return cachedText;
    }

private:
    // A page that can no longer be read back (mutex held).
    QString Lost()
    {
        ioFailure.KeepFirst(cursor->IoFailure());
        cursor.reset();
        return QString();
    }
};

TextPageList::TextPageList(const QStringList &pages) : source_(std::make_shared<Source>())
{
    source_->held = pages;
}

TextPageList::TextPageList(std::initializer_list<QString> pages) : TextPageList(QStringList(pages))
{
}

TextPageList::FileRead TextPageList::ReadFile(const QByteArray &hostPath, qsizetype maxIndexEntries,
                                              std::stop_token stop)
{
    auto source = std::make_shared<Source>();
    FileRead read;
    const int fd = hostfiles::OpenRegularFile(hostPath, true, &read.failure);
    if (fd < 0) {
        if (!read.failure.IsIo())
            read.failure = Failure();
        return read;
    }
    if (!source->file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                           QFileDevice::AutoCloseHandle)) {
        hostfiles::Close(fd);
        return read;
    }
    source->fromFile = true;
    source->path = hostPath;
    // Each page is judged on the way, so that the diagnosis need not read
    // the text again.
    BlankRunTally tally;
    PageScanner scanner(source->file, hostPath, 0, &tally);
    qint64 start = 0;
    qsizetype scanned = 0;
    bool prose = true;
    bool whole = true;
    while (scanner.NextPage(&start, nullptr)) {
        source->AddStart(start, std::max<qsizetype>(maxIndexEntries, 1));
        prose = prose && scanner.LastPageLooksLikeProse();
        // A text of hundreds of megabytes takes a while: a stop the clerk
        // asked for ends the scan (the reception that asked is dropped).
        if (++scanned % 1024 == 0 && stop.stop_requested()) {
            read.failure = Failure::Stopped();
            whole = false;
            break;
        }
    }
    if (whole)
        source->everyPageProse = prose;
    source->ioFailure = scanner.IoFailure();
    read.failure.KeepFirst(scanner.IoFailure());
    read.pages.emplace();
    read.pages->source_ = std::move(source);
    return read;
}

qsizetype TextPageList::size() const
{
    if (!source_)
        return 0;
    return source_->fromFile ? source_->count : source_->held.size();
}

QString TextPageList::at(qsizetype i) const
{
    if (i < 0 || i >= size())
        return QString();
    const auto replaced = replaced_.constFind(i);
    if (replaced != replaced_.constEnd())
        return *replaced;
    return source_->fromFile ? source_->Page(i) : source_->held.at(i);
}

Failure TextPageList::IoFailure() const
{
    if (!source_ || !source_->fromFile)
        return {};
    const std::lock_guard lock(source_->mutex);
    return source_->ioFailure;
}

std::optional<bool> TextPageList::EveryPageLooksLikeProse() const
{
    if (!source_ || !source_->fromFile || !replaced_.isEmpty())
        return std::nullopt;
    return source_->everyPageProse;
}

void TextPageList::Replace(qsizetype i, const QString &text)
{
    if (i >= 0 && i < size())
        replaced_.insert(i, text);
}

QStringList TextPageList::ToList() const
{
    QStringList list;
    list.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        list.append(at(i));
    return list;
}

bool TextPageList::operator==(const TextPageList &other) const
{
    if (size() != other.size())
        return false;
    for (qsizetype i = 0; i < size(); ++i) {
        if (at(i) != other.at(i))
            return false;
    }
    return true;
}

} // namespace vk7
