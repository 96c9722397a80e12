#include "app/thread_priority.h"

#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace halvix {
namespace {
Q_LOGGING_CATEGORY(lcPriority, "vantor.wall.priority")
}  // namespace

bool LowerThisThreadsPriority(int increment) {
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, thread);
    if (now == -1 && errno != 0) {
        qCWarning(lcPriority) << "cannot read the thread's priority:" << std::strerror(errno);
        return false;
    }
    if (setpriority(PRIO_PROCESS, thread, now + increment) != 0) {
        qCWarning(lcPriority) << "cannot lower the thread's priority:" << std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace halvix
