#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// True for "8-4-4-4-12" hexadecimal UUID text or 32 bare hexadecimal digits.
bool tidewellLooksLikeUUID(std::string_view text);

// True only for the hyphenated "8-4-4-4-12" form.
bool tidewellIsHyphenatedUUID(std::string_view text);

// "my-cool_app" reads "My Cool App": split at "-" and "_", empty pieces dropped,
// each piece lower-cased with its first character upper-cased, joined with spaces.
std::string tidewellDisplayName(std::string_view token);

}  // namespace tidewell
