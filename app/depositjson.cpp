#include "depositjson.h"

#include <QJsonArray>

namespace vk7 {

using namespace Qt::StringLiterals;

void AddLoadedDepositJson(const DepositState &state, QJsonObject *json)
{
    QJsonArray fields;
    state.fields.VisitFields([&fields](int key, const QString &value) {
        fields.append(QJsonArray{key, value});
    });
    json->insert(u"fields"_s, fields);

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
