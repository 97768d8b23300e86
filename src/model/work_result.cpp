#include "model/work_result.h"

#include "process/command_runner.h"
#include "recovery/deleted/device_imaging.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

bool isCancellationError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const ExternalRecoveryEngine::RecoveryError& recovery) {
        return recovery.errorCase() == ExternalRecoveryEngine::RecoveryError::Case::cancelled;
    } catch (const DeletedRecovery::RecoveryError& recovery) {
        return recovery.errorCase() == DeletedRecovery::RecoveryError::Case::cancelled;
    } catch (const DeviceImaging::ImagingError& imaging) {
        return imaging.errorCase() == DeviceImaging::ImagingError::Case::cancelled;
    } catch (const CommandRunner::CancellationError&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace tidewell
