#include "common/TextRules.h"

#include "common/LetterCase.h"

namespace dustvale {

Text Trim(std::u16string_view s) {
    const auto first = s.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    const auto last = s.find_last_not_of(u' ');
    return Text(s.substr(first, last - first + 1));
}

Text TrimAtNull(std::u16string_view s) {
    return Text(s.substr(0, s.find(u'\0')));
}

Text EnsureTrailing(std::u16string_view s, std::u16string_view c) {
    Text t = Trim(s);
    if (!EndsWithNoCase(t, c)) t += c;
    return t;
}

Text RemoveTrailing(std::u16string_view s, std::u16string_view c) {
    Text t = Trim(s);
    if (!c.empty() && EndsWithNoCase(t, c)) t.resize(t.size() - c.size());
    return t;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperLetter(a[i]) != UpperLetter(b[i])) return false;
    }
    return true;
}

bool EndsWithNoCase(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

Text ToUpperText(std::u16string_view s) {
    Text out(s);
    for (auto& c : out) c = UpperLetter(c);
    return out;
}

Text ProperCase(std::u16string_view s) {
    Text out(s);
    bool wordStart = true;
    for (auto& c : out) {
        c = wordStart ? UpperLetter(c) : LowerLetter(c);
        wordStart = (c == u' ');
    }
    return out;
}

}  // namespace dustvale
