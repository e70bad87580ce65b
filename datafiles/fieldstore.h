#pragma once

#include "components/fieldsource.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace vk7 {

// One field record: an integer key code and its text value.
class CCampBD
{
public:
    int key = 0;
    QString value;
};

// The field store: records in insertion order, owned by the store, looked up
// by the first record with a key. The index maps a key to its first position;
// keys are set once, right after AddNew, and never changed afterwards.
class CCampBDArray : public IFieldSource
{
public:
    CCampBDArray() = default;
    CCampBDArray(const CCampBDArray &) = delete;
    CCampBDArray &operator=(const CCampBDArray &) = delete;

    void RemoveAll();
    CCampBD *AddNew();
    CCampBD *GetAt(qsizetype index) const { return records_[static_cast<size_t>(index)].get(); }
    qsizetype GetSize() const { return static_cast<qsizetype>(records_.size()); }
    CCampBD *FindByKey(int key) const;

    QString FieldValue(int key) const override;
    void VisitFields(const std::function<void(int key, const QString &value)> &visit) const override;

private:
    std::vector<std::unique_ptr<CCampBD>> records_;
    mutable QHash<int, qsizetype> firstPosition_;
    mutable qsizetype indexed_ = 0;
};

} // namespace vk7
