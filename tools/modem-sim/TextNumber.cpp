#include "TextNumber.h"

#include <algorithm>
#include <cctype>

std::optional<int> TextNumber::parse(const std::string& text)
{
    const bool digitsOnly = std::all_of(text.begin(), text.end(),
        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (text.empty() || text.size() > 9 || !digitsOnly)
        return std::nullopt;
    return std::stoi(text);
}
