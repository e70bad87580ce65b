#pragma once

namespace vk7 {

// A drop-down list given an accessible name is read by that name, its
// shown item being its value. Without this a screen reader on Linux hears
// only the item (a toolbar list would say "1" instead of "Página"). Lists
// without an accessible name keep Qt's own reading. Installs once.
void InstallNamedListReading();

} // namespace vk7
