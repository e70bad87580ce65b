#include "fieldstore.h"

#include "crtnumbers.h"

namespace vk7 {

void CCampBDArray::RemoveAll()
{
    records_.clear();
    firstPosition_.clear();
    indexed_ = 0;
}

CCampBD *CCampBDArray::AddNew()
{
    records_.push_back(std::make_unique<CCampBD>());
    return records_.back().get();
}

CCampBD *CCampBDArray::FindByKey(int key) const
{
    // Records appended since the last lookup join the index first; a key
    // already indexed keeps its first position.
    for (; indexed_ < GetSize(); ++indexed_) {
        const int indexedKey = records_[static_cast<size_t>(indexed_)]->key;
        if (!firstPosition_.contains(indexedKey))
            firstPosition_.insert(indexedKey, indexed_);
    }
    const auto it = firstPosition_.constFind(key);
    if (it == firstPosition_.constEnd())
        return nullptr;
    return records_[static_cast<size_t>(*it)].get();
}

QString CCampBDArray::FieldValue(int key) const
{
    const CCampBD *record = FindByKey(key);
    return record ? record->value : QString();
}

void CCampBDArray::VisitFields(const std::function<void(int key, const QString &value)> &visit) const
{
    for (const auto &record : records_)
        visit(record->key, record->value);
}

void TrimSpaces(QString &text, bool fromEnd)
{
    if (fromEnd) {
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u' ')
            --end;
        text.truncate(end);
    } else {
        qsizetype start = 0;
        while (start < text.size() && text.at(start) == u' ')
            ++start;
        text.remove(0, start);
    }
}

void SetFieldText(CCampBDArray &fields, int key, const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    qsizetype start = 0;
    while (start < end && text.at(start) == u' ')
        ++start;
    if (start == end)
        return;
    QString value = (start == 0 && end == text.size()) ? text : text.sliced(start, end - start);
    if (CCampBD *record = fields.FindByKey(key)) {
        record->value = std::move(value);
        return;
    }
    CCampBD *record = fields.AddNew();
    record->key = key;
    record->value = std::move(value);
}

void SetFieldTextByCode(CCampBDArray &fields, const QString &keyText, const QString &text)
{
    // Only ASCII can form a number; anything else ends it like a non-digit.
    QByteArray ascii;
    ascii.reserve(keyText.size());
    for (const QChar c : keyText)
        ascii.append(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : 'x');
    SetFieldText(fields, CAtoi(ascii), text);
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
