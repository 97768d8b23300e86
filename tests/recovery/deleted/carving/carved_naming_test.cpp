#include "recovery/deleted/carving/carved_naming.h"

#include <gtest/gtest.h>

namespace tidewell::FileCarving {
namespace {

CarvedFile carved(std::string kind, std::string extension) {
    CarvedFile file;
    file.kind = std::move(kind);
    file.extension = std::move(extension);
    file.startCluster = 4067;
    return file;
}

TEST(CarvedNaming, NamesByDateThenTitleThenKindAlone) {
    auto jpeg = carved("JPEG", "jpg");
    EXPECT_EQ(carvedFileName(jpeg), "JPEG (cluster 4067).jpg");
    jpeg.date = "2024-06-01 14-03-22";
    EXPECT_EQ(carvedFileName(jpeg), "JPEG 2024-06-01 14-03-22 (cluster 4067).jpg");
    auto pdf = carved("PDF", "pdf");
    pdf.title = "Q2/Q3: plan\\notes";
    EXPECT_EQ(carvedFileName(pdf), "PDF Q2 Q3 plan notes (cluster 4067).pdf");
    pdf.title = " / ";
    EXPECT_EQ(carvedFileName(pdf), "PDF (cluster 4067).pdf");
    EXPECT_EQ(carvedKindFolder(carved("DOCX", "docx")), "DOCX");
}

TEST(CarvedNaming, SanitizedTitlesHaveNoSeparatorsLeadingDotsOrBrokenCharacters) {
    EXPECT_EQ(sanitizedTitle("../../etc/passwd"), "etc passwd");
    EXPECT_EQ(sanitizedTitle("line\none\ttab"), "line one tab");
    std::string accented;
    for (int i = 0; i < 80; ++i) accented += "\xC3\xA9";  // é, two bytes each
    auto cut = sanitizedTitle(accented);
    EXPECT_EQ(cut.size(), Limits::maxTitleBytesInName);
    EXPECT_EQ(cut.substr(0, 2), "\xC3\xA9");
    EXPECT_EQ(sanitizedTitle("a" + accented).size(), Limits::maxTitleBytesInName - 1);
}

}  // namespace
}  // namespace tidewell::FileCarving
