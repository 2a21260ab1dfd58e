#include "Priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace harbrix::pedalsim {
namespace {

// The nice value asked for when real-time scheduling is not allowed.
constexpr int kNice = -10;

bool realTime() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    int policy = SCHED_RR;
#ifdef SCHED_RESET_ON_FORK
    policy |= SCHED_RESET_ON_FORK;
#endif
    return pthread_setschedparam(pthread_self(), policy, &param) == 0;
}

}  // namespace

void answerPromptly(bool log) {
    if (realTime()) {
        if (log) std::fprintf(stderr, "pedalsim: real-time scheduling\n");
        return;
    }
    // On Linux this sets the calling thread's nice value.
    if (::setpriority(PRIO_PROCESS, 0, kNice) == 0) {
        if (log) std::fprintf(stderr, "pedalsim: nice %d\n", kNice);
        return;
    }
    if (log) std::fprintf(stderr, "pedalsim: normal priority (%s)\n", std::strerror(errno));
}

}  // namespace harbrix::pedalsim
