#include "checkreport.h"

#include <utility>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include "app/depositjson.h"
#include "datafiles/depositstate.h"
#include "reception/paths.h"
#include "receptionchain.h"
#include "verification/depositdocuments.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

// QJsonObject sorts its keys; the checker's members keep their own order.
class OrderedJsonObject
{
public:
    void Add(const QString &key, const QJsonValue &value) { AddEncoded(key, Encode(value)); }

    // A member whose value is already JSON text.
    void AddEncoded(const QString &key, const QByteArray &json)
    {
        for (const auto &member : members_)
            if (member.first == key)
                return;
        members_.emplace_back(key, json);
    }

    // The members on one line, for nested objects.
    QByteArray ToCompactJson() const
    {
        QByteArray out = "{";
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i > 0)
                out += ", ";
            out += Encode(QJsonValue(members_[i].first)) + ": " + members_[i].second;
        }
        return out + "}";
    }

    QByteArray ToJson(bool compact) const
    {
        if (compact)
            return ToCompactJson() + "\n";
        QByteArray out = "{\n";
        for (size_t i = 0; i < members_.size(); ++i) {
            out += "  " + Encode(QJsonValue(members_[i].first)) + ": " + members_[i].second;
            out += i + 1 < members_.size() ? ",\n" : "\n";
        }
        out += "}\n";
        return out;
    }

    static QByteArray Encode(const QJsonValue &value)
    {
        // A value is written as the only element of an array, brackets removed.
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }

private:
    std::vector<std::pair<QString, QByteArray>> members_;
};

QJsonArray ToArray(const QStringList &texts)
{
    QJsonArray array;
    for (const QString &text : texts)
        array.append(text);
    return array;
}

void AddLeading(OrderedJsonObject &json, const CheckJsonOptions &options)
{
    for (const auto &member : options.leading)
        json.Add(member.first, member.second);
}

} // namespace

QByteArray BuildOpenFailureJson(const QString &status, const CheckJsonOptions &options)
{
    OrderedJsonObject json;
    AddLeading(json, options);
    json.Add(u"valid"_s, false);
    json.Add(u"exitCode"_s, 2);
    json.Add(u"openStatus"_s, status);
    return json.ToJson(options.compact);
}

QByteArray BuildCheckJson(const DepositState &state, const ReceptionResult &result,
                          const CheckJsonOptions &options)
{
    const DepositStateReport &report = result.report;
    OrderedJsonObject json;
    AddLeading(json, options);
    json.Add(u"structureStatus"_s, state.structureStatus);
    json.Add(u"completenessStatus"_s, state.completenessStatus);
    json.Add(u"missingFiles"_s, ToArray(options.missingFiles));
    json.Add(u"unlistedFiles"_s, ToArray(options.unlistedFiles));
    json.Add(u"formIdentified"_s, state.formIdentified);
    json.Add(u"formName"_s, state.formName);
    json.Add(u"formError"_s, state.formError);
    json.Add(u"form"_s, report.form);
    json.Add(u"currency"_s, report.currency);
    json.Add(u"fingerprint"_s, state.fingerprint);
    json.Add(u"computedFingerprint"_s, report.computedFingerprint
                                           ? QJsonValue(*report.computedFingerprint)
                                           : QJsonValue(QJsonValue::Null));
    json.Add(u"fingerprintVerdict"_s, report.fingerprintVerdict);
    json.Add(u"primaryErrors"_s, ToArray(report.primaryErrors));
    json.Add(u"implicitErrors"_s, ToArray(report.implicitErrors));
    json.Add(u"errorRecords"_s, ToArray(FormatErrorRecords(report.errorRecords)));
    json.Add(u"otherDocumentNames"_s, ToArray(state.otherDocumentNames));
    OrderedJsonObject available;
    for (int i = 0; i < kPrintableDocumentCount; ++i)
        available.Add(PrintableDocumentCaption(static_cast<PrintableDocument>(i)),
                      report.available[static_cast<size_t>(i)]);
    json.AddEncoded(u"available"_s, available.ToCompactJson());
    json.Add(u"valid"_s, report.valid);
    json.Add(u"fileWarnings"_s, report.fileWarnings);
    json.Add(u"diagnosticSheet"_s, report.sheet);

    QJsonObject loaded;
    AddLoadedDepositJson(state, &loaded);
    if (!options.texts)
        loaded.remove(u"texts"_s);
    for (const QString &key : {u"fields"_s, u"texts"_s, u"images"_s})
        if (loaded.contains(key))
            json.Add(key, loaded.value(key));
    for (auto it = loaded.constBegin(); it != loaded.constEnd(); ++it)
        json.Add(it.key(), it.value());
    // Where the deposit and the page images are, on this machine.
    json.Add(u"workFolder"_s, PathResolver::Resolve(WorkFolder().chopped(1)));
    json.Add(u"exitCode"_s, options.exitCode >= 0 ? options.exitCode : report.valid ? 0 : 1);
    json.Add(u"openStatus"_s, QString());
    return json.ToJson(options.compact);
}

} // namespace vk7
