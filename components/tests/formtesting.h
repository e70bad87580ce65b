#pragma once

#include <utility>
#include <vector>

#include <QMap>
#include <QString>

#include "components/fieldsource.h"

namespace vk7 {

// A field source for the control's tests: records in insertion order, the
// first record of a key wins, as in the field store.
class TestFieldSource : public IFieldSource
{
public:
    void Set(int key, const QString &value);
    void Append(int key, const QString &value); // a second record under a key
    QString FieldValue(int key) const override;
    void
    VisitFields(const std::function<void(int key, const QString &value)> &visit) const override;
    mutable int visits = 0; // VisitFields calls

private:
    std::vector<std::pair<int, QString>> records_;
    QMap<int, qsizetype> first_;
};

// A deposit of an ordinary form as a clerk would see it: identification,
// dates, staff, units, some balance and profit and loss items, fingerprint.
void FillOrdinaryDeposit(TestFieldSource *fields);

// The glyph string of a text in Code 128 code set B (start B, FNC1, data,
// check, stop), as the frame stores it under 790999.
QString GlyphsCodeB(const QString &text);

// The FORM folder of the source tree, as a host path ending in "/".
QString SourceFormFolder();

} // namespace vk7
