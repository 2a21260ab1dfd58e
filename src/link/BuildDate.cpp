// A hand-written reader for build dates: the C library's strptime reads month names in the
// current locale, and the pedal always prints English ones.
#include "link/BuildDate.h"

#include <array>
#include <cstdio>

namespace harbrix {
namespace {

constexpr std::array<std::string_view, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::int64_t kSecondsPerDay = 86400;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ == text_.size(); }

    // One or more spaces.
    bool spaces() {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] == ' ') ++at_;
        return at_ > start;
    }

    bool literal(char c) {
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    // Between `fewest` and `most` decimal digits.
    std::optional<int> number(std::size_t fewest, std::size_t most) {
        std::size_t count = 0;
        int value = 0;
        while (at_ < text_.size() && count < most && text_[at_] >= '0' && text_[at_] <= '9') {
            value = value * 10 + (text_[at_] - '0');
            ++at_;
            ++count;
        }
        if (count < fewest) return std::nullopt;
        return value;
    }

    // 1..12 for an English month abbreviation, in any letter case.
    std::optional<int> month() {
        if (text_.size() - at_ < 3) return std::nullopt;
        for (std::size_t m = 0; m < kMonths.size(); ++m) {
            bool same = true;
            for (std::size_t i = 0; i < 3; ++i)
                same = same && lower(text_[at_ + i]) == lower(kMonths[m][i]);
            if (same) {
                at_ += 3;
                return static_cast<int>(m) + 1;
            }
        }
        return std::nullopt;
    }

  private:
    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<std::int64_t> parseBuildDate(std::string_view text) {
    Reader reader(text);
    const auto month = reader.month();
    if (!month || !reader.spaces()) return std::nullopt;
    const auto day = reader.number(1, 2);
    if (!day || !reader.spaces()) return std::nullopt;
    const auto year = reader.number(4, 4);
    if (!year || !reader.spaces()) return std::nullopt;
    const auto hour = reader.number(2, 2);
    if (!hour || !reader.literal(':')) return std::nullopt;
    const auto minute = reader.number(2, 2);
    if (!minute || !reader.literal(':')) return std::nullopt;
    const auto second = reader.number(2, 2);
    if (!second || !reader.atEnd()) return std::nullopt;
    if (*day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    return daysFromCivil(*year, *month, *day) * kSecondsPerDay + *hour * 3600 + *minute * 60 +
           *second;
}

std::string formatBuildDay(std::int64_t secondsSince1970) {
    std::int64_t days = secondsSince1970 / kSecondsPerDay;
    if (secondsSince1970 % kSecondsPerDay < 0) --days;  // round towards the earlier day
    std::int64_t year = 0;
    int month = 1;
    int day = 1;
    civilFromDays(days, year, month, day);
    char text[48];
    std::snprintf(text, sizeof text, "%.3s %d %04lld", kMonths[month - 1].data(), day,
                  static_cast<long long>(year));
    return text;
}

}  // namespace harbrix
