// In-memory operating system for unit tests; see fake_platform.h.
#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <stdexcept>
#include <cwctype>
#include <utility>

#include "core/controls.h"
#include "core/errors.h"

namespace orv {

FakePlatform::FakePlatform() {
    folders.insert(Key(ParentFolder(exePath)));
    folders.insert(Key(appDataFolder));
    // A US layout: the punctuation keys (VK_OEM_*) are named by their character.
    const std::pair<std::uint8_t, const wchar_t*> punctuation[] = {
        {0xBA, L";"}, {0xBB, L"="}, {0xBC, L","},  {0xBD, L"-"}, {0xBE, L"."}, {0xBF, L"/"},
        {0xC0, L"`"}, {0xDB, L"["}, {0xDC, L"\\"}, {0xDD, L"]"}, {0xDE, L"'"}};
    for (auto [key, name] : punctuation) {
        keyNames[key] = name;
        layoutKeys[name[0]] = key;
    }
    for (int i = 0; i <= 9; ++i) keyNames[static_cast<std::uint8_t>(0x60 + i)] = L"Num " + std::to_wstring(i);
    keyNames[0x10] = L"Shift";
    keyNames[0x11] = L"Ctrl";
    keyNames[0x12] = L"Alt";
    for (wchar_t c = L'A'; c <= L'Z'; ++c) {
        layoutKeys[c] = static_cast<std::uint8_t>(c);
        layoutKeys[static_cast<wchar_t>(c + 0x20)] = static_cast<std::uint8_t>(c);
    }
    for (wchar_t c = L'0'; c <= L'9'; ++c) layoutKeys[c] = static_cast<std::uint8_t>(c);
}

std::wstring FakePlatform::Key(const std::wstring& path) {
    std::wstring key = path;
    for (wchar_t& c : key) {
        c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    }
    while (key.size() > 3 && key.back() == L'\\') key.pop_back();
    return key;
}

std::wstring FakePlatform::ParentFolder(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void FakePlatform::InstallOwnVersionResource() {
    VersionResource res;
    res.translations = {{0x0409, 0x04E4}};
    const std::wstring base = L"\\StringFileInfo\\040904e4\\";
    res.strings = {
        {base + L"CompanyName", L"QUENZAL"},      {base + L"FileDescription", L"Orvalin"},
        {base + L"FileVersion", L"3.2.0.0"},      {base + L"InternalName", L"Orvalin"},
        {base + L"LegalCopyright", L"QUENZAL"},   {base + L"LegalTrademarks", L"QUENZAL"},
        {base + L"OriginalFilename", L"orvalin.exe"}, {base + L"ProductName", L"Orvalin"},
        {base + L"ProductVersion", L"3.2.0.0"},   {base + L"Comments", L"QUENZAL"},
        {base + L"ProgramID", L"com.quenzal.orvalin"},
    };
    res.fileVersionMS = (3u << 16) | 2u;
    versionResources[exePath] = res;
}

bool FakePlatform::HasFile(const std::wstring& path) const { return files.count(Key(path)) != 0; }

std::string FakePlatform::FileBytes(const std::wstring& path) const {
    auto it = files.find(Key(path));
    return it == files.end() ? std::string() : it->second;
}

// --- virtual clock ------------------------------------------------------------------------

void FakePlatform::Arm(TTimer& timer, std::uint32_t intervalMs) {
    m_timers[&timer] = Armed{intervalMs, m_nowUs + std::uint64_t{intervalMs} * 1000, m_armOrder++};
}

void FakePlatform::Disarm(TTimer& timer) { m_timers.erase(&timer); }

void FakePlatform::Advance(std::uint64_t ms) {
    const std::uint64_t target = m_nowUs + ms * 1000;
    for (;;) {
        // Queued input due before every tick still due goes first, at its own time.
        if (!m_queuedMouse.empty()) {
            const std::uint64_t due = FirstQueuedMouseDue();
            bool tickFirst = false;
            for (const auto& [timer, entry] : m_timers) tickFirst = tickFirst || entry.due < due;
            if (due <= target && !tickFirst) {
                m_nowUs = std::max(m_nowUs, due);
                SendFirstQueuedMouse();
                continue;
            }
        }
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due > target) continue;
            if (next == m_timers.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.order < next->second.order)) {
                next = it;
            }
        }
        if (next == m_timers.end()) break;
        TTimer* timer = next->first;
        // A handler that spent virtual time (nextSendMouseCostUs) leaves the clock past this tick.
        m_nowUs = std::max(m_nowUs, next->second.due);
        next->second.due += std::uint64_t{next->second.interval} * 1000;  // anchored to the schedule
        timer->Fire();
    }
    m_nowUs = std::max(m_nowUs, target);
}

