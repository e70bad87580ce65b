#pragma once

#include <stop_token>

#include <QString>

#include "reception/documentkind.h"
#include "reception/failure.h"

namespace vk7 {

struct DepositState;

// Whether every page of a text kind looks like prose:
// a page of more than 3 characters needs at least 7 runs of blanks per 100
// characters (a run counts as one character). False at the first page that
// fails; true for a kind without pages.
// A stop of the running job (`stop`) ends the look.
bool IsPlausibleText(const DepositState &state, DocumentKind kind, std::stop_token stop = {});

// The same count for one page text.
bool IsPlausibleTextPage(const QString &pageText);

// Whether every image file of an image-list kind loads and has pages no wider or higher than 3000
// pixels. Page sizes are read from the files' directories before any page
// is decoded, so an oversized page is refused from its header. A file that
// cannot be loaded (an empty name for a missing page included) stops the
// check with false.
bool IsPlausibleImageList(const DepositState &state, DocumentKind kind);
// The same, with the failure of the machine that kept a file from being
// read (Kind::None when none): the answer is then not the file's.
struct ImageListLook
{
    bool plausible = true;
    Failure failure;
};
ImageListLook LookAtImageList(const DepositState &state, DocumentKind kind);

// Empties the page images the program wrote into the work folder (a
// deposit's own file of such a name stays), then fills
// `state.fileWarnings` with a warning line for each text and image list that
// looks wrong, then one for each item the Open left on the medium
// (`state.notCopied`).
Failure CheckSuspiciousFiles(DepositState &state, std::stop_token stop = {});

} // namespace vk7
