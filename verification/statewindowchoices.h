#pragma once

#include <array>
#include <vector>

#include <QString>

#include "depositdocuments.h"

namespace vk7 {

struct DepositStateReport;

// The ten print choices in the state window's order: "Hoja de Diagnóstico",
// then the nine documents of PrintableDocument. This is also the order in
// which "&Imprimir" hands them to the print output.
using PrintChoices = std::array<bool, kPrintChoiceCount>;

// One value line of the state window: its caption, its text and its control.
struct StateWindowLine
{
    int controlId = 0;
    QString caption;
    QString value;
};

// One check box of the state window.
struct StateWindowCheck
{
    int controlId = 0;
    QString caption;
    bool enabled = false;
    bool ticked = false;
};

// What the state window shows and what the clerk may change in it, decided
// from the diagnosis: captions, availability and the initial ticks. An
// unavailable document cannot be ticked, and the diagnostic sheet keeps its
// tick whatever the clerk clicks, so it is always printed.
class StateWindowChoices
{
public:
    explicit StateWindowChoices(const DepositStateReport &report);

    QString Title() const { return title_; }
    // Signature, verdicts and counts, in the window's reading order.
    const std::vector<StateWindowLine> &Lines() const { return lines_; }
    QString OtherDocumentsCount() const { return otherCount_; }
    const QStringList &OtherDocuments() const { return otherDocuments_; }

    StateWindowCheck Check(int index) const;
    // The clerk ticks or unticks a box: the diagnostic sheet's box and the
    // unavailable ones keep their state. Returns the box's tick afterwards.
    bool SetTicked(int index, bool ticked);
    const PrintChoices &Ticks() const { return ticks_; }

private:
    QString title_;
    std::vector<StateWindowLine> lines_;
    QString otherCount_;
    QStringList otherDocuments_;
    PrintChoices enabled_{};
    PrintChoices ticks_{};
};

// The check-box caption and control id of each print choice.
QString PrintChoiceCaption(int index);
int PrintChoiceControlId(int index);

} // namespace vk7
