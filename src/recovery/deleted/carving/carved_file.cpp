#include "recovery/deleted/carving/carved_file.h"

namespace tidewell::FileCarving {

std::string rawValue(CarvedStatus status) {
    switch (status) {
        case CarvedStatus::good:
            return "Good";
        case CarvedStatus::unvalidated:
            return "Unvalidated";
        case CarvedStatus::partial:
            return "Partial";
    }
    return "Partial";
}

}  // namespace tidewell::FileCarving
