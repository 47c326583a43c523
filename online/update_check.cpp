// TChecker::CheckNow step by step, and the update store.
#include "online/update_check.h"

#include <exception>

#include "core/errors.h"
#include "online/http_exchange.h"

namespace orv {
namespace {

std::wstring ClassNameOf(const Exception& e) {
    if (dynamic_cast<const EHttpError*>(&e)) return L"EHttpError";
    if (dynamic_cast<const ERegistryError*>(&e)) return L"ERegistryError";
    if (dynamic_cast<const EOSError*>(&e)) return L"EOSError";
    return L"Exception";
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return wide;
}

constexpr wchar_t kInvalidAnswer[] = L"INVALIDSERVERRESPONSE";

}  // namespace

// --- update store ---------------------------------------------------------------------------

std::wstring UpdateStore::ReadString(const std::wstring& name, const std::wstring& fallback) {
    try {
        return m_platform.ReadUserString(m_path, name).value_or(fallback);
    } catch (const Exception&) {
        return fallback;
    }
}

std::int32_t UpdateStore::ReadInteger(const std::wstring& name, std::int32_t fallback) {
    try {
        const auto text = m_platform.ReadUserString(m_path, name);
        if (!text) return fallback;
        return TextToInt32(*text).value_or(fallback);
    } catch (const Exception&) {
        return fallback;
    }
}

bool UpdateStore::WriteString(const std::wstring& name, const std::wstring& value) {
    return m_platform.WriteUserString(m_path, name, value);
}

bool UpdateStore::WriteInteger(const std::wstring& name, std::int32_t value) {
    return WriteString(name, std::to_wstring(value));
}

// --- the check ------------------------------------------------------------------------------

bool TChecker::StartRunning(Platform& platform, std::shared_ptr<CheckerLink> link,
                            std::shared_ptr<CheckerResults> results, std::shared_ptr<UpdateStore> store,
                            CheckerContext context) {
    auto checker = std::make_shared<TChecker>(platform, std::move(results), std::move(store),
                                              std::move(context), std::move(link));
    return platform.StartThread([checker] { checker->Execute(); });
}

void TChecker::Execute() noexcept {
    m_results->CheckerDone.store(0, std::memory_order_relaxed);
    try {
        CheckNow();
    } catch (const Exception& e) {
        LogCheckError(ClassNameOf(e) + L" Error:\r" + e.Message());
    } catch (const std::exception& e) {
        LogCheckError(L"std::exception Error:\r" + Widen(e.what()));
    } catch (...) {
        LogCheckError(L"Unknown Error:");
    }
    // Last: everything above must be visible to whoever sees this.
    m_results->CheckerDone.store(1, std::memory_order_release);
}

void TChecker::LogCheckError(const std::wstring& message) {
    if (TrimControl(message).empty()) return;
    m_results->CheckFailed = 1;
    if (!m_results->CheckErrorLog.empty()) m_results->CheckErrorLog += L"\r\r";
    m_results->CheckErrorLog += message;
}

void TChecker::ClearCheckErrors() {
    m_results->CheckFailed = 0;
    m_results->CheckErrorLog.clear();
}

void TChecker::CheckNow() {
    CheckerResults& r = *m_results;
    UpdateStore& store = *m_store;
    const std::wstring& appVersion = m_context.AppVersion;

    ClearCheckErrors();
    // The steps before the post run with the platform, through the link: once the program has
    // ended they do not run at all.
    bool ask = false;
    std::wstring guid, lastDate, today;
    std::int32_t count = 0, howMany = 0;
    const bool linked = m_link->Use([&](Platform& platform) {
        try {
            guid = ReadMachineGuid(platform);
        } catch (const Exception&) {
            LogCheckError(L"Error: GUID generate problem!");
        }
        if (!store.Open()) LogCheckError(L"Error: Registry open problem!");

        lastDate = store.ReadString(L"LastUpdateCheck", L"");
        count = store.ReadInteger(L"LastUpdateCheckCount", 0);
        const std::wstring installedVersion = store.ReadString(L"InstalledVersion", L"");

        howMany = store.ReadInteger(L"HowMany", 0);
        if (howMany < 0) howMany = 0;
        if (installedVersion != appVersion) howMany = 0;
        if (howMany < 0x7FFFFFFF) ++howMany;
        store.WriteInteger(L"HowMany", howMany);
        store.WriteString(L"InstalledVersion", appVersion);

        r.ShowUpdate = store.ReadInteger(L"ShowUpdate", 1);
        if (r.ShowUpdate == 0) return;

        today = platform.ShortDateToday();
        if (lastDate == today && count >= 5) return;
        count = lastDate == today ? count + 1 : 1;
        store.WriteString(L"LastUpdateCheck", today);
        store.WriteInteger(L"LastUpdateCheckCount", count);
        ask = true;
    });
    if (!linked || !ask) return;

    try {
        std::vector<std::wstring> fields;
        if (!m_link->Use([&](Platform& platform) {
                fields = {L"cmd=check", L"appname=" + m_context.AppTitle, L"version=" + appVersion,
                          L"os=" + platform.OsDescription()};
                try {
                    fields.push_back(L"local=" + m_context.LocaleCode());
                } catch (...) {
                    LogCheckError(L"Error: LocaleName2 problem!");
                }
            })) {
            return;
        }
        fields.push_back(L"guid=" + guid);
        fields.push_back(L"howmany=" + std::to_wstring(howMany));

        std::wstring answer;
        try {
            answer = PostForm(m_poster, L"https://" + m_context.Endpoint, fields, kCheckTimeoutMs);
        } catch (const Exception& secureFailure) {
            LogCheckError(L"HTTPS Response:\r" + secureFailure.Message());
            // The program may have ended while the first post waited: nobody asks any more.
            if (m_link->IsCut()) return;
            try {
                answer = PostForm(m_poster, L"http://" + m_context.Endpoint, fields, kCheckTimeoutMs);
                ClearCheckErrors();
            } catch (const Exception& plainFailure) {
                LogCheckError(L"HTTP Response:\r" + plainFailure.Message());
            }
        }

        const std::vector<std::wstring> lines = SplitLines(answer);
        if (answer.compare(0, 5, L"ERROR") == 0) LogCheckError(kInvalidAnswer);
        if (r.CheckFailed == 0) {
            const std::wstring result = lines.size() >= 4 ? ReadTagValue(lines[3], L"result") : L"";
            if (result != L"0" && result != L"1") LogCheckError(kInvalidAnswer);
        }
        if (r.CheckFailed == 0) {
            r.NewVersion = ReadTagValue(lines[0], L"version");
            r.NewVersionURL = ReadTagValue(lines[1], L"url");
            if (r.NewVersion != appVersion) {
                std::wstring digits;
                for (wchar_t c : r.NewVersion) {
                    if (c != L'.') digits += c;
                }
                if (TextToInt32(digits) && r.ShowUpdate == 1 && (lastDate != today || count <= 3)) {
                    r.UpdateAvailable = 1;
                }
            }
        }
    } catch (const Exception& e) {
        LogCheckError(ClassNameOf(e) + L" Error:\r" + e.Message());
    }
}

}  // namespace orv
