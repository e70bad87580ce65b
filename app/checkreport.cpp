#include "checkreport.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include "app/depositjson.h"
#include "datafiles/depositstate.h"
#include "reception/failure.h"
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
        if (!Has(key))
            members_.push_back({key, json, {}});
    }

    // A member whose value is written when the object is, piece by piece.
    void AddStreamed(const QString &key, std::function<bool(const JsonSink &)> value)
    {
        if (!Has(key))
            members_.push_back({key, QByteArray(), std::move(value)});
    }

    // The members on one line, for nested objects.
    QByteArray ToCompactJson() const
    {
        QByteArray out;
        Write(true, false, [&out](QByteArrayView piece) {
            out += piece;
            return true;
        });
        return out;
    }

    QByteArray ToJson(bool compact) const
    {
        QByteArray out;
        Write(compact, true, [&out](QByteArrayView piece) {
            out += piece;
            return true;
        });
        return out;
    }

    // The object as ToJson makes it (`whole`: ended by a line break), into
    // the sink; false when the sink refused a piece.
    bool Write(bool compact, bool whole, const JsonSink &write) const
    {
        if (!write(compact ? "{" : "{\n"))
            return false;
        for (size_t i = 0; i < members_.size(); ++i) {
            const Member &member = members_[i];
            if (i > 0 && !write(compact ? ", " : ",\n"))
                return false;
            if (!write(compact ? "" : "  ") || !write(Encode(QJsonValue(member.key))) ||
                !write(": "))
                return false;
            if (member.streamed ? !member.streamed(write) : !write(member.json))
                return false;
        }
        if (!compact && !members_.empty() && !write("\n"))
            return false;
        return write(whole ? "}\n" : "}");
    }

    static QByteArray Encode(const QJsonValue &value)
    {
        // A text of printable ASCII with nothing to escape is written as it
        // stands, as the JSON writer writes it (names and most values are).
        if (value.isString()) {
            const QString text = value.toString();
            const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
                return c.unicode() >= 0x20 && c.unicode() <= 0x7e && c != u'"' && c != u'\\';
            });
            if (plain)
                return '"' + text.toLatin1() + '"';
        }
        // Else as the only element of an array, brackets removed.
        const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }

private:
    struct Member
    {
        QString key;
        QByteArray json;
        std::function<bool(const JsonSink &)> streamed;
    };

    bool Has(const QString &key) const
    {
        for (const Member &member : members_)
            if (member.key == key)
                return true;
        return false;
    }

    std::vector<Member> members_;
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

QByteArray BuildIoFailureJson(const Failure &failure, const QString &status,
                              const CheckJsonOptions &options)
{
    OrderedJsonObject json;
    AddLeading(json, options);
    json.Add(u"exitCode"_s, 2);
    json.Add(u"openStatus"_s, status);
    OrderedJsonObject io;
    io.Add(u"file"_s, failure.file);
    io.Add(u"systemError"_s, failure.systemError);
    io.Add(u"text"_s, failure.text);
    io.Add(u"message"_s, failure.Message());
    json.AddEncoded(u"ioFailure"_s, io.ToCompactJson());
    return json.ToJson(options.compact);
}

QByteArray BuildCheckJson(const DepositState &state, const ReceptionResult &result,
                          const CheckJsonOptions &options)
{
    QByteArray out;
    WriteCheckJson(state, result, options, [&out](QByteArrayView piece) {
        out += piece;
        return true;
    });
    return out;
}

bool WriteCheckJson(const DepositState &state, const ReceptionResult &result,
                    const CheckJsonOptions &options, const JsonSink &write)
{
    const DepositStateReport &report = result.report;
    OrderedJsonObject json;
    AddLeading(json, options);
    json.Add(u"structureStatus"_s, ManifestVerdictCode(state.structure));
    json.Add(u"completenessStatus"_s, ManifestVerdictCode(state.completeness));
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

    if (options.loaded) {
        // The texts are written page by page, whatever their length.
        QJsonObject loaded;
        AddLoadedDepositJson(state, &loaded, false, false);
        json.AddStreamed(u"fields"_s, [&state](const JsonSink &sink) {
            return WriteFieldsJson(state.fields, sink);
        });
        if (options.texts)
            json.AddStreamed(
                u"texts"_s, [&state](const JsonSink &sink) { return WriteTextsJson(state, sink); });
        json.Add(u"images"_s, loaded.value(u"images"_s));
        for (auto it = loaded.constBegin(); it != loaded.constEnd(); ++it)
            json.Add(it.key(), it.value());
        // Where the deposit and the page images are, on this machine.
        json.Add(u"workFolder"_s, PathResolver::Resolve(WorkFolder().chopped(1)));
    }
    json.Add(u"exitCode"_s, options.exitCode >= 0 ? options.exitCode : report.valid ? 0 : 1);
    json.Add(u"openStatus"_s, QString());
    return json.Write(options.compact, true, write);
}

} // namespace vk7
