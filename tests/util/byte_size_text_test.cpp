#include "util/byte_size_text.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(ByteSizeText, WholeBytesBelow1024) {
    EXPECT_EQ(tidewellString(-5), "0 B");
    EXPECT_EQ(tidewellString(0), "0 B");
    EXPECT_EQ(tidewellString(1), "1 B");
    EXPECT_EQ(tidewellString(999), "999 B");
    EXPECT_EQ(tidewellString(1000), "1000 B");
    EXPECT_EQ(tidewellString(1023), "1023 B");
}

TEST(ByteSizeText, DecimalUnitsWithAdaptivePrecision) {
    EXPECT_EQ(tidewellString(1024), "1 KB");
    EXPECT_EQ(tidewellString(1499), "1 KB");
    EXPECT_EQ(tidewellString(1500), "2 KB");
    EXPECT_EQ(tidewellString(999'499), "999 KB");
    EXPECT_EQ(tidewellString(999'500), "1 MB");
    EXPECT_EQ(tidewellString(1'234'567), "1.2 MB");
    EXPECT_EQ(tidewellString(1'250'000), "1.3 MB");
    EXPECT_EQ(tidewellString(999'949'999), "999.9 MB");
    EXPECT_EQ(tidewellString(999'950'000), "1 GB");
    EXPECT_EQ(tidewellString(1'500'000'000), "1.5 GB");
    EXPECT_EQ(tidewellString(1'234'567'890), "1.23 GB");
    EXPECT_EQ(tidewellString(1'205'000'000), "1.21 GB");
}

TEST(ByteSizeText, GigabytesIsTheLargestUnit) {
    EXPECT_EQ(tidewellString(5'000'000'000'000), "5,000 GB");
    EXPECT_EQ(tidewellString(1'234'567'890'123'456), "1,234,567.89 GB");
    EXPECT_EQ(tidewellString(INT64_MAX), "9,223,372,036.85 GB");
}

}  // namespace
}  // namespace tidewell
