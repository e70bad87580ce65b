#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include "components/fieldsource.h"

namespace vk7 {

// A range of key codes, both ends included.
struct KeyRange
{
    int first;
    int last;
    constexpr bool Contains(int key) const { return key >= first && key <= last; }
};

// The key ranges the system names, by the file or form they belong to.
inline constexpr KeyRange kAccountsAmountKeys{100000, 499999};  // DATOS.ASC's amounts
inline constexpr KeyRange kFormMarkKeys{999000, 999999};        // DATOS.ASC's form marks
inline constexpr KeyRange kSharesKeys{700000, 775220};          // the own-shares model
inline constexpr KeyRange kSharesFileKeys{710000, 775220};      // what ACCIONES.ASC may set
inline constexpr KeyRange kApplicationKeys{780000, 781404};     // the application form
inline constexpr KeyRange kApplicationFileKeys{781001, 781404}; // what INSTANCIA.ASC may set
inline constexpr KeyRange kOtherDocumentKeys{781011, 781099};   // its other documents' names
inline constexpr KeyRange kCertificationKeys{791001, 791010};   // CERTIF.ASC

// One field record: an integer key code and its text value.
class CCampBD
{
public:
    int key = 0;
    QString value;
};

// The field store: records in insertion order, owned by the store, looked up
// by the first record with a key. The index maps a key to its first position;
// keys are set once, right after AddNew, and never changed afterwards.
//
// The readers store their values as the file's bytes (Windows-1252) in one
// buffer; a value becomes a QString only when it is asked for. GetAt and
// FindByKey hand out a CCampBD, made from those bytes on first use and kept
// from then on (its address stays valid until RemoveAll), and that record is
// the value's home afterwards. A lookup may therefore change the store's
// insides: the store is read from one thread at a time. A job that works
// off the window's thread gets a copy of its own: a copy shares nothing with
// the store it was made from.
class CCampBDArray : public IFieldSource
{
public:
    CCampBDArray() = default;
    CCampBDArray(const CCampBDArray &other);
    CCampBDArray &operator=(const CCampBDArray &other);
    CCampBDArray(CCampBDArray &&) noexcept = default;
    CCampBDArray &operator=(CCampBDArray &&) noexcept = default;

    void RemoveAll();
    CCampBD *AddNew();
    CCampBD *GetAt(qsizetype index) const;
    qsizetype GetSize() const { return static_cast<qsizetype>(entries_.size()); }
    CCampBD *FindByKey(int key) const;

    // SetFieldText for bytes of a deposit file (Windows-1252), kept as bytes.
    void SetFieldBytes(int key, QByteArrayView bytes);

    // Bytes taken by the values kept as bytes, room for longer values included:
    // what the readers' bound on a file's values is checked against.
    qsizetype ValueBytes() const { return used_; }

    // Empties the value of every record whose key passes the test; records and
    // their positions stay.
    void ClearValues(bool (*inRange)(int key));

    QString FieldValue(int key) const override;
    void
    VisitFields(const std::function<void(int key, const QString &value)> &visit) const override;

private:
    // A record's place: its key and either its bytes in chunks_ or the CCampBD
    // that holds it (record_ > 0, one more than its index in records_).
    struct Entry
    {
        int key = 0;
        uint32_t offset = 0;
        uint16_t length = 0;
        uint16_t capacity = 0;
        uint32_t record = 0;
    };

    // Keys of the catalogue (0 to 9999999) are indexed directly, in pages of
    // 1024 keys made when a key of theirs is first stored, so a load touches
    // memory in the order of its keys; other keys go to a hash.
    static constexpr int kDirectKeys = 10000000;
    static constexpr int kPageBits = 10;
    void IndexPendingRecords() const;
    qsizetype FindPosition(int key) const;
    CCampBD *Record(qsizetype position) const;
    QString Decoded(const Entry &entry) const;

    static constexpr qsizetype kChunkSize = 1 << 20;
    char *At(uint32_t offset) const;

    // Deques and chunks: a store of a million records grows without copying.
    mutable std::deque<Entry> entries_;
    std::vector<std::unique_ptr<char[]>> chunks_;
    qsizetype used_ = 0; // bytes taken in chunks_, room left at chunk ends included
    mutable std::deque<CCampBD> records_;
    mutable std::vector<std::unique_ptr<uint32_t[]>> pages_; // position + 1, 0 when none
    mutable QHash<int, qsizetype> otherKeys_;
    mutable qsizetype indexedCount_ = 0; // records already in the index
};

// Store operations used by every data-file reader.

// Stores the text, trimmed of spaces at both ends, under the key: an existing
// record of the key gets the new value, else a record is appended. An empty
// result stores nothing and leaves an existing value alone.
void SetFieldText(CCampBDArray &fields, int key, const QString &text);
void SetFieldText(CCampBDArray &fields, int key, QString &&text);

// The same with the key given as decimal text, converted as atol does
// (no digits gives key 0).
void SetFieldTextByCode(CCampBDArray &fields, const QString &keyText, const QString &text);

// Empty the values of a file's key range; records and their positions stay.
// The application form's range is cleared with ClearApplicationFields
// (depositstate.h), which also empties the list of other documents.
void ClearAccountsFields(CCampBDArray &fields);      // all but the other files' ranges
void ClearSharesFields(CCampBDArray &fields);        // kSharesKeys
void ClearCertificationFields(CCampBDArray &fields); // kCertificationKeys

} // namespace vk7
