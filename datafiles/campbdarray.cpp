#include "campbdarray.h"

#include <algorithm>
#include <cstring>

#include "reception/codepages.h"
#include "reception/plaintext.h"

namespace vk7 {

CCampBDArray::CCampBDArray(const CCampBDArray &other)
    : IFieldSource(other), entries_(other.entries_), used_(other.used_), records_(other.records_),
      otherKeys_(other.otherKeys_), indexedCount_(other.indexedCount_)
{
    chunks_.reserve(other.chunks_.size());
    for (const std::unique_ptr<char[]> &chunk : other.chunks_) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
        std::memcpy(chunks_.back().get(), chunk.get(), kChunkSize);
    }
    constexpr size_t kPageKeys = size_t(1) << kPageBits;
    pages_.reserve(other.pages_.size());
    for (const std::unique_ptr<uint32_t[]> &page : other.pages_) {
        if (!page) {
            pages_.emplace_back();
            continue;
        }
        pages_.push_back(std::make_unique_for_overwrite<uint32_t[]>(kPageKeys));
        std::memcpy(pages_.back().get(), page.get(), kPageKeys * sizeof(uint32_t));
    }
}

CCampBDArray &CCampBDArray::operator=(const CCampBDArray &other)
{
    if (this != &other)
        *this = CCampBDArray(other);
    return *this;
}

void CCampBDArray::RemoveAll()
{
    // Released, not kept for the next deposit: a huge one would hold its
    // memory while the program waits.
    entries_ = decltype(entries_)();
    chunks_ = decltype(chunks_)();
    used_ = 0;
    records_ = decltype(records_)();
    pages_ = decltype(pages_)();
    otherKeys_ = decltype(otherKeys_)();
    indexedCount_ = 0;
}

CCampBD *CCampBDArray::AddNew()
{
    records_.emplace_back();
    Entry &entry = entries_.emplace_back();
    entry.record = static_cast<uint32_t>(records_.size());
    return &records_.back();
}

char *CCampBDArray::At(uint32_t offset) const
{
    return chunks_[offset / kChunkSize].get() + (offset & (kChunkSize - 1));
}

CCampBD *CCampBDArray::GetAt(qsizetype index) const
{
    return Record(index);
}

CCampBD *CCampBDArray::Record(qsizetype position) const
{
    Entry &entry = entries_[static_cast<size_t>(position)];
    if (entry.record == 0) {
        records_.push_back({entry.key, Decoded(entry)});
        entry.record = static_cast<uint32_t>(records_.size());
    }
    return &records_[entry.record - 1];
}

QString CCampBDArray::Decoded(const Entry &entry) const
{
    if (entry.length == 0)
        return QString();
    return DecodeWindows1252(QByteArrayView(At(entry.offset), entry.length));
}

void CCampBDArray::IndexPendingRecords() const
{
    // Records appended since the last lookup join the index; a key already
    // indexed keeps its first position.
    for (; indexedCount_ < GetSize(); ++indexedCount_) {
        Entry &entry = entries_[static_cast<size_t>(indexedCount_)];
        if (entry.record != 0)
            entry.key = records_[entry.record - 1].key; // set after AddNew
        const int key = entry.key;
        if (key < 0 || key >= kDirectKeys) {
            if (!otherKeys_.contains(key))
                otherKeys_.insert(key, indexedCount_);
            continue;
        }
        if (pages_.empty())
            pages_.resize((kDirectKeys >> kPageBits) + 1);
        std::unique_ptr<uint32_t[]> &page = pages_[static_cast<size_t>(key >> kPageBits)];
        if (!page)
            page = std::make_unique<uint32_t[]>(size_t(1) << kPageBits);
        uint32_t &slot = page[key & ((1 << kPageBits) - 1)];
        if (slot == 0)
            slot = static_cast<uint32_t>(indexedCount_ + 1);
    }
}

qsizetype CCampBDArray::FindPosition(int key) const
{
    IndexPendingRecords();
    if (key < 0 || key >= kDirectKeys) {
        const auto it = otherKeys_.constFind(key);
        return it == otherKeys_.constEnd() ? -1 : *it;
    }
    if (pages_.empty())
        return -1;
    const uint32_t *page = pages_[static_cast<size_t>(key >> kPageBits)].get();
    if (!page)
        return -1;
    return static_cast<qsizetype>(page[key & ((1 << kPageBits) - 1)]) - 1;
}

CCampBD *CCampBDArray::FindByKey(int key) const
{
    const qsizetype position = FindPosition(key);
    return position < 0 ? nullptr : Record(position);
}

