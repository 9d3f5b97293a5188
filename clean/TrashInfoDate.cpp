#include "clean/TrashInfoDate.h"

#include <string>

namespace dustvale {
namespace {

constexpr std::string_view kGroup = "[Trash Info]";
constexpr std::string_view kKey = "DeletionDate";

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The number spelt by exactly `digits` ASCII digits at `at`; -1 otherwise.
int Digits(std::string_view text, std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "YYYY-MM-DDThh:mm:ss", and nothing else.
std::optional<CalendarTime> ParseDate(std::string_view value) {
    constexpr std::string_view kForm = "0000-00-00T00:00:00";
    if (value.size() != kForm.size()) return std::nullopt;
    for (const std::size_t at : {4u, 7u, 10u, 13u, 16u}) {
        if (value[at] != kForm[at]) return std::nullopt;
    }
    const CalendarTime date{Digits(value, 0, 4),  Digits(value, 5, 2),  Digits(value, 8, 2),
                            Digits(value, 11, 2), Digits(value, 14, 2), Digits(value, 17, 2)};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month) || date.hour < 0 || date.hour > 23 ||
        date.minute < 0 || date.minute > 59 || date.second < 0 || date.second > 59) {
        return std::nullopt;
    }
    return date;
}

}  // namespace

std::optional<CalendarTime> DeletionDateIn(std::string_view trashInfo) {
    if (trashInfo.starts_with("\xEF\xBB\xBF")) trashInfo.remove_prefix(3);  // a UTF-8 mark
    bool inGroup = false;
    bool groupSeen = false;
    std::optional<std::string_view> value;
    while (!trashInfo.empty()) {
        const std::size_t end = trashInfo.find('\n');
        const std::string_view line =
            Trimmed(trashInfo.substr(0, end == std::string_view::npos ? trashInfo.size() : end));
        trashInfo.remove_prefix(end == std::string_view::npos ? trashInfo.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line == kGroup && groupSeen) return std::nullopt;  // two groups: which one?
            inGroup = line == kGroup;
            groupSeen = groupSeen || inGroup;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) continue;
        if (Trimmed(line.substr(0, equals)) != kKey) continue;
        if (value) return std::nullopt;  // two dates: neither is believed
        value = Trimmed(line.substr(equals + 1));
    }
    if (!value) return std::nullopt;
    return ParseDate(*value);
}

std::optional<CalendarTime> ReadDeletionDate(const HeldFolder& info, const DirectoryEntry& listed) {
    // An empty entry has no date, and a device or a pipe (listed with a size of 0 under Wine)
    // is not even opened: reading one could wait for ever.
    if (listed.size == 0 || listed.size > kTrashInfoMaxBytes ||
        (listed.attributes & attr::kDirectory) != 0) {
        return std::nullopt;
    }
    const CheckedEntry entry = OpenListed(info, listed, rights::kReadData);
    if (entry.kind != EntryKind::File) return std::nullopt;
    const std::optional<std::string> bytes = entry.handle->Read(kTrashInfoMaxBytes + 1);
    if (!bytes || bytes->size() > kTrashInfoMaxBytes) return std::nullopt;
    return DeletionDateIn(*bytes);
}

}  // namespace dustvale
