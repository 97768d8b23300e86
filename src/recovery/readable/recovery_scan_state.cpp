#include "recovery/readable/recovery_scan_state.h"

namespace tidewell {

std::string RecoveryScanState::label() const {
    switch (case_) {
        case Case::failed:
            return "Needs attention";
        case Case::idle:
            return "Ready";
        case Case::scanning:
            return "Scanning";
        case Case::exporting:
            return "Exporting";
        case Case::completed:
            return "Complete";
    }
    return "Ready";
}

RecoveryScanTint RecoveryScanState::tint() const {
    switch (case_) {
        case Case::failed:
            return RecoveryScanTint::orange;
        case Case::idle:
            return RecoveryScanTint::secondaryText;
        case Case::scanning:
        case Case::exporting:
            return RecoveryScanTint::blue;
        case Case::completed:
            return RecoveryScanTint::teal;
    }
    return RecoveryScanTint::secondaryText;
}

}  // namespace tidewell
