// The collation of text keys: a Windows-1252 Western collation that orders by
// base letter, then accents, then letter case (lower before upper), with
// blanks, punctuation and digits before letters. Ties are broken by the
// bytes, so two texts compare equal only when they are equal (or, for a
// case-insensitive comparison, equal apart from letter case). Deterministic on
// every platform; no locale is read.
#pragma once

#include <string>
#include <string_view>

namespace kvr {

// Negative, zero or positive as a sorts before, equal to, or after b.
int CollateText(std::string_view a, std::string_view b, bool caseInsensitive);

// A byte string whose plain byte order (std::string comparison) is the
// order of CollateText: keys compare equal exactly when CollateText finds the
// texts equal. For sorting many texts at once.
std::string CollationKey(std::string_view text, bool caseInsensitive);

// ASCII-and-Windows-1252 letter case folding used by the case-insensitive
// comparisons of field, index and file names.
char FoldCase(char c);
bool SameText(std::string_view a, std::string_view b);

}  // namespace kvr
