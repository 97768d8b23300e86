#include <algorithm>
#include <iostream>

#include "cleanup/clean_layout.h"
#include "cleanup/removal_plan.h"
#include "cli/cleanup_run_output.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "util/unicode_text.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

// The app as `tidewell apps` lists it: its id, identifier, desktop-file id, name or path.
bool isNamed(const AppInfo& app, const std::string& name) {
    const fs::path given = fs::path(name).lexically_normal();
    return app.id == name || app.bundleIdentifier == name || compareIgnoringCase(app.name, name) == 0 ||
           fs::path(app.path).lexically_normal() == given || fs::path(app.id).lexically_normal() == given ||
           (fs::path(app.id).extension() == ".desktop" && fs::path(app.id).filename() == name);
}

// A candidate as the plan lists it: its label, its path or its file name.
bool isNamed(const CleanupCandidate& candidate, const std::string& name) {
    return compareIgnoringCase(candidate.label, name) == 0 || candidate.path == name ||
           fs::path(candidate.path).filename() == name;
}

const AppInfo& findApp(const std::vector<AppInfo>& apps, const std::string& name) {
    std::vector<const AppInfo*> found;
    for (const AppInfo& app : apps)
        if (isNamed(app, name)) found.push_back(&app);
    if (found.empty()) throw UsageError("no installed app is named " + name + " (tidewell apps lists them)");
    if (found.size() > 1) {
        std::string ids;
        for (const AppInfo* app : found) ids += (ids.empty() ? "" : ", ") + app->id;
        throw UsageError(name + " names " + std::to_string(found.size()) + " apps; name one by its id: " + ids);
    }
    return *found.front();
}

// The sheet's default selection, adjusted by --include and --exclude. A name that matches
// no selectable item is a usage error, so a typo never changes what moves silently.
std::vector<bool> selection(const AppInfo& app, const CommandArguments& arguments) {
    const std::vector<CleanupCandidate>& candidates = app.cleanupCandidates;
    std::vector<bool> selected;
    for (const CleanupCandidate& candidate : candidates)
        selected.push_back(candidate.isSelectable && candidate.defaultSelected);
    for (const auto& [option, value] : {std::pair{"--include", true}, std::pair{"--exclude", false}}) {
        for (const std::string& name : arguments.allValues(option)) {
            bool matched = false;
            for (std::size_t index = 0; index < candidates.size(); ++index) {
                if (!candidates[index].isSelectable || !isNamed(candidates[index], name)) continue;
                selected[index] = value;
                matched = true;
            }
            if (!matched) throw UsageError(std::string(option) + " " + name + " names no selectable item of the plan");
        }
    }
    return selected;
}

nlohmann::json previewJSON(const std::optional<RemovalPreview>& preview) {
    if (!preview) return nullptr;
    return {{"packages", preview->packages},
            {"refusal", preview->refusal ? nlohmann::json(*preview->refusal) : nlohmann::json(nullptr)}};
}

nlohmann::json planJSON(const AppInfo& app, const std::vector<bool>& selected,
                        const std::optional<RemovalPreview>& preview) {
    nlohmann::json candidates = nlohmann::json::array();
    for (std::size_t index = 0; index < app.cleanupCandidates.size(); ++index) {
        nlohmann::json candidate = candidateJSON(app.cleanupCandidates[index]);
        candidate["selected"] = bool(selected[index]);
        candidates.push_back(candidate);
    }
    return {{"app",
             {{"id", app.id},
              {"name", app.name},
              {"origin", app.origin},
              {"path", app.path},
              {"isRunning", app.isRunning},
              {"isProtected", app.isProtected}}},
            {"candidates", candidates},
            {"simulation", previewJSON(preview)}};
}

