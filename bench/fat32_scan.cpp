// Times the FAT32 deleted-entry scan against The Sleuth Kit's `fls -r -d` on
// the same image: about 1,000 directories and 100,000 entries, every 25th
// file deleted (4,000 candidates, below the engine's cap on candidates, so
// that both tools walk the whole tree). The engine's entry count includes
// each folder's dot entries and end marker, three more per folder than fls
// names. The image is built once with mkfs.vfat and mtools and kept in the
// cache folder ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include "deleted_scan_bench.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

int main() {
    auto image = tidewell::bench::fat32ScanImage(tidewell::bench::benchCache());
    return tidewell::bench::compareWithFls([&] { return tidewell::FATDeletedRecoveryEngine::scanImage(image); }, image,
                                           "fat32", 3);
}
