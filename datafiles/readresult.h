#pragma once

namespace vk7 {

// How a data-file reader ended.
enum class ReadResult {
    Read,       // the file was read into the store
    CannotOpen, // missing, or not a regular file
    BadFormat   // a line of the wrong shape stopped the reading
};

} // namespace vk7
