#pragma once
// Number parsing of the light-curve reader: one pass over the characters,
// no allocation, and the same result as the C library's strtof in the "C"
// locale, whatever locale the process runs in.

namespace quorva {

// Parses one number at `p` as strtof does (leading white space, optional
// sign, decimal digits with an optional point and exponent, and also the
// forms strtof accepts besides: "inf", "infinity", "nan", "nan(...)" and
// hexadecimal numbers). Never reads at or past `end`, and stops at a NUL
// character as a C string would end there. On success stores the value in
// `out` and returns the position after the last character used; when no
// number starts there returns `p` and leaves `out` alone.
const char* parseFloat(const char* p, const char* end, float& out) noexcept;

} // namespace quorva