// --- process --------------------------------------------------------------------------------

void FakePlatform::CreateNamedMutex(const std::wstring& name) { log.push_back(L"CreateMutex " + name); }

std::wstring FakePlatform::SystemErrorText(std::uint32_t code) {
    switch (code) {
        case kErrFileNotFound: return L"The system cannot find the file specified.";
        case 3: return L"The system cannot find the path specified.";
        case kErrAccessDenied: return L"Access is denied.";
        case kErrFileExists: return L"The file exists.";
        case kErrResourceTypeNotFound: return L"The specified resource type cannot be found in the image file.";
        default: return L"Error " + std::to_wstring(code) + L".";
    }
}

// --- files ----------------------------------------------------------------------------------

bool FakePlatform::CreateAndDropProbeFile(const std::wstring& path) {
    const std::wstring folder = Key(ParentFolder(path));
    if (!folders.count(folder)) {
        m_lastError = 3;
        return false;
    }
    if (readOnlyFolders.count(folder)) {
        m_lastError = kErrAccessDenied;
        return false;
    }
    if (HasFile(path)) {
        m_lastError = kErrFileExists;
        return false;
    }
    log.push_back(L"Probe " + path);
    return true;  // created and removed again on close
}

bool FakePlatform::CreateFolder(const std::wstring& path) {
    const std::wstring key = Key(path);
    if (folders.count(key)) {
        m_lastError = 183;  // already exists
        return false;
    }
    if (!folders.count(Key(ParentFolder(path)))) {
        m_lastError = 3;
        return false;
    }
    folders.insert(key);
    log.push_back(L"CreateFolder " + path);
    return true;
}

bool FakePlatform::RemoveFile(const std::wstring& path) {
    if (undeletableFiles.count(Key(path))) {
        m_lastError = kErrAccessDenied;
        return false;
    }
    if (!files.erase(Key(path))) {
        m_lastError = kErrFileNotFound;
        return false;
    }
    log.push_back(L"DeleteFile " + path);
    return true;
}

std::optional<std::string> FakePlatform::ReadWholeFile(const std::wstring& path, std::uint32_t& error) {
    auto it = files.find(Key(path));
    if (it == files.end()) {
        error = kErrFileNotFound;
        return std::nullopt;
    }
    if (unreadableFiles.count(Key(path))) {
        error = kErrAccessDenied;
        return std::nullopt;
    }
    error = 0;
    return it->second;
}

std::uint32_t FakePlatform::ReplaceFileContent(const std::wstring& path, const std::string& bytes) {
    const std::wstring folder = Key(ParentFolder(path));
    if (!folders.count(folder)) return 3;
    if (readOnlyFolders.count(folder) || unreadableFiles.count(Key(path))) return kErrAccessDenied;
    files[Key(path)] = bytes;
    return 0;
}

// --- version library ------------------------------------------------------------------------

std::uint32_t FakePlatform::VersionInfoSize(const std::wstring& file) {
    for (const auto& [path, res] : versionResources) {
        if (Key(path) == Key(file)) return 1024;
    }
    m_lastError = kErrResourceTypeNotFound;
    return 0;
}

bool FakePlatform::LoadVersionInfo(const std::wstring& file, std::vector<std::uint8_t>& block) {
    for (const auto& [path, res] : versionResources) {
        if (Key(path) != Key(file)) continue;
        if (res.loadFails) {
            m_lastError = kErrAccessDenied;
            return false;
        }
        m_loadedBlocks.push_back(path);
        const std::size_t index = m_loadedBlocks.size() - 1;
        std::fill(block.begin(), block.end(), 0);
        if (block.size() < sizeof index) block.resize(sizeof index);
        std::copy_n(reinterpret_cast<const std::uint8_t*>(&index), sizeof index, block.begin());
        return true;
    }
    m_lastError = kErrFileNotFound;
    return false;
}

const FakePlatform::VersionResource* FakePlatform::ResourceOfBlock(const std::vector<std::uint8_t>& block) const {
    std::size_t index = 0;
    if (block.size() < sizeof index) return nullptr;
    std::copy_n(block.begin(), sizeof index, reinterpret_cast<std::uint8_t*>(&index));
    if (index >= m_loadedBlocks.size()) return nullptr;
    auto it = versionResources.find(m_loadedBlocks[index]);
    return it == versionResources.end() ? nullptr : &it->second;
}

