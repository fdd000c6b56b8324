// What a job does with the store: fill it, copy out of it, or read it
// through without writing anything.
#pragma once

namespace qtr {

enum class JobKind { kBackup, kRestore, kVerify };

}  // namespace qtr
