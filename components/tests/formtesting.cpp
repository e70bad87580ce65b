#include "formtesting.h"

#include "components/code128.h"

using namespace Qt::StringLiterals;

namespace vk7 {

void TestFieldSource::Set(int key, const QString &value)
{
    const auto it = first_.constFind(key);
    if (it != first_.constEnd()) {
        records_[static_cast<size_t>(*it)].second = value;
        return;
    }
    Append(key, value);
}

void TestFieldSource::Append(int key, const QString &value)
{
    if (!first_.contains(key))
        first_.insert(key, static_cast<qsizetype>(records_.size()));
    records_.emplace_back(key, value);
}

QString TestFieldSource::FieldValue(int key) const
{
    const auto it = first_.constFind(key);
    return it == first_.constEnd() ? QString() : records_[static_cast<size_t>(*it)].second;
}

void TestFieldSource::VisitFields(
    const std::function<void(int key, const QString &value)> &visit) const
{
    ++visits;
    for (const auto &[key, value] : records_)
        visit(key, value);
}

void FillOrdinaryDeposit(TestFieldSource *fields)
{
    fields->Set(810210, u"A28015865"_s);
    fields->Set(810220, u"CONSTRUCCIONES Y MONTAJES DEL NORTE, S.A."_s);
    fields->Set(810230, u"CALLE MAYOR, 12, 3º IZQUIERDA"_s);
    fields->Set(810240, u"VALLADOLID"_s);
    fields->Set(810250, u"47001"_s);
    fields->Set(810260, u"983123456"_s);
    fields->Set(810010, u"4521"_s);
    fields->Set(810190, u"2001"_s);
    fields->Set(810020, u"12"_s);
    fields->Set(810030, u"31"_s);
    fields->Set(810290, u"2001"_s);
    fields->Set(810120, u"01"_s);
    fields->Set(810130, u"01"_s);
    fields->Set(810100, u"42.5"_s);
    fields->Set(8101001, u"40"_s);
    fields->Set(810110, u"7"_s);
    fields->Set(8101101, u"9.25"_s);
    fields->Set(999021, u"X"_s);
    fields->Set(999111, u"X"_s);
    fields->Set(999211, u"X"_s);
    fields->Set(781010, u"P"_s);
    const int items[] = {110000, 111000, 112000, 120000, 130000, 131000, 150000, 180000};
    long long amount = 1234567;
    for (int key : items) {
        fields->Set(key, QString::number(amount) + u".50"_s);
        fields->Set(key * 10 + 1, QString::number(amount - 98765));
        amount = amount * 3 / 2;
    }
    fields->Set(210000, u"98000000"_s);
    fields->Set(2100001, u"98000000"_s);
    fields->Set(240000, u"-1500.75"_s);
    fields->Set(300000, u"5400000"_s);
    fields->Set(400000, u"6100000.10"_s);
    fields->Set(790998, u"7B3KQ9M2XZ5RT8VH4NP6DCFJ2E"_s);
    fields->Set(790999, GlyphsCodeB(fields->FieldValue(790998)));
}

// The glyph string of a text in code set B, built from the glyph tables
// (start B, FNC1, data, check, stop), as the frame stores it under 790999.
QString GlyphsCodeB(const QString &text)
{
    const QStringList &table = Code128SymbolTable();
    QString glyphs;
    auto add = [&](int value) {
        const QString pattern = table.at(value);
        glyphs += FirstTripletGlyphs().value(pattern.left(3));
        glyphs += SecondTripletGlyphs().value(pattern.mid(3));
    };
    add(104);
    add(102);
    int sum = 104 + 102;
    for (int i = 0; i < text.size(); ++i) {
        const int value = text.at(i).unicode() - 32;
        add(value);
        sum += value * (i + 2);
    }
    add(sum % 103);
    glyphs += QChar(kCode128StopGlyph);
    return glyphs;
}

QString SourceFormFolder()
{
    return QStringLiteral(VK7_SOURCE_DIR "/FORM/");
}

} // namespace vk7
