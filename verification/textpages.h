#pragma once

#include <stop_token>

#include <QString>
#include <QStringList>

#include "reception/documentkind.h"
#include "reception/failure.h"

namespace vk7 {

struct DepositState;

// The folder that receives the generated page images, and into which the
// deposit is copied.
QString PageImageFolder();

// Deletes the page images the program writes into the work folder ("K7.*"),
// sparing a deposit file of such a name that the Open copied.
void RemoveGeneratedPageImages(const DepositState &state);

// Writes the page images of a text document into `folder` (a system path
// with its trailing backslash) as folder + prefix + "%02d". An explicit list
// replaces the kind's own pages; the kind then only selects the prefix.
// A failure for an image set, when a page cannot be created or saved (the
// machine's when it refused a write) and at the clerk's stop.
Failure RenderTextPages(const DepositState &state, DocumentKind kind, const QString &folder,
                        const QStringList *explicitPages = nullptr, std::stop_token stop = {});

} // namespace vk7
