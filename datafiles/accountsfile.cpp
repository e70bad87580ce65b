#include "accountsfile.h"

#include <cstring>

#include <QSysInfo>
#include <QtEndian>

#include "campbdarray.h"
#include "crtnumbers.h"
#include "reception/codepages.h"
#include "reception/plaintext.h"
#include "reception/textmodereader.h"

namespace vk7 {

using namespace Qt::StringLiterals;

namespace {

constexpr int kLineLimit = 511;          // characters a line read gives at most
constexpr qsizetype kHeaderLength = 277; // 276 characters and the line end
constexpr qsizetype kRecordLength = 53;  // 52 characters and the line end
// The values an accounts file may leave in the store. Six-digit keys bound
// the records to about a million and a half, and ordinary amounts take some
// twenty bytes each; a file beyond this is no set of accounts and is refused.
constexpr qsizetype kMostValueBytes = 32 << 20;

bool IsDecimalCapable(int key)
{
    return kAccountsAmountKeys.Contains(key) || key == 810100 || key == 810110;
}

// Eight ASCII digits read as a number at once (the first one the most
// significant); false when any of them is not a digit.
bool EightDigits(const char *from, quint64 *value)
{
    constexpr quint64 kZeros = 0x3030303030303030ULL;
    constexpr quint64 kHighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
    quint64 word;
    std::memcpy(&word, from, sizeof word);
    if (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        word = qbswap(word);
    // Every byte 0x30 to 0x39: its high nibble is 3, and still is with 6 added.
    if ((word & kHighNibbles) != kZeros ||
        ((word + 0x0606060606060606ULL) & kHighNibbles) != kZeros)
        return false;
    word -= kZeros;
    word = word * 10 + (word >> 8); // pairs of digits
    word = (((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
           32;
    *value = word;
    return true;
}

// Fifteen ASCII digits as a number, read as two overlapping runs of eight.
bool FifteenDigits(const char *from, qint64 *value)
{
    quint64 high = 0;
    quint64 low = 0;
    if (!EightDigits(from, &high) || !EightDigits(from + 7, &low))
        return false;
    *value = static_cast<qint64>(high / 10 * 100000000ULL + low);
    return true;
}

// An amount field as the form pages show it: two decimals only when they are
// not "00" (for the keys that carry decimals at all); a zero amount marked
// "-" has no value. Written into a buffer: this runs for every record.
class AmountText
{
public:
    AmountText(char sign, QByteArrayView field, bool decimals)
    {
        // Fifteen plain digits are a whole number of hundredths, read and
        // rendered without going through the general conversions.
        qint64 hundredths = 0;
        bool plain = field.size() == 15 && FifteenDigits(field.data(), &hundredths);
        amount_ = plain ? static_cast<double>(hundredths) * 0.01 : CAtof(field) * 0.01;
        if (amount_ == 0) {
            if (sign != '-')
                text_[size_++] = '0';
            return;
        }
        if (sign == '-')
            text_[size_++] = '-';
        const auto render = [&](int places) {
            return plain ? FormatHundredths(hundredths, places, text_ + size_)
                         : FormatFixed(amount_, places, text_ + size_);
        };
        int n = render(decimals ? 2 : 0);
        if (decimals && n >= 2 && text_[size_ + n - 1] == '0' && text_[size_ + n - 2] == '0')
            n = render(0);
        size_ += n;
    }
    double Amount() const { return amount_; }
    QByteArrayView View() const { return QByteArrayView(text_, size_); }

private:
    double amount_ = 0;
    char text_[kFixedBufferSize + 1];
    qsizetype size_ = 0;
};

void Store(CCampBDArray &fields, int key, QByteArrayView bytes)
{
    fields.SetFieldBytes(key, bytes);
}

void StoreHeader(CCampBDArray &fields, QByteArrayView line)
{
    ClearAccountsFields(fields);
    Store(fields, 810210, line.sliced(1, 9));
    const QByteArrayView year = line.sliced(10, 4);
    if (CAtoi(year) > 0)
        Store(fields, 810190, year);
    const QByteArrayView number38 = line.sliced(38, 2);
    if (CAtoi(number38) > 0)
        Store(fields, 810270, number38);
    Store(fields, 810220, line.sliced(40, 50));
    Store(fields, 810230, line.sliced(90, 40));
    Store(fields, 810240, line.sliced(130, 30));
    const QByteArrayView number160 = line.sliced(160, 5);
    if (CAtoi(number160) > 0)
        Store(fields, 810250, number160);
    // Prefix and number are joined as decimals without their leading zeros.
    const int prefix = CAtoi(line.sliced(165, 3));
    const int number = CAtoi(line.sliced(168, 7));
    if (number > 0)
        SetFieldText(fields, 810260, QString::number(prefix) + QString::number(number));
    Store(fields, 810280, line.sliced(181, 80));
}

void StoreDate(CCampBDArray &fields, QByteArrayView text, int dayKey, int monthKey, int yearKey)
{
    const QByteArray date = "00000000" + text.toByteArray();
    const qsizetype n = date.size();
    const QByteArrayView day = QByteArrayView(date).sliced(n - 2, 2);
    const QByteArrayView month = QByteArrayView(date).sliced(n - 4, 2);
    const QByteArrayView year = QByteArrayView(date).sliced(n - 8, 4);
    if (CAtoi(day) > 0)
        Store(fields, dayKey, day);
    if (CAtoi(month) > 0)
        Store(fields, monthKey, month);
    if (CAtoi(year) > 0)
        Store(fields, yearKey, year);
}

// A key code as atoi reads it; six digits, nearly every record, at once.
int KeyCode(QByteArrayView text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return CAtoi(text);
        value = value * 10 + (c - '0');
    }
    return value;
}

void StoreDataRecord(CCampBDArray &fields, QByteArrayView line)
{
    const int key = KeyCode(line.sliced(14, 6));
    if (key == 899001 || key == 899002)
        return; // these come from CAUSA.TXT only
    const bool decimals = IsDecimalCapable(key);
    const AmountText firstText(line[20], line.sliced(21, 15), decimals);
    if (key == 810190) {
        StoreDate(fields, firstText.View(), 810030, 810020, 810190);
        return;
    }
    if (key == 810290) {
        StoreDate(fields, firstText.View(), 810130, 810120, 810290);
        return;
    }
    if (kFormMarkKeys.Contains(key)) {
        if (firstText.Amount() != 0)
            Store(fields, key, "X");
        return;
    }
    Store(fields, key, firstText.View());
    if (decimals) {
        Store(fields, key * 10 + 1, AmountText(line[36], line.sliced(37, 15), true).View());
    }
}

// Drops the line end, and only the line end: a last line without one keeps
// all of its characters.
QByteArrayView WithoutLineEnd(QByteArrayView line)
{
    return line.endsWith('\n') ? line.chopped(1) : line;
}

} // namespace

Failure ReadAccounts(CCampBDArray &fields, const QByteArray &hostPath, const QString &name)
{
    TextModeReader file(kLineLimit);
    if (!file.Open(hostPath))
        return file.IoFailure().IsIo() ? file.IoFailure() : CannotReadFailure(u"datos"_s, name);
    bool firstLine = true;
    const qsizetype bytesBefore = fields.ValueBytes();
    QByteArrayView line;
    while (file.ReadLine(&line)) {
        if (firstLine) {
            if (line.size() != kHeaderLength)
                return BadFormatFailure(name);
        } else if (line.size() != kRecordLength) {
            continue;
        }
        // The type is one character read as a number: a digit or 0.
        const int type = line[0] >= '0' && line[0] <= '9' ? line[0] - '0' : 0;
        if (type == 1) {
            if (!firstLine)
                break; // a second header ends the accounts
            firstLine = false;
            StoreHeader(fields, line);
        } else if (type == 2 && !firstLine) {
            StoreDataRecord(fields, line);
            if (fields.ValueBytes() - bytesBefore > kMostValueBytes) {
                ClearAccountsFields(fields);
                return BadFormatFailure(name);
            }
        }
    }
    // What was read is not the whole file.
    return file.IoFailure();
}

Failure ReadCauses(CCampBDArray &fields, const QByteArray &hostPath)
{
    TextModeReader causes(kLineLimit);
    if (!causes.Open(hostPath))
        return causes.IoFailure();
    QByteArrayView line;
    for (int key : {899001, 899002}) {
        if (!causes.ReadLine(&line))
            break;
        Store(fields, key, WithoutLineEnd(line));
    }
    return causes.IoFailure();
}

} // namespace vk7
