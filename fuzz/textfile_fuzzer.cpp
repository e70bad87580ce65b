// A deposit text (MEMORIA.TXT) as the load pass reads it: pages cut at form
// feeds, each decoded from code page 850 or Windows-1252 as it looks, then
// the prose check the diagnosis runs on every page.
#include "datafiles/depositstate.h"
#include "datafiles/filecopydialog.h"
#include "fuzzsupport.h"
#include "verification/plausibility.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vk7::fuzz::WriteHostFile(vk7::fuzz::WorkFolder() + u"/MEMORIA.TXT"_s, data, size);
    vk7::DepositState state;
    vk7::CFileCopyDialog loader(state);
    loader.ReadTextFile(u"MEMORIA.TXT"_s, state.Pages(vk7::DocumentKind::MemoriaText));
    vk7::IsPlausibleText(state, vk7::DocumentKind::MemoriaText);
    return 0;
}