bool FakePlatform::QueryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                                    std::uint16_t& codePage) {
    const VersionResource* res = ResourceOfBlock(block);
    if (!res || res->translations.empty()) {
        m_lastError = kErrResourceTypeNotFound;
        return false;
    }
    language = res->translations.front().first;
    codePage = res->translations.front().second;
    return true;
}

bool FakePlatform::QueryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                               std::wstring& value) {
    const VersionResource* res = ResourceOfBlock(block);
    if (!res) return false;
    // Key comparison in version resources ignores case.
    for (const auto& [key, text] : res->strings) {
        if (Key(key) == Key(subBlock)) {
            value = text;
            return true;
        }
    }
    return false;
}

bool FakePlatform::QueryFileVersionMS(const std::vector<std::uint8_t>& block, std::uint32_t& versionMS) {
    const VersionResource* res = ResourceOfBlock(block);
    if (!res) return false;
    versionMS = res->fileVersionMS;
    return true;
}

// --- code page ----------------------------------------------------------------------------

namespace {
// Windows-1252 at 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

bool FakePlatform::WideToAnsi(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size());
    for (wchar_t c : text) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        const auto* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), static_cast<char16_t>(c));
        if (c == 0 || hit == std::end(kCp1252High)) return false;
        bytes.push_back(static_cast<char>(0x80 + (hit - std::begin(kCp1252High))));
    }
    return true;
}

std::wstring FakePlatform::AnsiToWide(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u < 0xA0) {
            const char16_t c = kCp1252High[u - 0x80];
            text.push_back(c ? static_cast<wchar_t>(c) : static_cast<wchar_t>(u));
        } else {
            text.push_back(static_cast<wchar_t>(u));
        }
    }
    return text;
}

// --- shell, dialogs, application ------------------------------------------------------------

bool FakePlatform::ShellExecuteFile(WindowRef, const std::wstring& verb, const std::wstring& file,
                                const std::wstring& params, const std::wstring& dir, int show) {
    log.push_back(L"ShellExecute verb=" + verb + L" file=" + file + L" params=" + params + L" dir=" + dir +
                  L" show=" + std::to_wstring(show));
    return true;
}

int FakePlatform::MessageDialog(const MessageDialogRequest& request) {
    dialogs.push_back(request);
    RunMessageLoop();
    if (dialogAnswers.empty()) return kResultNo;
    const int answer = dialogAnswers.front();
    dialogAnswers.erase(dialogAnswers.begin());
    return answer;
}

namespace {
std::optional<std::wstring> TakeAnswer(std::vector<std::optional<std::wstring>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}
}  // namespace

std::optional<std::wstring> FakePlatform::OpenFileDialog(WindowRef, const std::wstring& filter,
                                                         const std::wstring& defaultExt) {
    log.push_back(L"OpenDialog " + filter + L" " + defaultExt);
    return TakeAnswer(openAnswers);
}

std::optional<std::wstring> FakePlatform::SaveFileDialog(WindowRef, const std::wstring& filter,
                                                         const std::wstring& defaultExt) {
    log.push_back(L"SaveDialog " + filter + L" " + defaultExt);
    return TakeAnswer(saveAnswers);
}

std::optional<std::wstring> FakePlatform::InputQuery(WindowRef, const std::wstring& caption,
                                                     const std::wstring& prompt, const std::wstring&) {
    inputPrompts.push_back(caption + L"|" + prompt);
    return TakeAnswer(inputAnswers);
}

void FakePlatform::ShowErrorBox(const std::wstring& message) {
    errorBoxes.push_back(message);
    RunMessageLoop();
}

void FakePlatform::MessageBeep(std::uint32_t type) { log.push_back(L"Beep " + std::to_wstring(type)); }

void FakePlatform::ProcessMessages() {
    log.push_back(L"ProcessMessages");
    RunMessageLoop();
}

void FakePlatform::RunMessageLoop() {
    if (!duringMessageLoop || m_inMessageLoop) return;
    m_inMessageLoop = true;
    try {
        duringMessageLoop();
    } catch (...) {
        m_inMessageLoop = false;
        throw;
    }
    m_inMessageLoop = false;
}

void FakePlatform::Terminate() { log.push_back(L"Terminate"); }

void FakePlatform::SetCursorPos(Point p) {
    cursor = p;
    log.push_back(L"SetCursorPos " + std::to_wstring(p.x) + L"," + std::to_wstring(p.y));
}

