#pragma once
// File names on Linux are UTF-8, the engine draws single-byte character
// codes: ASCII as it is and the accented Latin-1 letters under codes of its
// own. This turns a UTF-8 name into those codes for the title.

#include <string>
#include <string_view>

namespace quorva {

// ASCII stays; a Latin-1 character the engine has a code for becomes that
// code; every other character becomes '?'. A text that is not valid UTF-8
// is returned unchanged (its bytes are the best there is).
std::string engineTextFromUtf8(std::string_view utf8);

} // namespace quorva
