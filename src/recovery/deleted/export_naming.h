#pragma once

namespace tidewell::DeletedRecovery {

// The name an export gives each file and uses in its report: the entry's own
// (short) name, or the name the user is shown (a FAT32 long name when one
// survived). The entry name is the default: the acceptance runs compare their
// outputs with it.
enum class ExportNaming { entryName, displayName };

}  // namespace tidewell::DeletedRecovery
