#include "ui/page_texts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidget>
#include <map>
#include <set>

#include "cleanup/cleanup_candidates.h"
#include "cleanup/freedesktop/app_inventory.h"
#include "cleanup/leftover_roots.h"
#include "cleanup/removal_plan.h"
#include "cleanup/usage_summary.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_repair_kind.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/repair_finding.h"
#include "firstaid/repair_states.h"
#include "model/app_language.h"
#include "platform/layout_kind.h"
#include "recovery/deleted/deleted_candidate.h"
#include "recovery/readable/recovery_candidate_kind.h"
#include "recovery/readable/recovery_scan_state.h"
#include "support/pdf_fixture.h"
#include "ui/content_view.h"
#include "ui/filled_pages.h"
#include "ui/history_page.h"
#include "ui/page_router.h"
#include "ui/qt_text.h"
#include "ui/quiet_engines.h"
#include "ui/recovery_page.h"
#include "ui/repair_page.h"
#include "ui/sidebar_view.h"
#include "ui/symbol_icons.h"

namespace tidewell {
namespace {

using testing::FilledPages;

constexpr std::string_view chinese = "简体中文";
constexpr std::string_view japanese = "日本語";

// The holes of a pattern text ("{1}", "{#2}"), as a set.
std::multiset<std::string> holesOf(std::string_view text) {
    std::multiset<std::string> holes;
    static const QRegularExpression hole("\\{#?[1-9]\\}");
    for (auto match = hole.globalMatch(toQString(text)); match.hasNext();)
        holes.insert(match.next().captured().toStdString());
    return holes;
}

TEST(PageTexts, EveryRowHasAllFiveLanguagesWithTheSameHoles) {
    std::set<std::string_view> english;
    for (const PageTexts::Row& row : PageTexts::rows()) {
        EXPECT_TRUE(english.insert(row.english).second) << "listed twice: " << row.english;
        for (const std::string_view text : {row.chinese, row.spanish, row.japanese, row.french}) {
            EXPECT_FALSE(text.empty()) << row.english;
            EXPECT_EQ(holesOf(text), holesOf(row.english)) << row.english << " / " << text;
        }
        // Written in their own scripts, the Chinese and Japanese texts never equal the English one.
        EXPECT_NE(row.chinese, row.english);
        EXPECT_NE(row.japanese, row.english);
    }
}

TEST(PageTexts, TextsAreLookedUpWholeThenThroughTheKeyedTableThenByPattern) {
    // A row of its own.
    EXPECT_EQ(PageTexts::text("Refresh", "简体中文"), "刷新");
    EXPECT_EQ(PageTexts::text("Refresh", "Español"), "Actualizar");
    EXPECT_EQ(PageTexts::text("Refresh", "日本語"), "更新");
    EXPECT_EQ(PageTexts::text("Refresh", "Français"), "Actualiser");
    // The English text of a key of the model's table.
    EXPECT_EQ(PageTexts::text("Likely related", "Français"), "Probablement lié");
    EXPECT_EQ(PageTexts::text("Safe Cleanup", "日本語"), "安全なクリーンアップ");
    // A pattern keeps its names and translates a hole that is itself a listed text.
    EXPECT_EQ(PageTexts::text("Moving Notes.app to Trash", "Español"), "Moviendo Notes.app a la Papelera");
    EXPECT_EQ(PageTexts::text("Preparing to move 3 items for Beacon", "日本語"),
              "Beacon の 3 項目を移動する準備をしています");
    EXPECT_EQ(PageTexts::text("Container name matches deleted bundle id com.gone.Widget", "简体中文"),
              "容器名称与已删除的应用标识符 com.gone.Widget 匹配");
    // A number hole takes digits only.
    EXPECT_EQ(PageTexts::text("3 days ago", "Français"), "il y a 3 jours");
    EXPECT_EQ(PageTexts::text("12s", "简体中文"), "12 秒");
    EXPECT_EQ(PageTexts::text("Xs", "简体中文"), "Xs");
    // Lines one by one, and the parts of a line one by one.
    EXPECT_EQ(PageTexts::text("Moved to Trash: A.\nFailed: B: disk on fire", "Français"),
              "Placé dans la corbeille : A.\nÉchecs : B: disk on fire");
    EXPECT_EQ(PageTexts::text("Deleted FAT32 directory entry · JPEG signature · unallocated run", "简体中文"),
              "已删除的 FAT32 目录条目 · JPEG 文件签名 · 未分配的连续簇");
    EXPECT_EQ(PageTexts::text("42% · Indexed 120 readable files", "Español"), "42% · 120 archivos legibles indexados");
}

TEST(PageTexts, JoinedSentencesAndListsAreTranslatedOneByOne) {
    const std::string summary =
        "Removed by apt: Inkwell. Hidden from autostart: inkwell-tray. Moved to Trash: Cache, Icon quill.png.";
    EXPECT_EQ(PageTexts::text(summary, "Français"),
              "Supprimé par apt : Inkwell. Masqué au démarrage automatique : inkwell-tray. Placé dans la corbeille : "
              "Cache, Icône quill.png.");
    EXPECT_EQ(PageTexts::text(summary, "简体中文"),
              "已由 apt 移除：Inkwell。已从自动启动中隐藏：inkwell-tray。已移到废纸篓：缓存, 图标 quill.png。");
    // A sentence no row reads keeps the whole line to the pattern it fills, and a hole that
    // fills a pattern of its own is translated too.
    EXPECT_EQ(PageTexts::text("Tidewell did not remove Inkwell: apt would also remove packages the system needs: "
                              "libc6, libc-bin. Nothing was changed.",
                              "Español"),
              "Tidewell no eliminó Inkwell: apt también eliminaría paquetes que el sistema necesita: libc6, libc-bin. "
              "No se cambió nada.");
    EXPECT_EQ(PageTexts::text("Mr. Lee wrote this. Moved to Trash: A.", "Français"),
              "Mr. Lee wrote this. Moved to Trash: A.");
}

TEST(PageTexts, EnglishUnknownLanguagesAndUnlistedTextsStayAsTheyAre) {
    EXPECT_EQ(PageTexts::text("Refresh", "English"), "Refresh");
    EXPECT_EQ(PageTexts::text("Refresh", "Klingon"), "Refresh");
    EXPECT_EQ(PageTexts::text("Moving Notes.app to Trash", "English"), "Moving Notes.app to Trash");
    for (const AppLanguage language : allAppLanguageCases) {
        EXPECT_EQ(PageTexts::text("holiday.zip", rawValue(language)), "holiday.zip");
        EXPECT_EQ(PageTexts::text("", rawValue(language)), "");
    }
}

TEST(PageTexts, PagesTitleTheirItemInEveryLanguage) {
    EXPECT_EQ(PageTexts::title(SidebarItem::cleanupPlans, "Español"), "Planes de limpieza");
    EXPECT_EQ(PageTexts::title(SidebarItem::history, "日本語"), "レポート");
    EXPECT_EQ(PageTexts::title(SidebarItem::apps, "Français"), "Applications");
    EXPECT_EQ(PageTexts::title(SidebarItem::stubborn, "简体中文"), "正在运行");
    EXPECT_EQ(PageTexts::title(ProductModule::recover, "Español"), "Recuperar");
    EXPECT_EQ(PageTexts::title(SidebarItem::repair, "English"), "File Repair");
}

// Every name, note and fixed line an engine hands a page, as it stands in English.
std::vector<std::string> engineTexts() {
    std::vector<std::string> names;
    for (RepairTaskPhase phase : allRepairTaskPhases) names.push_back(rawValue(phase));
    for (RepairOutcomeState state :
         {RepairOutcomeState::repaired, RepairOutcomeState::partial, RepairOutcomeState::failed})
        names.push_back(rawValue(state));
    for (RepairFindingLevel level :
         {RepairFindingLevel::ok, RepairFindingLevel::warning, RepairFindingLevel::failed, RepairFindingLevel::info})
        names.push_back(label(level));
    for (FileRepairKind kind : allFileRepairKinds) names.push_back(label(kind));
    for (RecoveryCandidateKind kind : RecoveryCandidateKinds::allCases)
        names.push_back(RecoveryCandidateKinds::rawValue(kind));
    for (DeletedRecovery::Confidence confidence :
         {DeletedRecovery::Confidence::high, DeletedRecovery::Confidence::medium, DeletedRecovery::Confidence::low})
        names.push_back(DeletedRecovery::rawValue(confidence));
    for (const RecoveryScanState& state :
         {RecoveryScanState::idle(), RecoveryScanState::scanning(), RecoveryScanState::exporting(),
          RecoveryScanState::completed(), RecoveryScanState::failed("x")})
        names.push_back(state.label());
    for (CleanupSafetyLevel level : cleanupSafetyLevelSummaryOrder) {
        names.push_back(rawValue(level));
        names.push_back(defaultAction(level));
    }
    for (CleanupCandidateKind kind : allCleanupCandidateKinds) names.push_back(rawValue(kind));
    for (SafeCleanupItem::Category category : SafeCleanupItem::allCategories) names.push_back(title(category));
    for (const AppScanner::LeftoverRoot& root : AppScanner::leftoverRoots()) {
        names.push_back(root.label);
        names.push_back(root.note);
    }
    for (const bool isProtected : {false, true}) {
        const LaunchAgentInfo agent{.label = "com.example.agent",
                                    .path = "/nowhere/agent.plist",
                                    .requiresAdmin = isProtected,
                                    .helperPath = "/nowhere/helper"};
        const AppScanner::InstallerCandidate installer{
            .name = "Beacon.dmg", .path = "/nowhere/Beacon.dmg", .sizeBytes = 1};
        for (const CleanupCandidate& candidate :
             AppScanner::cleanupCandidates("/nowhere/Beacon.app", "/nowhere/link", "Beacon", "org.example.beacon", 1,
                                           {}, {installer}, {agent}, isProtected)) {
            names.push_back(candidate.evidence);
            names.push_back(candidate.note);
        }
    }
    const auto now = std::chrono::system_clock::now();
    for (const int days : {-1, 0, 40, 200}) {
        AppInfo app{.name = "Beacon"};
        app.isRunning = days == 0;
        app.isProtected = days < 0;
        app.lastUsedDate = now - std::chrono::hours(24 * std::max(days, 1));
        for (const bool hasAgent : {false, true}) {
            if (hasAgent) app.launchAgents.push_back({});
            names.push_back(app.statusText());
            const UsageSummary summary = app.usageSummary(now);
            names.push_back(rawValue(summary.level));
            names.push_back(summary.reason);
        }
    }
    for (const char* token : {"com.apple.notes", "com.gone.widget", "widget", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"}) {
        const LeftoverGroup group{token, token, token, {}};
        names.insert(names.end(),
                     {group.riskText(), group.ownerText(), group.sourceDetailText(), group.removalAdviceText()});
    }
    for (const auto& [moved, failed] : std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {0, 1}}) {
        const CleanupReport report = CleanupReport::make(now, "Beacon", std::vector<std::string>(moved, "a"),
                                                         std::vector<std::string>(failed, "b"), 0);
        names.push_back(report.statusText());
    }
    return names;
}

TEST(PageTexts, EveryFixedPreviewTileTitleIsTranslatedAndEveryTileHasAnIcon) {
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
    for (const std::string& title : titles)
        for (const std::string_view language : {chinese, japanese})
            EXPECT_NE(PageTexts::text(title, language), title) << language << ": " << title;
}

TEST(PageTexts, EveryNameAndNoteTheEnginesHandOverIsTranslated) {
    for (const std::string& name : engineTexts()) {
        if (name == "PDF" || name == "MP4/MOV") continue;  // format names stay
        for (const std::string_view language : {chinese, japanese})
            EXPECT_NE(PageTexts::text(name, language), name) << language << ": " << name;
    }
}

// Where each text a widget tree shows sits ("12 QLabel", "40 QTreeWidget 3/1 tip"), and the text.
using ShownTexts = std::map<QString, QString>;

void addItemTexts(ShownTexts& texts, const QString& where, const QAbstractItemModel& items, const QModelIndex& parent) {
    for (int row = 0; row < items.rowCount(parent); ++row)
        for (int column = 0; column < items.columnCount(parent); ++column) {
            const QModelIndex index = items.index(row, column, parent);
            const QString cell = QStringLiteral("%1 %2/%3").arg(where).arg(row).arg(column);
            texts[cell] = index.data(Qt::DisplayRole).toString();
            texts[cell + " tip"] = index.data(Qt::ToolTipRole).toString();
            if (column == 0) addItemTexts(texts, cell, items, index);
        }
}

// Every text a page shows: labels, buttons, tool tips, search hints, pickers, tabs, list headers
// and list rows.
ShownTexts shownTexts(const QWidget& root) {
    ShownTexts texts;
    int number = 0;
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        const QString where = QStringLiteral("%1 %2").arg(number++).arg(widget->metaObject()->className());
        texts[where + " tip"] = widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) texts[where] = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts[where] = button->text();
        if (auto* field = qobject_cast<QLineEdit*>(widget)) texts[where] = field->placeholderText();
        if (auto* picker = qobject_cast<QComboBox*>(widget))
            for (int index = 0; index < picker->count(); ++index)
                texts[where + " " + QString::number(index)] = picker->itemText(index);
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int index = 0; index < tabs->count(); ++index)
                texts[where + " tab " + QString::number(index)] = tabs->tabText(index);
        if (auto* list = qobject_cast<QAbstractItemView*>(widget); list && list->model()) {
            for (int column = 0; column < list->model()->columnCount(); ++column)
                texts[where + " header " + QString::number(column)] =
                    list->model()->headerData(column, Qt::Horizontal).toString();
            addItemTexts(texts, where, *list->model(), {});
        }
    }
    std::erase_if(texts, [](const auto& entry) { return entry.second.isEmpty(); });
    return texts;
}

