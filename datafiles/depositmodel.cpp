#include "depositmodel.h"

namespace vk7 {

DepositModel::DepositModel(QObject *parent) : QObject(parent) {}

void DepositModel::NotifyChanged()
{
    Q_EMIT changed();
}

} // namespace vk7
