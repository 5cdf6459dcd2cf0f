// A disk that fills up: the process's file size limit lowered for one call,
// so writes past `bytes` fail (EFBIG) as they would on a full disk.
#pragma once

#include <sys/resource.h>

#include <csignal>

template <class Write>
auto WithDiskRoom(rlim_t bytes, Write write) {
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    return result;
}
