#pragma once

#include <QJsonObject>

#include "datafiles/depositstate.h"

namespace vk7 {

// Adds what the load pass put into the deposit state: "fields" as [key,
// value] pairs in store order (empty values included), "texts" by file name
// as page lists, "images" by set as name lists ("" for a missing page) and
// "otherDocumentNames".
void AddLoadedDepositJson(const DepositState &state, QJsonObject *json);

// The same "fields" array as compact JSON text, written record by record: a
// store can hold over a million records, and a QJsonArray of them costs many
// times its text.
QByteArray LoadedFieldsJson(const CCampBDArray &fields);

// AddLoadedDepositJson without "fields".
void AddLoadedFilesJson(const DepositState &state, QJsonObject *json);

} // namespace vk7
