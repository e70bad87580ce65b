#include "depositjson.h"

#include <algorithm>

#include <QJsonArray>
#include <QJsonDocument>

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

struct TextMember
{
    const char *name;
    TextPages DepositState::*pages;
};

// In the order QJsonObject keeps its keys.
constexpr TextMember kTexts[] = {
    {"ACCIONES.TXT", &DepositState::accionesPages}, {"AMBIENTA.TXT", &DepositState::ambientaPages},
    {"CERTAPRO.TXT", &DepositState::certaproPages}, {"GESTION.TXT", &DepositState::gestionPages},
    {"MEMORIA.TXT", &DepositState::memoriaPages},   {"SIMCAV.TXT", &DepositState::simcavPages},
};

// A string as compact JSON, escaped as QJsonDocument escapes it.
QByteArray EncodeString(const QString &text)
{
    if (text.isEmpty())
        return QByteArrayLiteral("\"\"");
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

void AddLoadedDepositJson(const DepositState &state, QJsonObject *json, bool texts, bool fields)
{
    if (fields) {
        QJsonArray records;
        state.fields.VisitFields([&records](int key, const QString &value) {
            records.append(QJsonArray{key, value});
        });
        json->insert(u"fields"_s, records);
    }

    if (texts) {
        QJsonObject members;
        for (const TextMember &text : kTexts)
            members.insert(QLatin1StringView(text.name),
                           QJsonArray::fromStringList((state.*text.pages).ToList()));
        json->insert(u"texts"_s, members);
    }

    QJsonObject images;
    images.insert(u"gestion"_s, QJsonArray::fromStringList(state.gestionImages));
    images.insert(u"memoria"_s, QJsonArray::fromStringList(state.memoriaImages));
    images.insert(u"auditor"_s, QJsonArray::fromStringList(state.auditorImages));
    images.insert(u"anuncio"_s, QJsonArray::fromStringList(state.anuncioImages));
    json->insert(u"images"_s, images);

    json->insert(u"otherDocumentNames"_s, QJsonArray::fromStringList(state.otherDocumentNames));
}

bool WriteFieldsJson(const CCampBDArray &fields, const JsonSink &write)
{
    constexpr qsizetype kBlock = 1 << 16;
    QByteArray block = "[";
    bool first = true;
    bool written = true;
    fields.VisitFields([&](int key, const QString &value) {
        if (!written)
            return;
        block += first ? "[" : ",[";
        first = false;
        block += QByteArray::number(key);
        block += ',';
        // Printable ASCII, nearly every value, stands as it is; anything else
        // is escaped by the JSON writer itself.
        const bool plain = std::all_of(value.cbegin(), value.cend(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\';
        });
        if (plain)
            block += '"' + value.toLatin1() + '"';
        else
            block += EncodeString(value);
        block += ']';
        if (block.size() >= kBlock) {
            written = write(block);
            block.clear();
        }
    });
    block += ']';
    return written && write(block);
}

bool WriteTextsJson(const DepositState &state, const JsonSink &write)
{
    bool firstText = true;
    for (const TextMember &text : kTexts) {
        if (!write(firstText ? "{\"" : ",\"") || !write(text.name) || !write("\":["))
            return false;
        firstText = false;
        const TextPages &pages = state.*text.pages;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if ((i > 0 && !write(",")) || !write(EncodeString(pages.at(i))))
                return false;
        }
        if (!write("]"))
            return false;
    }
    return write("}");
}

} // namespace vk7
