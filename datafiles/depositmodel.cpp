#include "depositmodel.h"

namespace vk7 {

DepositModel::DepositModel(QObject *parent) : QObject(parent) {}

void DepositModel::NotifyChanged()
{
    Q_EMIT changed();
}

void DepositModel::SetPrinterChosen(bool chosen)
{
    if (frame_.printerChosen == chosen)
        return;
    frame_.printerChosen = chosen;
    Q_EMIT changed();
}

} // namespace vk7
