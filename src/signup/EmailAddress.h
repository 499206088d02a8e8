// Whether a typed e-mail address can be written to at all, so that the
// partner is never told to answer to a name or a half address.
#pragma once

#include <string>

namespace tolvane::signup {

// True for "local@domain": one "@"; a local part of dot-separated runs of
// letters, digits and !#$%&'*+-/=?^_`{|}~; a domain of at least two
// dot-separated labels of letters, digits and "-" (not at a label's ends).
// Bytes from 0x80 up (UTF-8 of an internationalised address) count as
// letters. Blanks, control characters, quotes and brackets are refused
// anywhere, also around the address.
bool IsEmailAddress(const std::string& address);

} // namespace tolvane::signup
