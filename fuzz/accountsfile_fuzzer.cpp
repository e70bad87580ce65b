// DATOS.ASC as the load pass reads it into the field store.
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "fuzzsupport.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vk7::fuzz::WriteHostFile(vk7::fuzz::WorkFolder() + u"/DATOS.ASC"_s, data, size);
    vk7::DepositState state;
    vk7::CFileCopyDialog loader(state);
    loader.ReadAccountsFile(u"DATOS.ASC"_s);
    return 0;
}
