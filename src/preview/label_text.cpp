#include "preview/label_text.hpp"

#include "text/cp1250.hpp"

namespace preview {

std::string labelUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto byte = static_cast<unsigned char>(s[i]);
        if (byte == '~' && i + 1 < s.size() && s[i + 1] == '[') {  // a label code up to its "]"
            std::size_t close = s.find(']', i);
            if (close != std::string_view::npos) {
                i = close;
                if (!out.empty() && out.back() != ' ') out += ' ';
                continue;
            }
        }
        if (byte < 0x20 || byte == 0x7f) continue;
        char32_t cp = byte < 0x80 ? byte : text::kCp1250High[byte - 0x80];
        if (cp == 0) cp = '?';
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

}  // namespace preview
