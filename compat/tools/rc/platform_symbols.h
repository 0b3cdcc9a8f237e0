// The platform's constants that scripts use without including the platform's headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rc {

std::optional<uint32_t> PlatformSymbol(const std::string& name);

}  // namespace rc
