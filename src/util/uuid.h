#pragma once

#include <string>

namespace tidewell {

// A fresh random (version 4) UUID in canonical upper-case text.
std::string makeUUIDString();

}  // namespace tidewell
