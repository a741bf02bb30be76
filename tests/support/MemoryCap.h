// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <fstream>
#include <functional>
#include <new>

// Runs a piece of work in a child process whose address space may grow by at
// most `bytes` past what it holds when it starts (RLIMIT_AS), so that work
// needing more fails there, by std::bad_alloc or worse, and the test process
// goes on. True when the work ran to its end within the cap and said true.
// POSIX only. Under AddressSanitizer or ThreadSanitizer, which reserve vast
// address ranges of their own, the cap says nothing: see kMemoryCapHolds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kMemoryCapHolds = false;
#else
inline constexpr bool kMemoryCapHolds = true;
#endif

inline bool RunsWithinMemory(std::size_t bytes, const std::function<bool()>& work) {
    enum : int { kDone = 0, kFalse = 1, kOutOfMemory = 2, kOther = 3 };
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // /proc/self/statm: the address space's size in pages, first.
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t cap = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + bytes;
        const rlimit limit{cap, cap};
        if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(kOther);
        try {
            _exit(work() ? kDone : kFalse);
        } catch (const std::bad_alloc&) {
            _exit(kOutOfMemory);
        } catch (...) {
            _exit(kOther);
        }
    }
    int status = 0;
    pid_t ended = -1;
    do {
        ended = waitpid(child, &status, 0);
    } while (ended < 0 && errno == EINTR);
    return ended == child && WIFEXITED(status) && WEXITSTATUS(status) == kDone;
}
