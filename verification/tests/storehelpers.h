#pragma once

#include <initializer_list>
#include <ostream>
#include <utility>

#include <QString>

#include "datafiles/campbdarray.h"

// Readable failures for texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vk7::testing {

// Appends records to a store as the readers would, in the order given.
inline void AddFields(CCampBDArray *fields, std::initializer_list<std::pair<int, QString>> records)
{
    for (const auto &[key, value] : records) {
        CCampBD *record = fields->AddNew();
        record->key = key;
        record->value = value;
    }
}

} // namespace vk7::testing
