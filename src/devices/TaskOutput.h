// A child's output as text: checked to be UTF-8 (as far as it has arrived), trimmed, and
// searched for a pattern while it still arrives. Standard library only: the installer program
// builds its own copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>

namespace harbrix::task {

// Length of the UTF-8 text up to an incomplete final sequence (allowed only when more may
// follow); none when the text is not UTF-8.
std::optional<std::size_t> utf8Length(std::string_view text, bool more);

// White space and line breaks, Unicode ones included, cut at both ends of valid UTF-8.
std::string trim(const std::string& text);

// Finds the first accepted match in the output seen so far. A match that reaches the end of
// what has arrived may still grow, so it waits for more output unless the output has ended.
class PatternSearch {
  public:
    PatternSearch(const std::regex& pattern, const std::optional<std::set<std::string>>& reject)
        : pattern_(pattern), reject_(reject) {}

    // False once the search is over: a result, or output that cannot be searched.
    bool feed(std::string_view chunk, bool ended);
    const std::optional<std::string>& result() const { return result_; }

  private:
    const std::regex& pattern_;
    const std::optional<std::set<std::string>>& reject_;
    std::string text_;
    std::size_t from_ = 0;
    std::optional<std::string> result_;
};

}  // namespace harbrix::task