// The names every language shows as they are: the product, formats, tools, units and the
// languages' own names.
QStringList productNames() {
    QStringList names{"Tidewell.app", "Tidewell", ".app",      "macOS",       "Mac",    "Apple",   "FAT32",
                      "exFAT",        "ZIP",      "PDFKit",    "PDF",         "Office", "PPTX",    "DOCX",
                      "XLSX",         "MP4",      "MOV",       "M4V",         "PNG",    "UUID",    "EOF",
                      "ftyp",         "moov",     "mdat",      "qpdf",        "ffmpeg", "unzip",   "ID",
                      "OK",           "KB",       "MB",        "GB",          "B",      "Flatpak", "snapd",
                      "apt",          "AppImage", "systemctl", "Hidden=true", "Debian", "systemd"};
    for (const AppLanguage language : allAppLanguageCases) names << toQString(rawValue(language));
    return names;
}

// `text` without rich-text tags, the allowed names, paths, file names, identifiers and numbers.
QString withoutNames(QString text, QStringList names) {
    static const QRegularExpression tag("<[^>]*>");
    text.remove(tag);
    std::sort(names.begin(), names.end(),
              [](const QString& left, const QString& right) { return left.size() > right.size(); });
    for (const QString& name : names)
        if (!name.isEmpty())
            text.replace(QRegularExpression("(?<![A-Za-z0-9])" + QRegularExpression::escape(name) + "(?![A-Za-z0-9])"),
                         QStringLiteral(" "));
    static const QRegularExpression dataWord("[/._@\\d]");
    QStringList kept;
    for (const QString& word : text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts))
        if (!word.contains(dataWord)) kept << word;
    return kept.join(' ');
}