void printPlan(const AppInfo& app, const std::vector<bool>& selected, const std::optional<RemovalPreview>& preview) {
    std::cout << app.name << (app.origin.empty() ? "" : "  (" + app.origin + ")") << "  " << app.path << "\n";
    if (app.isRunning) std::cout << "  The app is running; it is asked to quit before it is removed.\n";
    for (std::size_t index = 0; index < app.cleanupCandidates.size(); ++index) {
        const CleanupCandidate& candidate = app.cleanupCandidates[index];
        const char* mark = !candidate.isSelectable ? "[locked]" : selected[index] ? "[x]" : "[ ]";
        std::cout << "  " << mark << " " << candidate.label << "  " << candidate.sizeText() << "  "
                  << rawValue(candidate.route) << "  " << candidate.path << "\n";
    }
    if (app.isProtected)
        std::cout << "The app is protected: nothing in its plan can be removed.\n";
    else if (std::none_of(selected.begin(), selected.end(), [](bool chosen) { return chosen; }))
        std::cout << "Nothing is selected.\n";
    if (!preview) return;
    std::cout << "apt would remove:" << (preview->packages.empty() ? " nothing" : "") << "\n";
    for (const std::string& package : preview->packages) std::cout << "  " << package << "\n";
    if (preview->refusal) std::cout << "Refused: " << *preview->refusal << "\n";
}

int run(const CommandArguments& arguments) {
    if (arguments.operands.size() != 1) throw UsageError("name one app");
    const CleanLayout& layout = CleanLayouts::active();
    const std::vector<AppInfo> apps = layout.scanApps(true);
    const AppInfo& app = findApp(apps, arguments.operands.front());
    const std::vector<bool> selected = selection(app, arguments);
    std::vector<CleanupCandidate> chosen;
    for (std::size_t index = 0; index < selected.size(); ++index)
        if (selected[index]) chosen.push_back(app.cleanupCandidates[index]);

    const RemovalSteps steps = layout.removalSteps();
    const std::optional<RemovalPreview> preview = askPackageManagers(app, chosen, steps);
    const bool json = arguments.has("--json");
    if (!arguments.has("--yes")) {
        json ? printJSON(planJSON(app, selected, preview)) : printPlan(app, selected, preview);
        return preview && preview->refusal ? 1 : 0;
    }

    const RemovalOptions options{.allowForceQuit = arguments.has("--force-quit")};
    const RemovalPlanRun run = carryOutRemovalPlan(app, chosen, options, steps, statusPrinter());
    const std::optional<std::string> stop = run.stopMessage(app.name);
    const CleanupBatch batch = run.reportedBatch(app.name);
    if (!run.nothingAccepted) recordReport(app.name, batch);
    const std::string summary = stop.value_or(run.summary("No items were moved to Trash."));
    if (json) {
        nlohmann::json document = planJSON(app, selected, preview);
        document["report"] = batchJSON(batch, summary);
        printJSON(document);
    } else {
        printPlan(app, selected, preview);
        printBatch(batch, summary);
    }
    return stop ? 1 : batchStatus(batch);
}

}  // namespace

const Command& uninstallCommand() {
    static const Command command{
        .name = "uninstall",
        .usageLine =
            "Usage: tidewell uninstall APP [--yes] [--force-quit] [--include NAME]... [--exclude NAME]... "
            "[--json]",
        .summary = "show an app's removal plan, and carry it out with --yes",
        .details =
            "APP is an app's id, identifier, desktop-file id, name or path as tidewell apps lists it.\n"
            "Without --yes the plan is printed with its default selection, each item's route and\n"
            "what the package manager would remove; nothing changes.\n"
            "  --yes          carry the plan out: quit the app, switch off its startup items, remove\n"
            "                 it the way its origin expects, move the rest to the Trash, and print the\n"
            "                 report (status 0 all done, 2 some items failed, 1 refused or nothing done)\n"
            "  --force-quit   force the app to quit when a normal quit request fails\n"
            "  --include NAME also take this item (its label, path or file name; repeat for more)\n"
            "  --exclude NAME leave this item in place (repeat for more)\n",
        .flags = {"--yes", "--force-quit"},
        .valuedOptions = {"--include", "--exclude"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
