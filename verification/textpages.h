#pragma once

#include <QString>
#include <QStringList>

#include "documentkind.h"

namespace vk7 {

struct DepositState;

// The folder that receives the generated page images, and into which the
// deposit is copied.
QString PageImageFolder();

// Rendered-page prefix of a text kind: memoria "K7.M", management report
// "K7.G", own shares "K7.A", diagnostic sheet "K7.D", environmental report
// "K7.B", SIMCAV report "K7.S", approval certificate "K7.C"; empty for any
// other kind.
QString TextPagePrefix(DocumentKind kind);

// Writes the page images of a text document into `folder` (a system path
// with its trailing backslash) as folder + prefix + "%02d". An explicit list
// replaces the kind's own pages; the kind then only selects the prefix.
// False for an unknown kind or when a page cannot be created or saved.
bool RenderTextPages(const DepositState &state, DocumentKind kind, const QString &folder,
                     const QStringList *explicitPages = nullptr);

} // namespace vk7
