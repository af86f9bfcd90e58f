// Exclusive use of a data folder by one program instance: an flock'ed lock file that the kernel
// releases when the instance ends, however it ends.
#pragma once

#include <QString>

namespace folderlock {

inline constexpr char16_t LockFileName[] = u"pelmixi.lock";

// Takes one use of the folder for this process. The first use locks <dir>/pelmixi.lock; while
// another process holds it, throws WorkTableError with an operator message. Uses of one process
// share the lock; it is released with the last one.
void acquire(const QString &dir);
void release(const QString &dir);

// Whether this process holds the lock of dir.
bool isHeld(const QString &dir);

} // namespace folderlock
