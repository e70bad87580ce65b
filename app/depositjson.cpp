#include "depositjson.h"

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

void AddLoadedDepositJson(const DepositState &state, QJsonObject *json, bool texts)
{
    QJsonArray fields;
    for (qsizetype i = 0; i < state.fields.GetSize(); ++i) {
        const CCampBD *record = state.fields.GetAt(i);
        if (record)
            fields.append(QJsonArray{record->key, record->value});
    }
    json->insert(u"fields"_s, fields);

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
