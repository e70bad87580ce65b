#pragma once

#include <functional>

#include <QByteArrayView>
#include <QJsonObject>

#include "datafiles/depositstate.h"

namespace vk7 {

// Where JSON text is written piece by piece; false when it can take no more.
using JsonSink = std::function<bool(QByteArrayView)>;

// Adds what the load pass put into the deposit state: "fields" as [key,
// value] pairs in store order (empty values included), "texts" by file name
// as page lists (unless left out; they are then held whole, which suits
// tests and small deposits only: the checker writes them with
// WriteTextsJson), "images" by set as name lists ("" for a missing page) and
// "otherDocumentNames".
// "fields" can be left out the same way; the checker writes them with
// WriteFieldsJson.
void AddLoadedDepositJson(const DepositState &state, QJsonObject *json, bool texts = true,
                          bool fields = true);

// The value of "fields", as compact JSON the same as AddLoadedDepositJson's,
// written a block of records at a time: a store can hold over a million
// records, and a QJsonArray of them costs many times its text. False when
// the sink refused a piece.
bool WriteFieldsJson(const CCampBDArray &fields, const JsonSink &write);

// The value of "texts", as compact JSON the same as AddLoadedDepositJson's,
// written one page at a time so that no text is ever held whole. False when
// the sink refused a piece.
bool WriteTextsJson(const DepositState &state, const JsonSink &write);

} // namespace vk7
