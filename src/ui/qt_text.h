#pragma once

#include <QString>
#include <string_view>

namespace tidewell {

// UTF-8 text of the models as the toolkit's strings.
inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tidewell
