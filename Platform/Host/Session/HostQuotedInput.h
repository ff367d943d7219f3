// Input named in an error message (an option, a script line or token, a path), cut so
// that the message stays one short line whatever was given: a 10 MB line echoed back
// would bury the error it explains.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// At most this many characters of the input are quoted (an escaped byte counts as
// wide as its escape: the line stays short whatever the input held).
constexpr std::size_t HostQuotedInputLimit = 80;

// The first `HostQuotedInputLimit` characters of `text`, followed by "..." when it was
// cut. A UTF-8 character is never split; control characters and bytes that are not
// UTF-8 are escaped (\n, \x1b), as every log line escapes them, so the excerpt cannot
// end the line or move the cursor, and two inputs that differ show differently.
std::string HostInputExcerpt(std::string_view text);

// The excerpt in double quotes: "tapp".
std::string HostQuotedInput(std::string_view text);
