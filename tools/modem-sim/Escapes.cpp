#include "Escapes.h"

#include <cstdio>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string Escapes::decode(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c != '\\' || next == '\0') {
            bytes += c;
        } else if (next == 'r' || next == 'n' || next == 't' || next == '\\') {
            bytes += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexValue(text[i + 2]) >= 0
            && hexValue(text[i + 3]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

std::string Escapes::display(const std::string& bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            text += escape;
        }
    }
    return text;
}
