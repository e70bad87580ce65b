// vk7_peakmemory RESULT PROGRAM [ARGUMENT...]
//
// Runs PROGRAM and writes its peak resident memory (KiB, as wait4 reports it)
// to the file RESULT, then exits as PROGRAM did (128 + signal when killed).
//
// A test cannot measure a child it forks itself: the kernel counts the pages
// the child shared with its parent at the fork as the child's own, so a test
// that has grown (writing big deposits, or under AddressSanitizer) would see
// its own size in every figure. This small program forks from its own small
// memory instead. If it is killed (a test's timeout), its child is killed too.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t child = -1;

void Forward(int signal)
{
    if (child > 0)
        ::kill(child, signal);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "uso: vk7_peakmemory RESULTADO PROGRAMA [ARGUMENTO...]\n");
        return 127;
    }
    const pid_t parent = ::getpid();
    child = ::fork();
    if (child < 0)
        return 127;
    if (child == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        ::execv(argv[2], argv + 2);
        std::perror(argv[2]);
        ::_exit(127);
    }
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, Forward);
    int status = 0;
    struct rusage usage = {};
    while (::wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            return 127;
    }
    FILE *result = std::fopen(argv[1], "w");
    if (!result || std::fprintf(result, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(result) != 0)
        return 127;
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
