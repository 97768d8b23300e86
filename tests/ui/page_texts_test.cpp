#include "ui/page_texts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidget>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_finding.h"
#include "firstaid/repair_states.h"
#include "recovery/deleted/deleted_candidate.h"
#include "recovery/readable/recovery_candidate_kind.h"
#include "recovery/readable/recovery_scan_state.h"
#include "support/pdf_fixture.h"
#include "ui/qt_text.h"
#include "ui/quiet_engines.h"
#include "ui/recovery_page.h"
#include "ui/repair_page.h"
#include "ui/symbol_icons.h"

namespace tidewell {
namespace {

TEST(PageTexts, ChineseOnlyForSimplifiedChineseAndUnknownTextsStayAsTheyAre) {
    EXPECT_EQ(PageTexts::text("Refresh", "简体中文"), "刷新");
    EXPECT_EQ(PageTexts::text("Refresh", "English"), "Refresh");
    EXPECT_EQ(PageTexts::text("Refresh", "日本語"), "Refresh");
    EXPECT_EQ(PageTexts::text("Refresh", "Klingon"), "Refresh");
    EXPECT_EQ(PageTexts::text("holiday.zip", "简体中文"), "holiday.zip");
    for (const auto& [english, chinese] : PageTexts::chinese()) {
        EXPECT_FALSE(chinese.empty()) << english;
        EXPECT_NE(chinese, english);
    }
}

TEST(PageTexts, EveryStateKindAndLevelNameTheEnginesHandOverHasAChineseText) {
    std::vector<std::string> names;
    for (RepairTaskPhase phase : allRepairTaskPhases) names.push_back(rawValue(phase));
    for (RepairOutcomeState state :
         {RepairOutcomeState::repaired, RepairOutcomeState::partial, RepairOutcomeState::failed})
        names.push_back(rawValue(state));
    for (RepairFindingLevel level :
         {RepairFindingLevel::ok, RepairFindingLevel::warning, RepairFindingLevel::failed, RepairFindingLevel::info})
        names.push_back(label(level));
    for (RecoveryCandidateKind kind : RecoveryCandidateKinds::allCases)
        names.push_back(RecoveryCandidateKinds::rawValue(kind));
    for (DeletedRecovery::Confidence confidence :
         {DeletedRecovery::Confidence::high, DeletedRecovery::Confidence::medium, DeletedRecovery::Confidence::low})
        names.push_back(DeletedRecovery::rawValue(confidence));
    for (const RecoveryScanState& state :
         {RecoveryScanState::idle(), RecoveryScanState::scanning(), RecoveryScanState::exporting(),
          RecoveryScanState::completed(), RecoveryScanState::failed("x")})
        names.push_back(state.label());
    for (const std::string& name : names) EXPECT_TRUE(PageTexts::chinese().contains(name)) << name;
}

TEST(PageTexts, EveryFixedPreviewTileTitleHasAChineseTextAndEveryTileAnIcon) {
    testing::TemporaryFolder folder;
    const testing::ShippedTools tools;
    std::vector<std::filesystem::path> files{testing::makeZip(folder / "a.zip", {{"a.txt", "a"}}), folder / "b.pdf",
                                             folder / "c.png", folder / "d.mp3", folder / "e.mp4"};
    testing::writeTextPDF(files[1], {"page"});
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(toQString(files[2].string())));
    testing::writeFile(files[3], "ID3 not much of a song");
    testing::writeFile(files[4], std::string("\0\0\0\x10"
                                             "ftypisom\0\0\0\0",
                                             16));
    std::set<std::string> titles;
    for (const auto& file : files) {
        for (const RepairPreviewItem& item : FileFirstAidEngine::diagnose(file).previewItems) {
            // Tiles of an archive entry or a video atom carry a name from the file.
            if (item.systemImage != "doc" && item.systemImage != "cube") titles.insert(item.title);
            EXPECT_NE(themeIconName(item.systemImage), "text-x-generic") << item.systemImage;
        }
    }
    EXPECT_EQ(titles.size(), 9u);
    for (const std::string& title : titles) EXPECT_TRUE(PageTexts::chinese().contains(title)) << title;
}

// Every text a page shows itself: labels, buttons, tab titles and list headers.
QStringList shownTexts(QWidget& page) {
    QStringList texts;
    for (auto* label : page.findChildren<QLabel*>()) texts << label->text();
    for (auto* button : page.findChildren<QAbstractButton*>()) texts << button->text();
    for (auto* tabs : page.findChildren<QTabWidget*>())
        for (int index = 0; index < tabs->count(); ++index) texts << tabs->tabText(index);
    for (auto* list : page.findChildren<QTreeWidget*>())
        for (int column = 0; column < list->columnCount(); ++column) texts << list->headerItem()->text(column);
    texts.removeAll(QString());
    return texts;
}

TEST(PageTexts, RepairAndRecoveryPagesReadInChineseOnlyWhenItIsChosen) {
    AppModel model(testing::quietEngines());
    RepairPage repair(model);
    RecoveryPage recovery(model);
    const auto button = [](QWidget& page, const char* name) {
        auto* found = page.findChild<QAbstractButton*>(name);
        return found ? found->text() : QString();
    };
    const auto tab = [&](int index) { return recovery.findChild<QTabWidget*>("recoveryScans")->tabText(index); };

    model.setLanguage("简体中文");
    EXPECT_EQ(repair.chooseButton()->text(), "选择要修复的文件");
    EXPECT_EQ(button(repair, "exportRepairCopy"), "导出修复副本…");
    EXPECT_EQ(repair.findings()->headerItem()->text(2), "详情");
    EXPECT_EQ(recovery.readable().scan->text(), "扫描可读文件");
    EXPECT_EQ(button(recovery, "chooseSourceFolder"), "选择文件夹…");
    EXPECT_EQ(tab(1), "已删除文件");
    // No English is left on either page.
    const QRegularExpression latin("[A-Za-z]");
    for (QWidget* page : {static_cast<QWidget*>(&repair), static_cast<QWidget*>(&recovery)})
        for (const QString& text : shownTexts(*page)) EXPECT_FALSE(text.contains(latin)) << text.toStdString();

    for (const char* language : {"English", "日本語"}) {
        model.setLanguage(language);
        EXPECT_EQ(repair.chooseButton()->text(), "Choose File to Repair") << language;
        EXPECT_EQ(button(repair, "exportRepairCopy"), "Export Repaired Copy…");
        EXPECT_EQ(repair.findings()->headerItem()->text(2), "Detail");
        EXPECT_EQ(recovery.readable().scan->text(), "Scan Readable Files");
        EXPECT_EQ(button(recovery, "chooseSourceFolder"), "Choose Folder…");
        EXPECT_EQ(tab(1), "Deleted Files");
        EXPECT_EQ(recovery.findChild<QLabel*>("pageSubtitle")->text(),
                  "Sources are only read. Recovered files are exported to another place.");
    }
}

}  // namespace
}  // namespace tidewell
