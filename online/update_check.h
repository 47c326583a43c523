// The once-per-run update check: TChecker asks the maker's site on a thread of its own and leaves
// its verdict in CheckerResults, which the main window reads once it has seen CheckerDone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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

// The check thread's only way to the platform (and to the store and context, which use it). The
// thread is never waited for, so at exit it may still wait for the server's answer while the
// program goes, platform and all: the main window cuts the link first. A step under way ends
// before Cut returns, and every step is short; the posts, which may wait ten seconds each, run
// outside the link through a poster that needs no platform object. Once cut, the thread touches
// nothing of the program but its own shared results.
class CheckerLink {
public:
    explicit CheckerLink(Platform& platform) : m_platform(&platform) {}
    // Runs `step` with the platform; false, without running it, once the link is cut.
    template <class Step>
    bool Use(Step&& step) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_platform) return false;
        step(*m_platform);
        return true;
    }
    bool IsCut() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_platform == nullptr;
    }
    void Cut() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_platform = nullptr;
    }

private:
    std::mutex m_mutex;
    Platform* m_platform;
};

class TChecker {
public:
    // `link`: as the main window holds it; without one the checker makes its own, for a caller
    // that outlives the check.
    TChecker(Platform& platform, std::shared_ptr<CheckerResults> results, std::shared_ptr<UpdateStore> store,
             CheckerContext context, std::shared_ptr<CheckerLink> link = nullptr)
        : m_link(link ? std::move(link) : std::make_shared<CheckerLink>(platform)),
          m_poster(platform.DetachedFormPoster()),
          m_results(std::move(results)),
          m_store(std::move(store)),
          m_context(std::move(context)) {}

    // Starts a checker on a thread of its own, which owns it and frees it when done. False when
    // no thread could start. The caller cuts `link` before the platform goes.
    static bool StartRunning(Platform& platform, std::shared_ptr<CheckerLink> link,
                             std::shared_ptr<CheckerResults> results, std::shared_ptr<UpdateStore> store,
                             CheckerContext context);

    // CheckerDone = 0, the check, CheckerDone = 1 last. Nothing escapes: a failure that no
    // step expects is recorded, and CheckerDone is still set, so the main window learns
    // that the check has ended.
    void Execute() noexcept;
    void CheckNow();

private:
    void LogCheckError(const std::wstring& message);
    void ClearCheckErrors();

    std::shared_ptr<CheckerLink> m_link;
    Platform::FormPoster m_poster;
    std::shared_ptr<CheckerResults> m_results;
    std::shared_ptr<UpdateStore> m_store;
    CheckerContext m_context;
};

}  // namespace orv
