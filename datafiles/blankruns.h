#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace vk7 {

// The count by which a page text is judged prose: every character other
// than blank, carriage return and line feed counts as one character; every
// run of blanks counts as one character and one run. A page of more than 3
// characters needs at least 7 runs per 100 characters. Only those three
// ASCII characters matter, and both code pages of the deposit's texts keep
// them as they are, so a page's stored bytes count as its decoded text does.
class BlankRunTally
{
public:
    // More of the same page.
    void Add(QByteArrayView bytes);
    void Add(QStringView text);
    void Add(char byte);

    // Whether the page counted so far looks like prose.
    bool LooksLikeProse() const;
    void Clear() { *this = BlankRunTally(); }

private:
    long long others_ = 0; // characters other than blank, CR and LF
    long long runs_ = 0;
    bool lastBlank_ = false;
};

} // namespace vk7
