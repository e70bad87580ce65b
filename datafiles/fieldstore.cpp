#include "fieldstore.h"

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

} // namespace vk7
