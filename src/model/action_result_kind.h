#pragma once

namespace tidewell {

// How the outcome of a user action is shown: the alert's tone.
enum class ActionResultKind { success, failure, warning, info };

}  // namespace tidewell