void FakePlatform::SendMouse(const std::vector<MouseOp>& ops) {
    if (failNextMouse) {
        failNextMouse = false;
        throw std::runtime_error("input refused");
    }
    for (const MouseOp& op : ops) {
        if (op.kind == MouseOp::kMove) cursor = {op.x, op.y};
        input.push_back({NowMs(), op});
    }
    m_nowUs += std::exchange(nextSendMouseCostUs, 0);
}

void FakePlatform::QueueMouse(std::int64_t dueUs, std::vector<MouseOp> ops, std::uint64_t tag,
                              std::int64_t afterPreviousUs) {
    m_queuedMouse.push_back({dueUs, std::move(ops), tag, afterPreviousUs});
    // Due already and nothing before it: the input thread sends it at once.
    if (m_queuedMouse.size() == 1 && FirstQueuedMouseDue() <= m_nowUs) SendFirstQueuedMouse();
}

std::uint64_t FakePlatform::FirstQueuedMouseDue() const {
    const QueuedMouse& first = m_queuedMouse.front();
    const std::int64_t due = m_queuedMouseDeadlines.DueOf(first.dueUs, first.afterPreviousUs);
    return static_cast<std::uint64_t>(std::max<std::int64_t>(due, 0));
}

void FakePlatform::DropQueuedMouse() {
    m_queuedMouse.clear();
    m_queuedMouseDeadlines.Reset();
}

void FakePlatform::FinishQueuedMouse() {
    // The caller waits: the clock runs on to each due time; ticks meanwhile come at the next Advance.
    const std::uint64_t from = m_nowUs;
    while (!m_queuedMouse.empty()) {
        m_nowUs = std::max(m_nowUs, FirstQueuedMouseDue());
        SendFirstQueuedMouse();
    }
    finishQueuedMouseWaitedUs += m_nowUs - from;
}

void FakePlatform::SendFirstQueuedMouse() {
    const QueuedMouse item = std::move(m_queuedMouse.front());
    m_queuedMouse.pop_front();
    m_queuedMouseDeadlines.Sent(item.dueUs, item.afterPreviousUs, static_cast<std::int64_t>(m_nowUs));
    if (m_queuedMouse.empty()) m_queuedMouseDeadlines.Idle();
    m_sentQueuedMouse = item.tag;
    if (item.ops.empty()) return;
    m_nowUs += sendMouseCostUs;
    try {
        SendMouse(item.ops);
    } catch (const std::exception&) {
        MessageBeep(0);  // as the input thread does: nobody to throw to
    }
}

void FakePlatform::ClipCursor(const std::optional<Rect>& rect) {
    log.push_back(rect ? L"ClipCursor " + std::to_wstring(rect->left) + L"," + std::to_wstring(rect->top)
                       : std::wstring(L"ClipCursor off"));
}

std::uintptr_t FakePlatform::InstallMouseHook(MouseHookProc proc) {
    if (failNextHook) {
        failNextHook = false;
        log.push_back(L"Hook failed");
        return 0;
    }
    const std::uintptr_t hook = m_nextHook++;
    m_hooks.emplace_back(hook, std::move(proc));
    log.push_back(L"Hook " + std::to_wstring(hook));
    return hook;
}

void FakePlatform::RemoveMouseHook(std::uintptr_t hook) {
    log.push_back(L"Unhook " + std::to_wstring(hook));
    std::erase_if(m_hooks, [hook](const auto& h) { return h.first == hook; });
}

void FakePlatform::MouseEvent(std::uint32_t message, Point point) {
    if (m_hooks.empty()) return;
    // A copy: the procedure may renew or remove hooks.
    const MouseHookProc proc = m_hooks.back().second;
    if (proc) proc(0, message, point);
}

std::uint16_t FakePlatform::AddGlobalAtom(const std::wstring& name) {
    auto [it, added] = m_atoms.emplace(name, static_cast<std::uint16_t>(0xC000 + m_atoms.size()));
    return it->second;
}

void FakePlatform::DeleteGlobalAtom(std::uint16_t atom) { log.push_back(L"DeleteAtom " + std::to_wstring(atom)); }

bool FakePlatform::RegisterHotKey(WindowRef, std::uint32_t id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    const std::wstring combination = std::to_wstring(modifiers) + L"," + std::to_wstring(virtualKey);
    log.push_back(L"RegisterHotKey " + combination);
    if (heldHotkeys.count(combination)) return false;
    for (const auto& [other, held] : hotkeys) {
        if (held == combination) return false;
    }
    hotkeys[id] = combination;
    return true;
}

void FakePlatform::UnregisterHotKey(WindowRef, std::uint32_t id) {
    log.push_back(L"UnregisterHotKey " + std::to_wstring(id));
    hotkeys.erase(id);
}