// The page of every item, the result bar above them and the sidebar beside them.
std::vector<const QWidget*> pagesOf(const ContentView& content) {
    std::vector<const QWidget*> pages;
    for (SidebarItem item : allSidebarItemCases) pages.push_back(content.router()->page(item));
    pages.push_back(content.findChild<QWidget*>("actionAlert"));
    pages.push_back(content.sidebar());
    return pages;
}

std::vector<ShownTexts> shownTexts(const ContentView& content) {
    // Lists drop replaced row widgets later; they are not shown.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<ShownTexts> texts;
    for (const QWidget* page : pagesOf(content)) texts.push_back(shownTexts(*page));
    return texts;
}

const QRegularExpression latin("[A-Za-z]");

// The content with the newest report selected, so its details show.
void showNewestReport(const ContentView& content) {
    auto* history = qobject_cast<HistoryPage*>(content.router()->page(SidebarItem::history));
    ASSERT_NE(history, nullptr);
    ASSERT_GT(history->reports()->topLevelItemCount(), 0);
    history->reports()->setCurrentItem(history->reports()->topLevelItem(0));
}

// Every label, reason and note the freedesktop inventory gives the items of a Linux app's plan,
// and the lines carrying the plan out say, as they stand in English.
std::vector<std::string> linuxPlanTexts() {
    using Freedesktop::AppOrigin;
    const testing::TemporaryHome home;
    const std::filesystem::path root = home.path();
    // The sandbox folders, a folder or file for each key of the local app in each XDG folder
    // (exactly and ignoring case), its logs, menu entry and icon.
    for (const char* file :
         {".var/app/org.example.Paint/cache/blob", "snap/inkpad/common/notes", ".cache/quill/blob",
          ".cache/org.example.quill/blob", ".config/quillapp.conf", ".config/QUILL/settings.ini",
          ".local/share/quill editor/data.db", ".local/share/Quill Editor/data.db", ".local/state/quill/history",
          ".local/state/quill-crash.log", ".local/state/Quill Editor.log", ".local/share/applications/quill.desktop",
          ".local/share/icons/hicolor/48x48/apps/quill.png"})
        testing::writeFile(root / file, "x");
    Freedesktop::InventoryPass pass{.includePermissionSensitive = true};
    for (const char* file : {"inkwell-tray.desktop", "inkwell.service"})
        pass.startupItems.push_back(
            {.label = file, .path = std::string("/etc/xdg/autostart/") + file, .program = "/usr/bin/inkwell"});
    pass.startupItems.back().path = (root / ".config/systemd/user/inkwell.service").string();
    pass.startupItems.front().requiresAdmin = true;
    pass.relatedFolders.emplace();
    const Freedesktop::LinuxApp paint{.origin = AppOrigin::flatpak,
                                      .name = "Paint",
                                      .identifier = "org.example.Paint",
                                      .path = "/p",
                                      .flatpakInstallation = "user"};
    Freedesktop::LinuxApp systemPaint = paint;
    systemPaint.flatpakInstallation = "system";
    const std::vector<Freedesktop::LinuxApp> apps{
        paint,
        systemPaint,
        {.origin = AppOrigin::snap, .name = "Inkpad", .identifier = "inkpad", .path = "/snap/inkpad/current"},
        {.origin = AppOrigin::debianPackage,
         .name = "Inkwell",
         .identifier = "inkwell",
         .path = "/usr/bin/inkwell",
         .executable = "/usr/bin/inkwell"},
        {.origin = AppOrigin::appImage,
         .name = "Slate",
         .identifier = "Slate.AppImage",
         .path = root / "Slate.AppImage"},
        {.origin = AppOrigin::local,
         .name = "Quill Editor",
         .identifier = "org.example.quill.desktop",
         .path = root / "Apps/Quill",
         .desktopEntry = root / ".local/share/applications/quill.desktop",
         .executable = root / "Apps/Quill/quillapp",
         .iconName = "quill"}};
    std::vector<std::string> texts;
    for (const Freedesktop::LinuxApp& app : apps)
        for (const CleanupCandidate& candidate : Freedesktop::appInfo(app, pass).cleanupCandidates) {
            texts.insert(texts.end(), {candidate.evidence, candidate.note});
            // The app's own row, startup items and logs are labelled by their names.
            if (candidate.label != app.name && candidate.kind != CleanupCandidateKind::launchAgent &&
                candidate.kind != CleanupCandidateKind::logs)
                texts.push_back(candidate.label);
        }
    RemovalPlanRun run;
    for (const RemovalRoute route : {RemovalRoute::trash, RemovalRoute::flatpak, RemovalRoute::snap, RemovalRoute::apt,
                                     RemovalRoute::hiddenAutostart}) {
        texts.push_back(rawValue(route));
        run.doneByRoute.push_back({route, {"Inkwell", "Flatpak data"}});
    }
    // The plan's lines as the workflow words them.
    texts.insert(
        texts.end(),
        {"Route", run.summary("No items were moved to Trash."), "Removing Inkwell",
         "Hiding inkwell-tray from autostart", "apt would remove: inkwell, libinkwell0",
         "apt would also remove packages the system needs: libc6.",
         "Tidewell did not remove Inkwell: apt would also remove packages the system needs: libc6. Nothing "
         "was changed.",
         "Remove Inkwell",
         // What the package managers and the startup switch say when they do not.
         "\"-inkwell\" is not a Debian package name.",
         "apt-get is not installed, so Tidewell cannot remove Debian packages.",
         "apt-get did not finish within 30 minutes.", "apt-get failed with status 100.",
         "Tidewell could not start /usr/bin/apt-get: ENOENT.",
         "pkexec is not installed, so Tidewell cannot ask for the administrator rights apt needs.",
         "The administrator authorization was dismissed, so inkwell was not removed.",
         "Administrator authorization was not granted, so inkwell was not removed.",
         "Flatpak could not uninstall org.example.Paint.", "No Flatpak installation holds org.example.Paint at /p.",
         "\"org.example.Paint;\" is not a Flatpak app id.",
         "\"Inkpad\" is not a snap name, so Tidewell does not ask snapd to remove it.",
         "snap is not installed, so Tidewell cannot ask snapd to remove inkpad.", "snap could not remove inkpad.",
         "Your autostart folder already has an entry named inkwell-tray.desktop, and it is the one that "
         "starts.",
         "Tidewell could not read /etc/xdg/autostart/inkwell-tray.desktop: ENOENT."});
    std::erase(texts, std::string());
    return texts;
}

