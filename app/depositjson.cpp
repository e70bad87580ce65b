#include "depositjson.h"

#include <algorithm>

#include <QJsonArray>
#include <QJsonDocument>

namespace vk7 {

using namespace Qt::StringLiterals;

void AddLoadedDepositJson(const DepositState &state, QJsonObject *json)
{
    QJsonArray fields;
    state.fields.VisitFields([&fields](int key, const QString &value) {
        fields.append(QJsonArray{key, value});
    });
    json->insert(u"fields"_s, fields);
    AddLoadedFilesJson(state, json);
}

namespace {

// A string as the JSON writer writes it: printable ASCII stands as it is,
// anything else is left to the writer itself.
void AppendJsonString(QByteArray &out, const QString &text)
{
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\';
    });
    if (plain) {
        out += '"';
        out += text.toLatin1();
        out += '"';
        return;
    }
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    out += QByteArrayView(array).sliced(1, array.size() - 2);
}

} // namespace

QByteArray LoadedFieldsJson(const CCampBDArray &fields)
{
    QByteArray out = "[";
    fields.VisitFields([&out](int key, const QString &value) {
        if (out.size() > 1)
            out += ',';
        out += '[';
        out += QByteArray::number(key);
        out += ',';
        AppendJsonString(out, value);
        out += ']';
    });
    out += ']';
    return out;
}

void AddLoadedFilesJson(const DepositState &state, QJsonObject *json)
{
    QJsonObject texts;
    texts.insert(u"MEMORIA.TXT"_s, QJsonArray::fromStringList(state.memoriaPages));
    texts.insert(u"GESTION.TXT"_s, QJsonArray::fromStringList(state.gestionPages));
    texts.insert(u"ACCIONES.TXT"_s, QJsonArray::fromStringList(state.accionesPages));
    texts.insert(u"AMBIENTA.TXT"_s, QJsonArray::fromStringList(state.ambientaPages));
    texts.insert(u"SIMCAV.TXT"_s, QJsonArray::fromStringList(state.simcavPages));
    texts.insert(u"CERTAPRO.TXT"_s, QJsonArray::fromStringList(state.certaproPages));
    json->insert(u"texts"_s, texts);

    QJsonObject images;
    images.insert(u"gestion"_s, QJsonArray::fromStringList(state.gestionImages));
    images.insert(u"memoria"_s, QJsonArray::fromStringList(state.memoriaImages));
    images.insert(u"auditor"_s, QJsonArray::fromStringList(state.auditorImages));
    images.insert(u"anuncio"_s, QJsonArray::fromStringList(state.anuncioImages));
    json->insert(u"images"_s, images);

    json->insert(u"otherDocumentNames"_s, QJsonArray::fromStringList(state.otherDocumentNames));
}

} // namespace vk7
