#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "model/app_model.h"
#include "model/workflow_fixture.h"
#include "ui/history_page.h"
#include "ui/safe_cleanup_page.h"

namespace tidewell {
namespace {

using testing::writeFile;

class EmptyListHints : public testing::WorkflowLayout {
protected:
    static QString shownHint(const QWidget& page) {
        auto* hint = page.findChild<QLabel*>("emptyListHint");
        EXPECT_NE(hint, nullptr);
        return hint && hint->isVisibleTo(&page) ? hint->text() : QString();
    }
};

TEST_F(EmptyListHints, SayWhatToDoBeforeAScanAndWhenASearchMatchesNothing) {
    writeFile(home.path() / "Downloads/setup.dmg", std::string(3000, 'd'));
    AppModel model(AppModel::realEngines());
    SafeCleanupPage page(model);
    EXPECT_EQ(
        shownHint(page),
        "<b>Scan for safe cleanup items</b><br>Tidewell will look in Downloads, user Logs, and user Caches only.");

    model.scanSafeCleanup();
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedSafeCleanup() && !model.isScanningSafeCleanup(); }));
    EXPECT_EQ(shownHint(page), "");
    page.findChild<QLineEdit*>()->setText("no such installer");
    EXPECT_EQ(shownHint(page), "<b>Nothing matches this cleanup filter</b><br>Try another type or search term.");

    model.setLanguage("简体中文");
    HistoryPage history(model);
    EXPECT_EQ(shownHint(history), "<b>暂无报告</b><br>每次清理后都会保存一份报告。");
}

}  // namespace
}  // namespace tidewell
