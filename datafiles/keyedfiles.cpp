#include "keyedfiles.h"

#include "reception/codepages.h"
#include "reception/plaintext.h"
#include "reception/textmodereader.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

// An application form names at most 89 other documents (keys 781011 to
// 781099, each once). A file that names more than this is no application
// form and would fill the memory with names, one per short line: it is
// refused whole with the format error, its range left empty as if it had
// not been read.
constexpr qsizetype kMostOtherDocuments = 1000;

// The values a keyed file may leave in the store: thousands of full lines,
// where real files hold a few hundred short values. More is refused the same
// way, so that a huge file costs bounded memory.
constexpr qsizetype kMostValueBytes = 4 << 20;

void ClearRange(DepositState &state, KeyedFile which)
{
    switch (which) {
    case KeyedFile::Shares:
        ClearSharesFields(state.fields);
        break;
    case KeyedFile::Certification:
        ClearCertificationFields(state.fields);
        break;
    case KeyedFile::Application:
        ClearApplicationFields(state);
        break;
    }
}

void StoreApplicationCode(CCampBDArray &fields, QByteArrayView code);

// What the status line says is being read.
QString KeyedFileWhat(KeyedFile which)
{
    switch (which) {
    case KeyedFile::Shares:
        return u"acciones"_s;
    case KeyedFile::Certification:
        return u"certificación"_s;
    case KeyedFile::Application:
        break;
    }
    return u"instancia"_s;
}

} // namespace

Failure ReadKeyedValues(DepositState &state, KeyedFile which, const QByteArray &hostPath,
                        const QString &name)
{
    TextModeReader file(511); // characters a line read gives at most
    if (!file.Open(hostPath))
        return file.IoFailure().IsIo() ? file.IoFailure()
                                       : CannotReadFailure(KeyedFileWhat(which), name);
    CCampBDArray &fields = state.fields;
    ClearRange(state, which);
    const qsizetype bytesBefore = fields.ValueBytes();

    QByteArrayView line;
    while (file.ReadLine(&line)) {
        if (line == "\n")
            continue;
        if (line.size() < 10)
            return BadFormatFailure(name);
        if (CAtoi(line.first(2)) != 2)
            continue;
        int key = CAtoi(line.sliced(2, 7));
        // The value runs to the line end; a last line without one keeps its
        // last character.
        QByteArrayView value = line.sliced(9);
        if (value.endsWith('\n'))
            value.chop(1);

        switch (which) {
        case KeyedFile::Shares:
            if (!kSharesFileKeys.Contains(key))
                continue;
            if (key == kSharesFileKeys.first) {
                // The file counts one more than the form holds.
                const long long held = static_cast<long long>(CAtoi(value)) - 1;
                fields.SetFieldBytes(key, QByteArray::number(held));
                continue;
            }
            if (key <= 719999 && key % 10 == 0)
                key -= 10000;
            break;
        case KeyedFile::Certification:
            if (!kCertificationKeys.Contains(key))
                continue;
            break;
        case KeyedFile::Application:
            if (!kApplicationFileKeys.Contains(key))
                continue;
            if (key == 781010) {
                StoreApplicationCode(fields, value);
                continue;
            }
            if (kOtherDocumentKeys.Contains(key)) {
                if (state.otherDocumentNames.size() == kMostOtherDocuments) {
                    ClearRange(state, which);
                    return BadFormatFailure(name);
                }
                state.otherDocumentNames.append(DecodeWindows1252(value));
            }
            break;
        }
        fields.SetFieldBytes(key, value);
        if (fields.ValueBytes() - bytesBefore > kMostValueBytes) {
            ClearRange(state, which);
            return BadFormatFailure(name);
        }
    }
    // What was read is not the whole file.
    return file.IoFailure();
}

namespace {

void StoreApplicationCode(CCampBDArray &fields, QByteArrayView code)
{
    // Sixteen positions, padded with "0" on the right; a longer code is used
    // as it stands.
    char at[16];
    for (qsizetype i = 0; i < 16; ++i)
        at[i] = i < code.size() ? code[i] : '0';

    fields.SetFieldBytes(781010, QByteArrayView(at, 1));
    const auto mark = [&fields](int key) { fields.SetFieldBytes(key, "X"); };
    // Positions whose choices are "1" and "2", then those whose are "1"/"0".
    const auto choice = [&](int position, char one, int oneKey, char other, int otherKey) {
        if (at[position] == one)
            mark(oneKey);
        else if (at[position] == other)
            mark(otherKey);
    };
    choice(1, '1', 780801, '2', 780802);
    choice(2, '1', 780803, '2', 780804);
    choice(3, '1', 780805, '2', 780806);
    choice(4, '1', 780807, '0', 780808);
    choice(5, '1', 780809, '0', 780810);
    if (at[6] == '1')
        mark(780800);
    if (at[7] == '1')
        mark(780811);
    choice(8, '1', 780812, '0', 780813);
    if (at[9] >= '0' && at[9] <= '8' && at[10] >= '0' && at[10] <= '9')
        fields.SetFieldBytes(780814, QByteArrayView(at + 9, 2));
    choice(11, '1', 780817, '0', 780818);
    choice(12, '1', 780815, '0', 780816);
    choice(13, '1', 780823, '0', 780824);
    choice(14, '1', 780819, '0', 780820);
    choice(15, '1', 780821, '0', 780822);
}

} // namespace

} // namespace vk7
