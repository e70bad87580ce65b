#pragma once

#include <stop_token>

#include <QByteArray>
#include <QString>

#include "depositstate.h"

namespace vk7 {

// Reads a text document (MEMORIA.TXT and the like) as pages: a form feed
// ends a page (with the CR LF right after it), a page without one is cut
// once it reaches 25,000 characters, zero bytes are dropped. Only the page
// index is built (the file is read once, in blocks); `pages` is replaced
// only when the file opens. A content failure when it is not a file that
// opens; the machine's when it refused (the pages are then not the whole
// text); the clerk's stop when it cut the index short.
Failure ReadTextPages(const QByteArray &hostPath, TextPageList &pages, std::stop_token stop = {});

// Places the work folder's page images that match the pattern in the
// deposit's image lists by family (ANUNCIO*, AUDITOR*, extension M or G) and
// by the number in their last two characters (1 to 99). False when nothing
// matches.
bool ListPageImages(DepositState &state, const QString &filePattern);

} // namespace vk7
