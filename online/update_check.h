// The once-per-run update check: TChecker asks the maker's site on a thread of its own and leaves
// its verdict in CheckerResults, which the main window reads once it has seen CheckerDone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace orv {

// The per-user record of the update check: string values under HKCU\<key>\Settings, integers
// as decimal text. Opened by the check and used by the main window once the check has ended.
class UpdateStore {
public:
    UpdateStore(Platform& platform, std::wstring key)
        : m_platform(platform), m_path(std::move(key) + L"\\Settings") {}
    bool Open() { return m_platform.OpenUserKey(m_path); }
    // Missing or unreadable values give the default; so does text that is not a number.
    std::wstring ReadString(const std::wstring& name, const std::wstring& fallback);
    std::int32_t ReadInteger(const std::wstring& name, std::int32_t fallback);
    bool WriteString(const std::wstring& name, const std::wstring& value);
    bool WriteInteger(const std::wstring& name, std::int32_t value);
    const std::wstring& Path() const { return m_path; }

private:
    Platform& m_platform;
    std::wstring m_path;
};

// The values the check thread leaves for the user-interface thread. Everything but CheckerDone
// is written by the thread before it stores CheckerDone = 1 (release) and read by the main
// window only after it has loaded CheckerDone == 1 (acquire); no lock is needed.
struct CheckerResults {
    std::atomic<std::uint8_t> CheckerDone{0};
    std::uint8_t UpdateAvailable = 0;
    std::int32_t ShowUpdate = 0;
    std::wstring NewVersion;
    std::wstring NewVersionURL;
    std::wstring CheckErrorLog;
    std::uint8_t CheckFailed = 0;
};

// What the check needs of the program. The endpoint is host and path without a scheme.
struct CheckerContext {
    std::wstring AppTitle;
    std::wstring AppVersion;
    std::wstring Endpoint;
    std::function<std::wstring()> LocaleCode;  // may throw; the field is then left out
};

class TChecker {
public:
    TChecker(Platform& platform, std::shared_ptr<CheckerResults> results, std::shared_ptr<UpdateStore> store,
             CheckerContext context)
        : m_platform(platform),
          m_results(std::move(results)),
          m_store(std::move(store)),
          m_context(std::move(context)) {}

    // Starts a checker on a thread of its own, which owns it and frees it when done. False when
    // no thread could start.
    static bool StartRunning(Platform& platform, std::shared_ptr<CheckerResults> results,
                             std::shared_ptr<UpdateStore> store, CheckerContext context);

    // CheckerDone = 0, the check, CheckerDone = 1 last. Nothing escapes: a failure that no
    // step expects is recorded, and CheckerDone is still set, so the main window learns
    // that the check has ended.
    void Execute() noexcept;
    void CheckNow();

private:
    void LogCheckError(const std::wstring& message);
    void ClearCheckErrors();

    Platform& m_platform;
    std::shared_ptr<CheckerResults> m_results;
    std::shared_ptr<UpdateStore> m_store;
    CheckerContext m_context;
};

}  // namespace orv
