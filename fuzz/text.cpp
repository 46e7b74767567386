// CP932 <-> UTF-8: decoded text is valid UTF-8 and encodes back to text that
// decodes the same; an exact encoding decodes to what was encoded.
#include "platform/text.h"
#include "fuzz.h"

using platform::Cp932ToUtf8;
using platform::IsValidUtf8;
using platform::Utf8ToCp932;

void FuzzOne(std::string_view bytes) {
    const std::string utf8 = Cp932ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(utf8));

    bool exact = false;
    const std::string cp932 = Utf8ToCp932(utf8, &exact);
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos) { // every byte formed a character
        FUZZ_CHECK(exact);
        FUZZ_CHECK(Cp932ToUtf8(cp932) == utf8);
    }

    const std::string encoded = Utf8ToCp932(bytes, &exact);
    FUZZ_CHECK(!exact || IsValidUtf8(bytes));
    if (exact)
        FUZZ_CHECK(Cp932ToUtf8(encoded) == bytes);
}
