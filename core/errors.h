// Exceptions the program raises where the default error box reports a failure.
// Each carries the finished user-facing message.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

class Exception {
public:
    explicit Exception(std::wstring message) : m_message(std::move(message)) {}
    virtual ~Exception() = default;
    const std::wstring& Message() const { return m_message; }

private:
    std::wstring m_message;
};

// An operating-system failure: "System Error.  Code: %d." and the system's text on the next line.
class EOSError : public Exception {
public:
    EOSError(std::uint32_t code, const std::wstring& systemText)
        : Exception(L"System Error.  Code: " + std::to_wstring(code) + L".\r\n" + systemText),
          m_code(code) {}
    std::uint32_t Code() const { return m_code; }

private:
    std::uint32_t m_code;
};

// "Cannot open file "%s". %s"
class EFOpenError : public Exception {
public:
    EFOpenError(const std::wstring& fileName, const std::wstring& reason)
        : Exception(L"Cannot open file \"" + fileName + L"\". " + reason) {}
};

// "Cannot create file "%s". %s"
class EFCreateError : public Exception {
public:
    EFCreateError(const std::wstring& fileName, const std::wstring& reason)
        : Exception(L"Cannot create file \"" + fileName + L"\". " + reason) {}
};

// Text that is not valid in the encoding it was read with.
class EEncodingError : public Exception {
public:
    using Exception::Exception;
};

// Online services: a form post that failed in transport, and a registry value of the wrong type.
class EHttpError : public Exception {
public:
    using Exception::Exception;
};
class ERegistryError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace orv
