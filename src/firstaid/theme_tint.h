#pragma once

namespace tidewell {

// The named colours status values are drawn in; the interface maps each to
// its palette (the theme's blue and teal, the system orange and red).
enum class ThemeTint { themeBlue, themeTeal, orange, red };

}  // namespace tidewell
