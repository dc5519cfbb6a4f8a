#pragma once

#include <optional>
#include <string>

// Whole decimal numbers in command lines and options.
namespace TextNumber {

// The number that `text` spells in full, or nullopt (no sign, no spaces, at most 9 digits).
std::optional<int> parse(const std::string& text);

} // namespace TextNumber
