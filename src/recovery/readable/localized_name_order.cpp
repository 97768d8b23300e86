#include "recovery/readable/localized_name_order.h"

#include "util/unicode_text.h"

namespace tidewell {

int localizedCaseInsensitiveCompare(std::string_view left, std::string_view right) {
    if (int order = compareIgnoringCase(left, right); order != 0) return order < 0 ? -1 : 1;
    int bytes = left.compare(right);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

bool localizedCaseInsensitiveLess(std::string_view left, std::string_view right) {
    return localizedCaseInsensitiveCompare(left, right) < 0;
}

}  // namespace tidewell
