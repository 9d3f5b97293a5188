#pragma once

// An unexpected failure as the control reports it to OnError: a number and a text.

#include <cstdint>
#include <exception>
#include <string_view>

#include "platform/Types.h"

namespace dustvale {

struct ErrorDetails {
    std::int32_t number = 0;
    Text description;
};

// E_FAIL, the number Windows gives a failure without a cause of its own: for errors that
// carry no number.
constexpr std::int32_t kGeneralFailureNumber = static_cast<std::int32_t>(0x80004005u);

// A system_error keeps its own code; any other exception gets kGeneralFailureNumber.
// The text is the exception's message, read as UTF-8.
ErrorDetails DescribeError(const std::exception& error);

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
Text Utf8ToText(std::string_view utf8);

}  // namespace dustvale
