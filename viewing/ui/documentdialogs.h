#pragma once

class QWidget;

namespace vk7 {

struct DepositState;
class IUserInterface;

// An Edit menu command (50020-50030): builds the document dialog of the
// entry with its kind code on the open deposit, runs it modally and discards
// it. False for any other command id.
bool RunEditMenuDialog(int commandId, const DepositState &state, IUserInterface &ui,
                       QWidget *parent);

} // namespace vk7
