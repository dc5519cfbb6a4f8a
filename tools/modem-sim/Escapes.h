#pragma once

#include <string>

// Turning the simulator's text commands into raw bytes and raw bytes into printable event text.
namespace Escapes {

// Replaces \r, \n, \t, \\ and \xHH with the bytes they stand for; other text is kept as is.
std::string decode(const std::string& text);

// Printable ASCII is kept; a backslash, CR, LF and every other byte are written as escapes that
// decode() turns back into the same bytes.
std::string display(const std::string& bytes);

} // namespace Escapes
