#include "fieldstore.h"

#include "reception/plaintext.h"

namespace vk7 {

void CCampBDArray::RemoveAll()
{
    records_.clear();
    pages_.clear();
    otherKeys_.clear();
    indexedCount_ = 0;
}

CCampBD *CCampBDArray::AddNew()
{
    return &records_.emplace_back();
}

void CCampBDArray::IndexPendingRecords() const
{
    // Records appended since the last lookup join the index; a key already
    // indexed keeps its first position.
    for (; indexedCount_ < GetSize(); ++indexedCount_) {
        // Usually only the last record is new.
        const int key = indexedCount_ + 1 == GetSize()
                            ? records_.back().key
                            : records_[static_cast<size_t>(indexedCount_)].key;
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

CCampBD *CCampBDArray::FindByKey(int key) const
{
    IndexPendingRecords();
    if (key < 0 || key >= kDirectKeys) {
        const auto it = otherKeys_.constFind(key);
        return it == otherKeys_.constEnd() ? nullptr : GetAt(*it);
    }
    if (pages_.empty())
        return nullptr;
    const uint32_t *page = pages_[static_cast<size_t>(key >> kPageBits)].get();
    if (!page)
        return nullptr;
    const uint32_t slot = page[key & ((1 << kPageBits) - 1)];
    return slot ? GetAt(slot - 1) : nullptr;
}

QString CCampBDArray::FieldValue(int key) const
{
    const CCampBD *record = FindByKey(key);
    return record ? record->value : QString();
}

void CCampBDArray::VisitFields(
    const std::function<void(int key, const QString &value)> &visit) const
{
    for (const CCampBD &record : records_)
        visit(record.key, record.value);
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

namespace {

template <typename InRange> void ClearValues(CCampBDArray &fields, InRange inRange)
{
    for (qsizetype i = 0; i < fields.GetSize(); ++i) {
        CCampBD *record = fields.GetAt(i);
        if (record && inRange(record->key))
            record->value.clear();
    }
}

} // namespace

void ClearAccountsFields(CCampBDArray &fields)
{
    ClearValues(fields, [](int key) {
        return !((key >= 700000 && key <= 775220) || (key >= 780000 && key <= 781404) ||
                 (key >= 791001 && key <= 791010));
    });
}

void ClearSharesFields(CCampBDArray &fields)
{
    ClearValues(fields, [](int key) { return key >= 700000 && key <= 775220; });
}

void ClearCertificationFields(CCampBDArray &fields)
{
    ClearValues(fields, [](int key) { return key >= 791001 && key <= 791010; });
}

} // namespace vk7
