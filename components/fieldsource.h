#pragma once

#include <functional>

#include <QString>

namespace vk7 {

// What the form viewer reads the deposit's fields from: the field store,
// seen from below so that the viewer does not depend on the data files.
class IFieldSource
{
public:
    virtual ~IFieldSource() = default;
    // The value of the first record with the key; empty when there is none.
    virtual QString FieldValue(int key) const = 0;
    // Every record in store order, records with empty values included.
    virtual void
    VisitFields(const std::function<void(int key, const QString &value)> &visit) const = 0;
};

} // namespace vk7
