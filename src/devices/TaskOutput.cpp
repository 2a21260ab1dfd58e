#include "devices/TaskOutput.h"

namespace harbrix::task {
namespace {

bool isBlank(std::uint32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

}  // namespace

std::optional<std::size_t> utf8Length(std::string_view text, bool more) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0) return std::nullopt;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k == text.size()) return more ? std::optional(i) : std::nullopt;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (next & 0x3F);
            // Reject overlong forms and surrogates as soon as the second byte shows them.
            if (k == 1 &&
                ((length == 3 && code < 0x20) || (length == 4 && code < 0x10) ||
                 (length == 3 && code >= 0x360 && code < 0x380) || (length == 4 && code >= 0x110)))
                return std::nullopt;
        }
        i += length;
    }
    return i;
}

std::string trim(const std::string& text) {
    auto decode = [&](std::size_t at, std::size_t& length) {
        const auto lead = static_cast<unsigned char>(text[at]);
        length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        return code;
    };
    std::size_t begin = 0;
    std::size_t length = 0;
    while (begin < text.size() && isBlank(decode(begin, length))) begin += length;
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        if (!isBlank(decode(start, length))) break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

bool PatternSearch::feed(std::string_view chunk, bool ended) {
    text_.append(chunk);
    const auto complete = utf8Length(text_, !ended);
    if (!complete) return false;
    while (from_ <= *complete) {
        auto flags = std::regex_constants::match_default;
        if (from_ > 0) flags |= std::regex_constants::match_prev_avail;
        if (!ended) flags |= std::regex_constants::match_not_eol;
        std::smatch match;
        const auto first = text_.cbegin() + static_cast<std::ptrdiff_t>(from_);
        const auto last = text_.cbegin() + static_cast<std::ptrdiff_t>(*complete);
        if (!std::regex_search(first, last, match, pattern_, flags)) return true;
        const std::size_t end = static_cast<std::size_t>(match[0].second - text_.cbegin());
        if (!ended && end == *complete) return true;
        const auto& group = match[match.size() - 1];
        if (!group.matched) return false;
        if (!reject_ || reject_->count(group.str()) == 0) {
            result_ = group.str();
            return false;
        }
        from_ = end + (match.length(0) == 0 ? 1 : 0);
        while (from_ < *complete && (static_cast<unsigned char>(text_[from_]) & 0xC0) == 0x80)
            ++from_;
    }
    return true;
}

}  // namespace harbrix::task