TEST(PageTexts, EveryTextOfALinuxPlanIsTranslated) {
    const std::vector<std::string> texts = linuxPlanTexts();
    for (const char* expected :
         {"Flatpak app org.example.Paint (system installation)", "Snap data folder of the snap name",
          "Folder name matches the app name (ignoring case)", "File name matches the app's executable name",
          "Log name contains the last part of the app identifier", "Icon quill.png", "Hidden from autostart",
          "A copy in your autostart folder with Hidden=true switches it off; the system file stays.",
          "Stopped and disabled with systemctl, then moved to Trash."})
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
    // The apps' names, and the tools and the system's reason the error sentences name.
    const QStringList names =
        productNames() + QStringList{"Inkwell", "inkwell", "Inkpad", "inkpad", "Paint",  "Slate",
                                     "Snap",    "apt-get", "pkexec", "snap",   "ENOENT", "inkwell-tray"};
    for (const std::string& text : texts)
        for (const std::string_view language : {chinese, japanese}) {
            const QString shown = toQString(PageTexts::text(text, language));
            EXPECT_FALSE(withoutNames(shown, names).contains(latin)) << language << ": " << shown.toStdString();
        }
}

TEST_F(FilledPages, ChineseAndJapanesePagesShowNoLatinLettersBeyondNames) {
    ContentView content(*model);
    model->setShowActionAlert(true);
    showNewestReport(content);
    const QStringList names = dataNames() + productNames();
    for (const std::string_view language : {chinese, japanese}) {
        model->setLanguage(std::string(language));
        for (const ShownTexts& page : shownTexts(content))
            for (const auto& [where, text] : page)
                EXPECT_FALSE(withoutNames(text, names).contains(latin))
                    << language << " " << where.toStdString() << ": " << text.toStdString();
        for (const std::string& message : actionMessages) {
            const QString shown = toQString(PageTexts::text(message, language));
            EXPECT_FALSE(withoutNames(shown, names).contains(latin)) << language << ": " << shown.toStdString();
        }
    }
}

