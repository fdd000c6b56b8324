#include "engine/JobSettings.h"

namespace qtr {

// No Windows system directory here; the drive Windows would use.
std::u16string SystemDriveOfThisMachine() { return u"C:"; }

}  // namespace qtr
