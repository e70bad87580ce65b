#pragma once

#include <QString>
#include <QStringList>

namespace vk7 {

struct DepositState;

// The folder that receives the generated page images, and into which the
// deposit is copied.
QString PageImageFolder();

// Rendered-page prefix of a text kind: 5 "K7.M", 6 "K7.G", 7 "K7.A",
// 10 "K7.D", 17 "K7.B", 18 "K7.S", 19 "K7.C"; empty for any other kind.
QString TextPagePrefix(int kind);

// The deposit's page list of a text kind (10 is the diagnostic sheet), or
// null for any other kind.
const QStringList *TextPagesOfKind(const DepositState &state, int kind);

// Writes the page images of a text document into `folder` (a system path
// with its trailing backslash) as folder + prefix + "%02d". An explicit list
// replaces the kind's own pages; the kind then only selects the prefix.
// False for an unknown kind or when a page cannot be created or saved.
bool RenderTextPages(const DepositState &state, int kind, const QString &folder,
                     const QStringList *explicitPages = nullptr);

} // namespace vk7