TEST_F(FilledPages, SpanishAndFrenchPagesShowNoEnglishSentence) {
    ContentView content(*model);
    model->setShowActionAlert(true);
    showNewestReport(content);
    const QStringList names = dataNames() + productNames();
    model->setLanguage("English");
    const std::vector<ShownTexts> english = shownTexts(content);
    // A text of two words or more that reads as in English was not translated.
    const auto isEnglishSentence = [&](const QString& text, const QString& inEnglish) {
        static const QRegularExpression letter("\\p{L}");
        const QStringList words = withoutNames(text, names).split(' ', Qt::SkipEmptyParts).filter(letter);
        return text == inEnglish && words.size() >= 2;
    };
    for (const char* language : {"Español", "Français"}) {
        model->setLanguage(language);
        const std::vector<ShownTexts> translated = shownTexts(content);
        ASSERT_EQ(translated.size(), english.size());
        for (std::size_t page = 0; page < english.size(); ++page)
            for (const auto& [where, text] : translated[page]) {
                const auto found = english[page].find(where);
                if (found == english[page].end()) continue;
                EXPECT_FALSE(isEnglishSentence(text, found->second))
                    << language << " " << where.toStdString() << ": " << text.toStdString();
            }
        for (const std::string& message : actionMessages) {
            const QString shown = toQString(PageTexts::text(message, language));
            EXPECT_FALSE(isEnglishSentence(shown, toQString(message))) << language << ": " << shown.toStdString();
        }
    }
}

