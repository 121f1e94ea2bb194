#pragma once

#include <sys/resource.h>

// CPU time this process has used so far, all threads, user and system, in ms. On a machine shared
// with other work a run's wall time swings with the load; the CPU it took does not.
inline double processCpuMs()
{
    rusage usage {};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    auto toMs = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return toMs(usage.ru_utime) + toMs(usage.ru_stime);
}
