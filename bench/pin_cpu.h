#pragma once
// Every benchmark runs on one core: the first of the CPU set it was started with (taskset -c 3
// runs it on core 3), so runs side by side on other cores do not disturb each other.
#include <sched.h>

namespace qv::bench {

inline void PinToOneCpu() {
    cpu_set_t given;
    CPU_ZERO(&given);
    if (sched_getaffinity(0, sizeof given, &given) != 0) return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &given)) continue;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        sched_setaffinity(0, sizeof one, &one);
        return;
    }
}

}  // namespace qv::bench
