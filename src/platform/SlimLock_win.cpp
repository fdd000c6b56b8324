#include "platform/SlimLock.h"

#include <windows.h>

namespace qtr {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

namespace {
SRWLOCK* Srw(void** lock) { return reinterpret_cast<SRWLOCK*>(lock); }
CONDITION_VARIABLE* Cv(void** condition) { return reinterpret_cast<CONDITION_VARIABLE*>(condition); }
}  // namespace

void SlimMutex::lock() { AcquireSRWLockExclusive(Srw(&lock_)); }
void SlimMutex::unlock() { ReleaseSRWLockExclusive(Srw(&lock_)); }
bool SlimMutex::try_lock() { return TryAcquireSRWLockExclusive(Srw(&lock_)) != 0; }

void SlimCondition::wait(std::unique_lock<SlimMutex>& lock) {
  // Wakes without a notify are allowed, as with std::condition_variable.
  SleepConditionVariableSRW(Cv(&condition_), Srw(&lock.mutex()->lock_), INFINITE, 0);
}
void SlimCondition::notify_one() { WakeConditionVariable(Cv(&condition_)); }
void SlimCondition::notify_all() { WakeAllConditionVariable(Cv(&condition_)); }

}  // namespace qtr
