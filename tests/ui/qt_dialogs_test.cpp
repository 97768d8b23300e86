#include "ui/qt_dialogs.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>

#include "firstaid/file_first_aid_engine.h"
#include "ui/file_type_filters.h"

namespace tidewell {
namespace {

TEST(QtDialogs, ContentTypesBecomeOneFilterAndUnknownTypesAllowEveryFile) {
    EXPECT_EQ(FileTypeFilters::nameFilters({"image/jpeg", "application/pdf", "public.jpeg"}),
              QStringList{"Supported files (*.jpg *.jpeg *.pdf)"});
    EXPECT_EQ(FileTypeFilters::nameFilters({}), QStringList{"All files (*)"});
    EXPECT_EQ(FileTypeFilters::nameFilters({"application/pdf", "application/x-unheard-of"}),
              QStringList{"All files (*)"});
    EXPECT_TRUE(FileTypeFilters::globPatterns("text/x-unheard-of").empty());
}

TEST(QtDialogs, TheRepairChooserFilterCoversEverySupportedExtension) {
    const QStringList filters = FileTypeFilters::nameFilters(FileFirstAidEngine::supportedContentTypes());
    ASSERT_EQ(filters.size(), 1);
    ASSERT_TRUE(filters.front().startsWith("Supported files (") && filters.front().endsWith(")"));
    const QStringList patterns = filters.front().sliced(17).chopped(1).split(' ');
    for (const std::string& extension : FileFirstAidEngine::supportedExtensions())
        EXPECT_TRUE(patterns.contains(QString::fromStdString("*." + extension))) << extension;
}

// The message label, when it sits in the dialog's layout.
QString shownMessage(const QFileDialog& dialog) {
    auto* label = dialog.findChild<QLabel*>("dialogMessage");
    const bool laidOut = label && dialog.layout() && dialog.layout()->indexOf(label) >= 0;
    return laidOut ? label->text() : QString();
}

TEST(QtDialogs, TheOpenPanelShowsTheMessageFiltersTypesAndCreatesFoldersOnlyWhenAllowed) {
    QFileDialog files;
    QtDialogs::prepare(files, {.title = "Choose files to diagnose",
                               .allowsMultipleSelection = true,
                               .message = "Originals will not be changed.",
                               .allowedContentTypes = {"application/zip"}});
    EXPECT_EQ(files.windowTitle(), "Choose files to diagnose");
    EXPECT_EQ(shownMessage(files), "Originals will not be changed.");
    EXPECT_EQ(files.nameFilters(), QStringList{"Supported files (*.zip)"});
    EXPECT_EQ(files.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(files.testOption(QFileDialog::ReadOnly));

    QFileDialog folder;
    QtDialogs::prepare(folder, {.title = "Choose destination",
                                .canChooseFiles = false,
                                .canChooseDirectories = true,
                                .canCreateDirectories = true});
    EXPECT_EQ(folder.fileMode(), QFileDialog::Directory);
    EXPECT_FALSE(folder.testOption(QFileDialog::ReadOnly));
    // A panel without a folder of its own starts at home, not in the working directory.
    EXPECT_EQ(folder.directory().absolutePath(), QDir::home().absolutePath());
    EXPECT_EQ(shownMessage(folder), QString());
}

TEST(QtDialogs, TheSavePanelSuggestsTheNameAndShowsTheMessage) {
    QFileDialog dialog;
    QtDialogs::prepare(dialog, Dialogs::SaveRequest{.title = "Export repaired copy",
                                                    .suggestedName = "letter repaired.pdf",
                                                    .directory = std::filesystem::temp_directory_path(),
                                                    .message = "The original is not overwritten."});
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(shownMessage(dialog), "The original is not overwritten.");
    ASSERT_EQ(dialog.selectedFiles().size(), 1);
    EXPECT_TRUE(dialog.selectedFiles().front().endsWith("/letter repaired.pdf"));
}

}  // namespace
}  // namespace tidewell