// The texts the engines and the model hand over that named macOS parts, as the freedesktop layout
// words them: each reads in every language and names no macOS part.
TEST(PageTexts, TheFreedesktopLayoutsEngineTextsNameNoMacOSPartAndAreTranslated) {
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    testing::TemporaryFolder folder;
    const testing::ShippedTools withoutQpdf({"ffmpeg", "ffprobe"});
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(toQString((folder / "intact.png").string())));
    testing::truncateCopy(folder / "intact.png", folder / "cut.png",
                          std::filesystem::file_size(folder / "intact.png") / 2);
    testing::writeTextPDF(folder / "intact.pdf", {"one", "two"});
    testing::truncateCopy(folder / "intact.pdf", folder / "cut.pdf", 300);
    std::vector<std::string> texts{
        UsageSummary(std::nullopt, false, 0, 0, true, std::chrono::system_clock::now()).reason,
        UsageSummary(std::nullopt, false, 0, 0, false, std::chrono::system_clock::now()).reason,
        "Waiting for administrator approval to read CARD"};
    for (const char* name : {"intact.png", "cut.png", "intact.pdf", "cut.pdf"}) {
        const FileRepairDiagnostic diagnostic = FileFirstAidEngine::diagnose(folder / name);
        texts.push_back(diagnostic.recommendedAction);
        for (const RepairFinding& finding : diagnostic.findings) {
            texts.push_back(finding.title);
            if (finding.title != "Pixel preview") texts.push_back(finding.detail);
        }
        for (const RepairPreviewItem& item : diagnostic.previewItems) texts.push_back(item.detail);
    }
    std::erase_if(texts, [](const std::string& text) { return text.find(" px") != std::string::npos; });
    for (const std::string& text : texts) {
        for (const char* part : {"macOS", "PDFKit", "Finder", "Login Items", "~/Library"})
            EXPECT_EQ(text.find(part), std::string::npos) << text;
        for (const std::string_view language : {chinese, japanese})
            EXPECT_NE(PageTexts::text(text, language), text) << language << ": " << text;
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "2 pages can be opened by Poppler."), texts.end());
}

TEST(PageTexts, RepairAndRecoveryPagesReadInTheChosenLanguage) {
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

    model.setLanguage("日本語");
    EXPECT_EQ(repair.chooseButton()->text(), "修復するファイルを選択");
    EXPECT_EQ(tab(1), "削除されたファイル");

    model.setLanguage("English");
    EXPECT_EQ(repair.chooseButton()->text(), "Choose File to Repair");
    EXPECT_EQ(button(repair, "exportRepairCopy"), "Export Repaired Copy…");
    EXPECT_EQ(repair.findings()->headerItem()->text(2), "Detail");
    EXPECT_EQ(recovery.readable().scan->text(), "Scan Readable Files");
    EXPECT_EQ(button(recovery, "chooseSourceFolder"), "Choose Folder…");
    EXPECT_EQ(tab(1), "Deleted Files");
    EXPECT_EQ(recovery.findChild<QLabel*>("pageSubtitle")->text(),
              "Sources are only read. Recovered files are exported to another place.");
}

}  // namespace
}  // namespace tidewell
