#pragma once

#include <string>

namespace tidewell {

// The colour a recovery state is drawn in; the interface maps it to the theme.
enum class RecoveryScanTint { secondaryText, blue, teal, orange };

// Progress of one recovery screen. The application model owns the transitions.
class RecoveryScanState {
public:
    enum class Case { failed, idle, scanning, exporting, completed };

    static RecoveryScanState failed(std::string message) { return RecoveryScanState(Case::failed, std::move(message)); }
    static RecoveryScanState idle() { return RecoveryScanState(Case::idle); }
    static RecoveryScanState scanning() { return RecoveryScanState(Case::scanning); }
    static RecoveryScanState exporting() { return RecoveryScanState(Case::exporting); }
    static RecoveryScanState completed() { return RecoveryScanState(Case::completed); }

    Case stateCase() const { return case_; }
    // The failure message; empty for the other cases.
    const std::string& message() const { return message_; }

    // "Ready", "Scanning", "Exporting", "Complete" or "Needs attention".
    std::string label() const;
    bool isFailure() const { return case_ == Case::failed; }
    // Scanning or exporting: the screen's work is still running.
    bool isBusy() const { return case_ == Case::scanning || case_ == Case::exporting; }
    RecoveryScanTint tint() const;

    bool operator==(const RecoveryScanState&) const = default;

private:
    explicit RecoveryScanState(Case stateCase, std::string message = {})
        : case_(stateCase), message_(std::move(message)) {}

    Case case_;
    std::string message_;
};

}  // namespace tidewell
