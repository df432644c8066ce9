#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// At most this many characters of something a person or a file gave are
// echoed in a message; a 30 MB line is not worth repeating.
constexpr std::size_t kMaximumQuotedCharacters = 80;

// The text in single quotes for a one-line message. Control characters,
// bytes that are not UTF-8, the backslash and the quote are written as \xNN
// escapes, so that the message stays one line and a terminal shows it as
// written rather than obeying it; a longer text is cut after
// kMaximumQuotedCharacters characters and "..." follows the closing quote.
std::string quotedName(std::string_view text);

// The same for a message that already says where its parts begin and end
// (a row's refusal, say): escaped as above except for quote and backslash,
// without quotes, cut after the given number of characters.
std::string printableText(std::string_view text, std::size_t maximumCharacters);
