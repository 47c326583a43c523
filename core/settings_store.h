// settings.ini: an INI file kept whole in memory and rewritten at once after every change.
//
//   <BOM>[Settings]\r\n
//   Loop=3\r\n
//   StepDelay=0x20\r\n          (read as 32)
//   \r\n
//
// Written as UTF-8 with a byte-order mark and CR LF after every line; each section is its
// header, its key lines and one empty line. On reading, blanks (any code <= 32) around a line
// and around the first "=" are ignored, empty lines, ";" comments and lines before the first
// header are skipped (and so dropped on the next rewrite), names and keys match without regard
// to case, the lines under a repeated header are ignored, and a line without "=" reads as an
// absent key but is written back unchanged until that key is written. A line break inside a
// written value is stored as a blank, so that a value can never split into forged lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace orv {

struct IniEntry {
    std::wstring key;  // as first met
    std::wstring value;
    bool hasValue = true;  // false for a line without "=": kept verbatim in `key`
};

struct IniSection {
    std::wstring name;  // as first met
    std::vector<IniEntry> entries;
};

struct IniDocument {
    std::vector<IniSection> sections;
};

// Pure parsing and formatting of the text (no byte-order mark inside `text`).
IniDocument ParseIni(std::wstring_view text);
std::wstring FormatIni(const IniDocument& doc);  // CR LF line ends, no BOM

// Integer reading as the store does it: an optional "+" or "-", then decimal digits, or
// hexadecimal digits after "0x"/"0X" or "$"; anything else (blanks included) is not an integer.
// Decimal must lie in the int32 range. Hexadecimal is a 32-bit pattern, as the classic Windows
// runtime reads it: up to $FFFFFFFF is accepted and wraps ($FFFFFFFF is -1, $80000000 is the
// minimum), a sign negates that pattern modulo 2^32, and anything wider fails.
bool TryParseIniInteger(std::wstring_view text, std::int32_t& value);

class SettingsIni {
public:
    // Opens the store on `fileName`: a missing file gives an empty store; a file that cannot be
    // read, or is not valid UTF-8, throws Exception.
    SettingsIni(Platform& platform, std::wstring fileName);
    // An empty store on `fileName` that does not look at the file at all.
    static SettingsIni Empty(Platform& platform, std::wstring fileName);
    // A read-only look at the bytes of a settings file in any encoding: UTF-8 when they are
    // valid UTF-8, otherwise by their byte-order mark or the ANSI code page. Never raises.
    static SettingsIni FromAnyEncoding(Platform& platform, std::wstring fileName, std::string_view bytes);

    // True when `bytes` are what this store last read from or wrote to `fileName`, unchanged in
    // memory since and reading back into exactly its document: a second reader of the same file
    // may then ask this store instead of parsing the file again.
    bool HoldsFileBytes(std::wstring_view fileName, std::string_view bytes) const;

    std::wstring ReadString(std::wstring_view section, std::wstring_view ident,
                            const std::wstring& defaultValue) const;
    std::int32_t ReadInteger(std::wstring_view section, std::wstring_view ident,
                             std::int32_t defaultValue) const;
    void WriteString(std::wstring_view section, std::wstring_view ident, const std::wstring& value);
    void WriteInteger(std::wstring_view section, std::wstring_view ident, std::int32_t value);
    // Rewrites the whole file from memory; throws EFCreateError "Cannot create file "%s". %s".
    void UpdateFile();

    const std::wstring& FileName() const { return m_fileName; }
    const IniDocument& Document() const { return m_doc; }

private:
    SettingsIni(Platform& platform, std::wstring fileName, bool read);

    Platform* m_platform;
    std::wstring m_fileName;
    IniDocument m_doc;
    // The file's bytes while they are known to read back into m_doc; see HoldsFileBytes.
    std::optional<std::string> m_fileBytes;
    // False once a write stored text that reading would give back differently (blanks at the
    // ends of a value, a key with "=", a lone surrogate...): from then on the bytes written are
    // never taken for the document.
    bool m_readsBackExactly = true;
};

// Clears what an interrupted rewrite of `fileName` left beside it, before the file is opened:
// "<name>.orvtmp", a new content that never took the name, goes; "<name>.orvbak", the old
// content that earlier builds moved aside before moving the new one in, is put back when a kill
// between those two moves left no file under the name, and goes in any case once it is not
// needed. A failure leaves things as they are: the next start tries again.
void RecoverInterruptedWrite(Platform& platform, const std::wstring& fileName);

}  // namespace orv
