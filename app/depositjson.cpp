#include "depositjson.h"

#include <algorithm>

#include <QJsonArray>
#include <QJsonDocument>

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

// The texts by file name, the order QJsonObject keeps its keys in.
QList<const DocumentKindInfo *> TextsByFileName()
{
    QList<const DocumentKindInfo *> texts;
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (!document.depositFile.isEmpty())
            texts.append(&document);
    }
    std::sort(texts.begin(), texts.end(),
              [](const auto *a, const auto *b) { return a->depositFile < b->depositFile; });
    return texts;
}

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
        for (const DocumentKindInfo *text : TextsByFileName())
            members.insert(text->depositFile,
                           QJsonArray::fromStringList(state.Pages(text->kind).ToList()));
        json->insert(u"texts"_s, members);
    }

    QJsonObject images;
    for (const DocumentKindInfo &document : DocumentKinds()) {
        if (document.images)
            images.insert(document.jsonName,
                          QJsonArray::fromStringList(state.Images(document.kind)));
    }
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
    for (const DocumentKindInfo *text : TextsByFileName()) {
        if (!write(firstText ? "{\"" : ",\"") || !write(text->depositFile.toLatin1()) ||
            !write("\":["))
            return false;
        firstText = false;
        const TextPageList &pages = state.Pages(text->kind);
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
