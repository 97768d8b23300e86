#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "model/desktop.h"
#include "model/dialogs.h"

namespace tidewell::testing {

// Answers the panels from a script, in order, and keeps the requests; an exhausted script
// answers like a cancelled panel.
class ScriptedDialogs : public Dialogs {
public:
    std::deque<std::vector<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    std::vector<OpenRequest> openRequests;
    std::vector<SaveRequest> saveRequests;
    // Called as each open panel is asked for, before it answers.
    std::function<void()> whenOpening;

    std::vector<std::filesystem::path> chooseForOpening(const OpenRequest& request) override {
        openRequests.push_back(request);
        if (whenOpening) whenOpening();
        return next(openAnswers, std::vector<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> chooseForSaving(const SaveRequest& request) override {
        saveRequests.push_back(request);
        return next(saveAnswers, std::optional<std::filesystem::path>{});
    }

private:
    template <typename Answer>
    static Answer next(std::deque<Answer>& answers, Answer cancelled) {
        if (answers.empty()) return cancelled;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

// Records what would have been handed to the desktop.
class RecordingDesktop : public Desktop {
public:
    std::vector<std::vector<std::filesystem::path>> revealed;
    std::vector<std::filesystem::path> opened;
    bool opens = true;

    void revealInFileBrowser(const std::vector<std::filesystem::path>& items) override { revealed.push_back(items); }
    bool openWithDefaultApplication(const std::filesystem::path& file) override {
        opened.push_back(file);
        return opens;
    }
};

}  // namespace tidewell::testing
