// The exchanges with the maker's web site: a form post, the tag-pair reader for its answers,
// and the machine identifier that names an installation to the server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace orv {

// Time limits of the two callers: the update check may wait, the feedback dialog blocks its user.
inline constexpr std::uint32_t kCheckTimeoutMs = 10000;
inline constexpr std::uint32_t kFeedbackTimeoutMs = 3000;

// The field list "cmd=check", "appname=QUENZAL - Orvalin" as a form body: UTF-8, each name and
// value percent-escaped (space as "+"), pairs joined by "&": cmd=check&appname=QUENZAL+-+Orvalin.
std::string EncodeFormBody(const std::vector<std::wstring>& fields);

// "https://host:8443/php/check2.php" -> secure, host, port 8443, path. The scheme may be written
// in any letter case; throws EHttpError for an address that is neither http:// nor https://.
HttpTarget ParseHttpAddress(const std::wstring& address);

// The answer's text: UTF-8 unless the answer declares a single-byte charset (then Latin-1).
std::wstring DecodeAnswer(const HttpAnswer& answer);

// Posts the fields as a form and answers the body, whatever the status code. Throws on any
// transport failure; never answers a partial text.
std::wstring PostForm(Platform& platform, const std::wstring& address,
                      const std::vector<std::wstring>& fields, std::uint32_t timeoutMs);
// The same through a poster that needs no platform object (Platform::DetachedFormPoster).
std::wstring PostForm(const Platform::FormPoster& poster, const std::wstring& address,
                      const std::vector<std::wstring>& fields, std::uint32_t timeoutMs);

// "<version>3.3</version>" with the tag "version" (or "Version") -> "3.3". Only a line that is
// exactly such a pair, in lower case, counts; anything else gives "".
std::wstring ReadTagValue(const std::wstring& line, const std::wstring& tag);

// The machine identifier, "" when the system has none; throws ERegistryError when it is stored
// in another form than text.
std::wstring ReadMachineGuid(Platform& platform);

// Lines split at CR, LF or CR LF; a final line break ends the last line and starts no new one.
std::vector<std::wstring> SplitLines(const std::wstring& text);

// Decimal text (optional blanks and sign before the digits) or "$"/"0x" hexadecimal, within
// the 32-bit signed range; nullopt otherwise.
std::optional<std::int32_t> TextToInt32(const std::wstring& text);

// Trims blanks and control characters (everything up to U+0020) from both ends.
std::wstring TrimControl(const std::wstring& text);

}  // namespace orv
