#include <iostream>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"

namespace tidewell::LiveDeletedRecoveryQAAcceptance {

std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments) {
    if (!acceptance::hasArgument(option, arguments)) return std::nullopt;
    std::cerr << "FAIL: not available in this build" << std::endl;
    return 1;
}

}  // namespace tidewell::LiveDeletedRecoveryQAAcceptance
