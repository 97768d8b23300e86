#include "cleanup/scan_result.h"

#include "cleanup/app_scanner.h"
#include "cleanup/leftover_scan.h"

namespace tidewell::AppScanner {

ScanResult scanAll() {
    ScanResult result;
    result.apps = scan();
    result.leftovers = scanLeftovers(result.apps);
    return result;
}

}  // namespace tidewell::AppScanner
