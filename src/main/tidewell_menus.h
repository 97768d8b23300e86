#pragma once

class QMenuBar;

namespace tidewell {

class TidewellApplicationDelegate;

// The menu bar: "Tidewell" (About Tidewell, Quit Tidewell Ctrl+Q) and "File" (Show Tidewell
// Ctrl+0, Choose File to Repair Ctrl+O, Rescan Apps Ctrl+R, all carried out by `target`).
namespace TidewellMenus {

void build(QMenuBar& menuBar, TidewellApplicationDelegate& target);

}  // namespace TidewellMenus
}  // namespace tidewell
