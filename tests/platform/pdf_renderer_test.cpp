#include "platform/pdf_renderer.h"

#include <gtest/gtest.h>

#include "support/pdf_fixture.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

TEST(PDFRendererTest, CountsPagesAndExtractsText) {
    testing::TemporaryFolder folder;
    testing::writeTextPDF(folder / "three.pdf", {"First page", "", "Third page"});
    const auto counted = openPDF(folder / "three.pdf");
    ASSERT_TRUE(counted.opened);
    EXPECT_EQ(counted.pageCount, 3);
    EXPECT_TRUE(counted.pageTexts.empty());

    const auto document = openPDF(folder / "three.pdf", true);
    ASSERT_TRUE(document.opened);
    ASSERT_EQ(document.pageTexts.size(), 3u);
    EXPECT_NE(document.pageTexts[0].find("First page"), std::string::npos);
    EXPECT_EQ(document.pageTexts[1].find_first_not_of(" \n\r\t\f"), std::string::npos);
    EXPECT_NE(document.pageTexts[2].find("Third page"), std::string::npos);
}

TEST(PDFRendererTest, RefusesWhatIsNotAPDFAndRecoversAMovedXref) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "junk.pdf", "%PDF-1.4\nthis is not a document\n");
    const auto junk = openPDF(folder / "junk.pdf");
    EXPECT_FALSE(junk.opened);
    EXPECT_EQ(junk.messages.back(), "error: Couldn't read xref table");
    EXPECT_FALSE(openPDF(folder / "missing.pdf").opened);

    testing::writeTextPDF(folder / "one.pdf", {"Only"});
    std::string bytes = testing::readFile(folder / "one.pdf");
    const auto startxref = bytes.rfind("startxref\n");
    bytes.replace(startxref + 10, 1, "9");  // points the xref somewhere else
    testing::writeFile(folder / "moved.pdf", bytes);
    const auto recovered = openPDF(folder / "moved.pdf");
    ASSERT_TRUE(recovered.opened);
    EXPECT_EQ(recovered.pageCount, 1);
}

}  // namespace
}  // namespace tidewell::platform
