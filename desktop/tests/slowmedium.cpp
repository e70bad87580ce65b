// A slow medium for the tests: preloaded into a program, every read() of a
// file under the folder VK7_SLOW_MEDIUM waits VK7_SLOW_MEDIUM_MS
// milliseconds (default 5) first, as a worn diskette or a slow USB stick
// would. Everything else reads as usual.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <unistd.h>

namespace {

bool OnSlowMedium(int fd)
{
    const char *folder = getenv("VK7_SLOW_MEDIUM");
    if (!folder || !*folder)
        return false;
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    return strncmp(path, folder, strlen(folder)) == 0;
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    using Read = ssize_t (*)(int, void *, size_t);
    static const Read next = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "read"));
    if (OnSlowMedium(fd)) {
        const char *ms = getenv("VK7_SLOW_MEDIUM_MS");
        const long wait = ms ? atol(ms) : 5;
        const timespec pause = {wait / 1000, (wait % 1000) * 1000000L};
        nanosleep(&pause, nullptr);
    }
    return next(fd, buffer, count);
}
