// The one crossing between the program's GBK texts and Unicode (UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace tankora {

// GBK bytes to UTF-8. A byte sequence that does not decode (a cut double-byte
// character, say) becomes U+FFFD and decoding goes on with the next byte.
std::string gbkToUtf8(std::string_view gbk);
// UTF-8 to GBK. A character that GBK cannot hold, or malformed UTF-8, becomes "?".
std::string utf8ToGbk(std::string_view utf8);

}  // namespace tankora