void CCampBDArray::SetFieldBytes(int key, QByteArrayView bytes)
{
    qsizetype end = bytes.size();
    while (end > 0 && bytes[end - 1] == ' ')
        --end;
    qsizetype start = 0;
    while (start < end && bytes[start] == ' ')
        ++start;
    if (start == end)
        return;
    const QByteArrayView value = bytes.sliced(start, end - start);

    const qsizetype position = FindPosition(key);
    if (position < 0) {
        Entry &entry = entries_.emplace_back();
        entry.key = key;
    }
    Entry &entry = entries_[static_cast<size_t>(position < 0 ? GetSize() - 1 : position)];
    if (entry.record == 0 && value.size() <= entry.capacity) {
        if (!value.isEmpty())
            std::memcpy(At(entry.offset), value.data(), static_cast<size_t>(value.size()));
        entry.length = static_cast<uint16_t>(value.size());
        return;
    }
    // A value that outgrows its room moves to the end with twice the room, so
    // a key stored over and over wastes at most what it holds. A short value
    // gets room for the longest amount text ("-" and sixteen characters) at
    // once: an accounts key stored again never moves.
    constexpr qsizetype kShortRoom = 17;
    const qsizetype room = std::max({value.size(), 2 * qsizetype(entry.capacity), kShortRoom});
    if (entry.record == 0 && room <= UINT16_MAX) {
        // Values are placed in chunks, never across two, so the buffer grows
        // without ever being copied.
        qsizetype at = used_;
        if ((at & (kChunkSize - 1)) + room > kChunkSize)
            at = (at | (kChunkSize - 1)) + 1;
        if (at + room <= qsizetype(UINT32_MAX)) {
            if (at + room > qsizetype(chunks_.size()) * kChunkSize)
                chunks_.push_back(std::make_unique<char[]>(kChunkSize));
            used_ = at + room;
            entry.offset = static_cast<uint32_t>(at);
            entry.capacity = static_cast<uint16_t>(room);
            entry.length = static_cast<uint16_t>(value.size());
            if (!value.isEmpty())
                std::memcpy(At(entry.offset), value.data(), static_cast<size_t>(value.size()));
            return;
        }
    }
    Record(position < 0 ? GetSize() - 1 : position)->value = DecodeWindows1252(value);
}

void CCampBDArray::ClearValues(bool (*inRange)(int key))
{
    for (Entry &entry : entries_) {
        if (entry.record == 0) {
            if (inRange(entry.key))
                entry.length = 0;
        } else if (CCampBD &record = records_[entry.record - 1]; inRange(record.key)) {
            record.value.clear();
        }
    }
}

QString CCampBDArray::FieldValue(int key) const
{
    const qsizetype position = FindPosition(key);
    if (position < 0)
        return QString();
    const Entry &entry = entries_[static_cast<size_t>(position)];
    return entry.record ? records_[entry.record - 1].value : Decoded(entry);
}

void CCampBDArray::VisitFields(
    const std::function<void(int key, const QString &value)> &visit) const
{
    for (const Entry &entry : entries_) {
        if (entry.record != 0) {
            const CCampBD &record = records_[entry.record - 1];
            visit(record.key, record.value);
        } else {
            visit(entry.key, Decoded(entry));
        }
    }
}

namespace {

template <typename Text> void StoreTrimmed(CCampBDArray &fields, int key, Text &&text)
{
    const QStringView trimmed = TrimBlanks(text);
    if (trimmed.isEmpty())
        return;
    QString value;
    if (trimmed.size() == text.size())
        value = std::forward<Text>(text);
    else
        value = trimmed.toString();
    CCampBD *record = fields.FindByKey(key);
    if (!record) {
        record = fields.AddNew();
        record->key = key;
    }
    record->value = std::move(value);
}

} // namespace

void SetFieldText(CCampBDArray &fields, int key, const QString &text)
{
    StoreTrimmed(fields, key, text);
}

void SetFieldText(CCampBDArray &fields, int key, QString &&text)
{
    StoreTrimmed(fields, key, std::move(text));
}

void SetFieldTextByCode(CCampBDArray &fields, const QString &keyText, const QString &text)
{
    SetFieldText(fields, CAtoi(keyText), text);
}

void ClearAccountsFields(CCampBDArray &fields)
{
    fields.ClearValues([](int key) {
        return !(kSharesKeys.Contains(key) || kApplicationKeys.Contains(key) ||
                 kCertificationKeys.Contains(key));
    });
}

void ClearSharesFields(CCampBDArray &fields)
{
    fields.ClearValues([](int key) { return kSharesKeys.Contains(key); });
}

void ClearCertificationFields(CCampBDArray &fields)
{
    fields.ClearValues([](int key) { return kCertificationKeys.Contains(key); });
}

} // namespace vk7
