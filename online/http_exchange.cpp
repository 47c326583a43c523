// Form posts, answer parsing and the machine identifier.
#include "online/http_exchange.h"

#include <cwctype>

#include "core/errors.h"
#include "core/utf.h"

namespace orv {
namespace {

void AppendEscaped(std::string& out, const std::string& utf8) {
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : utf8) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '*') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::string EncodeFormBody(const std::vector<std::wstring>& fields) {
    std::string body;
    for (const std::wstring& field : fields) {
        if (!body.empty()) body += '&';
        const auto eq = field.find(L'=');
        AppendEscaped(body, WideToUtf8(field.substr(0, eq)));
        body += '=';
        if (eq != std::wstring::npos) AppendEscaped(body, WideToUtf8(field.substr(eq + 1)));
    }
    return body;
}

HttpTarget ParseHttpAddress(const std::wstring& address) {
    HttpTarget target;
    const std::wstring lower = Lower(address);
    std::size_t rest = 0;
    if (StartsWith(lower, L"https://")) {
        target.secure = true;
        target.port = 443;
        rest = 8;
    } else if (StartsWith(lower, L"http://")) {
        rest = 7;
    } else {
        throw EHttpError(L"Unsupported address: " + address);
    }
    const auto slash = address.find(L'/', rest);
    std::wstring authority =
        address.substr(rest, slash == std::wstring::npos ? std::wstring::npos : slash - rest);
    if (slash != std::wstring::npos) target.path = address.substr(slash);
    const auto colon = authority.rfind(L':');
    if (colon != std::wstring::npos && authority.find(L']') == std::wstring::npos) {
        const auto port = TextToInt32(authority.substr(colon + 1));
        if (!port || *port <= 0 || *port > 65535) throw EHttpError(L"Invalid port in address: " + address);
        target.port = static_cast<std::uint16_t>(*port);
        authority.resize(colon);
    }
    if (authority.empty()) throw EHttpError(L"No host in address: " + address);
    target.host = authority;
    return target;
}

std::wstring DecodeAnswer(const HttpAnswer& answer) {
    const std::wstring charset = Lower(std::wstring(answer.charset.begin(), answer.charset.end()));
    const bool singleByte = charset == L"iso-8859-1" || charset == L"latin1" || charset == L"windows-1252" ||
                            charset == L"us-ascii";
    if (!singleByte) {
        if (auto text = Utf8ToWide(answer.body)) return *text;
    }
    // A body that is not what it claims is still read, byte for character, rather than lost.
    std::wstring text;
    text.reserve(answer.body.size());
    for (unsigned char c : answer.body) text += static_cast<wchar_t>(c);
    return text;
}

std::wstring PostForm(Platform& platform, const std::wstring& address,
                      const std::vector<std::wstring>& fields, std::uint32_t timeoutMs) {
    const HttpTarget target = ParseHttpAddress(address);
    return DecodeAnswer(platform.HttpPostForm(target, EncodeFormBody(fields), timeoutMs));
}

std::wstring PostForm(const Platform::FormPoster& poster, const std::wstring& address,
                      const std::vector<std::wstring>& fields, std::uint32_t timeoutMs) {
    const HttpTarget target = ParseHttpAddress(address);
    return DecodeAnswer(poster(target, EncodeFormBody(fields), timeoutMs));
}

std::wstring ReadTagValue(const std::wstring& line, const std::wstring& tag) {
    if (line.empty() || tag.empty()) return L"";
    const std::wstring open = L"<" + Lower(tag) + L">";
    const std::wstring close = L"</" + Lower(tag) + L">";
    if (line.size() < open.size() + close.size()) return L"";
    if (!StartsWith(line, open)) return L"";
    if (line.compare(line.size() - close.size(), close.size(), close) != 0) return L"";
    return line.substr(open.size(), line.size() - open.size() - close.size());
}

std::wstring ReadMachineGuid(Platform& platform) { return platform.ReadMachineGuidValue().value_or(L""); }

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::optional<std::int32_t> TextToInt32(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0x80000000LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::wstring TrimControl(const std::wstring& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] <= L' ') ++first;
    while (last > first && text[last - 1] <= L' ') --last;
    return text.substr(first, last - first);
}

}  // namespace orv