void FakePlatform::SetTopmost(WindowRef, bool topmost) {
    log.push_back(topmost ? L"SetTopmost on" : L"SetTopmost off");
}

// --- languages --------------------------------------------------------------------------------

namespace {

// Windows wildcard matching, case ignored: "*" any run of characters, "?" one character.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
    std::size_t p = 0, n = 0, star = std::wstring_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == L'?' || std::towlower(pattern[p]) == std::towlower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

}  // namespace

void FakePlatform::PutFile(const std::wstring& path, std::string bytes) {
    for (std::wstring folder = ParentFolder(path); folder.size() > 2; folder = ParentFolder(folder)) {
        folders.insert(Key(folder));
    }
    files[Key(path)] = std::move(bytes);
    const auto slash = path.find_last_of(L"\\/");
    m_spelling[Key(path)] = slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::vector<Platform::FolderEntry> FakePlatform::ListFolder(const std::wstring& pattern) {
    const std::wstring folder = Key(ParentFolder(pattern));
    const auto slash = pattern.find_last_of(L"\\/");
    const std::wstring mask = slash == std::wstring::npos ? pattern : pattern.substr(slash + 1);
    std::vector<FolderEntry> entries;
    if (!folders.count(folder)) return entries;
    // Folders and files together, in the folded name order of the fake's maps.
    std::map<std::wstring, FolderEntry> found;
    for (const std::wstring& sub : folders) {
        if (ParentFolder(sub) != folder) continue;
        const std::wstring name = sub.substr(folder.size() + 1);
        if (WildcardMatch(mask, name)) found[name] = {name, true};
    }
    for (const auto& [key, bytes] : files) {
        if (ParentFolder(key) != folder) continue;
        const auto spelled = m_spelling.find(key);
        const std::wstring name =
            spelled != m_spelling.end() ? spelled->second : key.substr(folder.size() + 1);
        if (WildcardMatch(mask, name)) found[key.substr(folder.size() + 1)] = {name, false};
    }
    for (auto& [key, entry] : found) entries.push_back(std::move(entry));
    return entries;
}

// --- keyboard layout ------------------------------------------------------------------------

std::wstring FakePlatform::KeyNameOfVirtualKey(std::uint8_t virtualKey) {
    auto it = keyNames.find(virtualKey);
    return it == keyNames.end() ? std::wstring() : it->second;
}

std::optional<std::uint8_t> FakePlatform::VirtualKeyOfCharacter(wchar_t character) {
    auto it = layoutKeys.find(character);
    if (it == layoutKeys.end()) return std::nullopt;
    return it->second;
}

// --- online services ---------------------------------------------------------------------------

HttpAnswer FakePlatform::HttpPostForm(const HttpTarget& target, const std::string& body,
                                      std::uint32_t timeoutMs) {
    httpPosts.push_back({target, body, timeoutMs});
    if (whilePosting) whilePosting();
    HttpScript next;
    if (!httpScript.empty()) {
        next = httpScript.front();
        httpScript.erase(httpScript.begin());
    }
    if (!next.answer) throw EHttpError(next.failure);
    return *next.answer;
}

std::optional<std::wstring> FakePlatform::ReadMachineGuidValue() {
    if (machineGuidWrongType) throw ERegistryError(L"Invalid data type for 'MachineGuid'");
    return machineGuid;
}

bool FakePlatform::OpenUserKey(const std::wstring& path) {
    if (registryCreateFails) return false;
    registryKeys.insert(path);
    return true;
}

std::optional<std::wstring> FakePlatform::ReadUserString(const std::wstring& path, const std::wstring& name) {
    const std::wstring key = path + L"|" + name;
    if (registryWrongType.count(key)) throw ERegistryError(L"Invalid data type for '" + name + L"'");
    if (!registryKeys.count(path)) return std::nullopt;
    const auto it = registry.find(key);
    if (it == registry.end()) return std::nullopt;
    return it->second;
}

bool FakePlatform::WriteUserString(const std::wstring& path, const std::wstring& name,
                                   const std::wstring& value) {
    if (!registryKeys.count(path)) return false;
    registry[path + L"|" + name] = value;
    return true;
}

bool FakePlatform::StartThread(std::function<void()> body) {
    pendingThreads.push_back(std::move(body));
    return true;
}

void FakePlatform::RunThreads() {
    auto threads = std::move(pendingThreads);
    pendingThreads.clear();
    for (auto& body : threads) body();
}

}  // namespace orv
