#include "textpages.h"

#include "datafiles/depositstate.h"
#include "viewing/textpagerenderer.h"

namespace vk7 {

using namespace Qt::StringLiterals;

QString PageImageFolder()
{
    return WorkFolder();
}

QString TextPagePrefix(int kind)
{
    switch (kind) {
    case 5:
        return u"K7.M"_s;
    case 6:
        return u"K7.G"_s;
    case 7:
        return u"K7.A"_s;
    case 10:
        return u"K7.D"_s;
    case 17:
        return u"K7.B"_s;
    case 18:
        return u"K7.S"_s;
    case 19:
        return u"K7.C"_s;
    default:
        return QString();
    }
}

const QStringList *TextPagesOfKind(const DepositState &state, int kind)
{
    switch (kind) {
    case 5:
        return &state.memoriaPages;
    case 6:
        return &state.gestionPages;
    case 7:
        return &state.accionesPages;
    case 10:
        return &state.diagnosticText;
    case 17:
        return &state.ambientaPages;
    case 18:
        return &state.simcavPages;
    case 19:
        return &state.certaproPages;
    default:
        return nullptr;
    }
}

bool RenderTextPages(const DepositState &state, int kind, const QString &folder,
                     const QStringList *explicitPages)
{
    const QString prefix = TextPagePrefix(kind);
    const QStringList *pages = TextPagesOfKind(state, kind);
    if (prefix.isEmpty() || !pages)
        return false;
    return RenderTextPageFiles(explicitPages ? *explicitPages : *pages, folder, prefix);
}

} // namespace vk7
