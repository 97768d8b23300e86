#pragma once

namespace tidewell::TerminationSignals {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly quit of the running application, so the
// termination steps (cancel the repair, end the external tools) run as after "Quit Tidewell".
// Call once, after the application object exists.
void quitApplicationOnSignals();

}  // namespace tidewell::TerminationSignals
