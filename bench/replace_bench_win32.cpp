// Cost of one settings write: replacing a small existing file through ReplaceFileContent (a
// temporary file beside it, marked for deletion while written, flushed, then renamed over the
// file by its handle) against the plain
// way it replaces (a GetTempFileNameW name, flushed, then MoveFileExW over the file), both in
// the same folder and run. Every change of a setting, and every pass that counts the loops
// down, pays for one.
//
//   replace_bench [writes] [folder]      (default 300 writes each, in the current folder)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/clock_win32.h"
#include "platform/win32/win32_platform.h"

namespace {

// The plain way: a unique temporary name, written and flushed, moved over the file.
DWORD PlainReplace(const std::wstring& folder, const std::wstring& path, const std::string& bytes) {
    wchar_t temp[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(folder.c_str(), L"orv", 0, temp)) return GetLastError();
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0, code = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        code = GetLastError();
    if (!code && !FlushFileBuffers(file)) code = GetLastError();
    CloseHandle(file);
    if (!code && !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        code = GetLastError();
    }
    if (code) DeleteFileW(temp);
    return code;
}

struct Figures {
    double median = 0, p99 = 0;
};

template <typename Write>
Figures Measure(int writes, Write&& write) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(writes));
    for (int i = 0; i < writes; ++i) {
        const double start = orv::bench::NowMicroseconds();
        if (const DWORD code = write(i)) {
            std::fprintf(stderr, "write %d failed: error %lu\n", i, code);
            std::exit(1);
        }
        times.push_back(orv::bench::NowMicroseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 99 / 100)]};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int writes = argc > 1 ? std::max(1, _wtoi(argv[1])) : 300;
    std::wstring folder = argc > 2 ? argv[2] : L".";
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::wstring ours = folder + L"replace_bench_ours.ini";
    const std::wstring plain = folder + L"replace_bench_plain.ini";

    // A settings file of the usual size, a little different each time.
    auto content = [](int i) {
        return "\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\nLoop=" + std::to_string(i) +
               "\r\nStepDelay=100\r\nLastUsedFile=C:\\Users\\someone\\Documents\\macro.csv\r\n\r\n";
    };
    orv::Win32Platform platform;
    if (platform.ReplaceFileContent(ours, content(0)) || PlainReplace(folder, plain, content(0))) {
        std::fprintf(stderr, "cannot write in %ls\n", folder.c_str());
        return 1;
    }
    // Interleaved rounds, so that both meet the same disk and cache weather.
    Figures o{}, p{};
    for (int round = 0; round < 3; ++round) {
        const Figures a =
            Measure(writes / 3 + 1, [&](int i) { return platform.ReplaceFileContent(ours, content(i)); });
        const Figures b =
            Measure(writes / 3 + 1, [&](int i) { return PlainReplace(folder, plain, content(i)); });
        o.median += a.median / 3, o.p99 = std::max(o.p99, a.p99);
        p.median += b.median / 3, p.p99 = std::max(p.p99, b.p99);
    }
    DeleteFileW(ours.c_str());
    DeleteFileW(plain.c_str());
    std::printf("settings write, %d writes each, in %ls\n", writes, folder.c_str());
    std::printf("  ReplaceFileContent  median %8.1f us   p99 %8.1f us\n", o.median, o.p99);
    std::printf("  temp + MoveFileExW  median %8.1f us   p99 %8.1f us\n", p.median, p.p99);
    std::printf("  ratio (median)      %.2f\n", o.median / p.median);
    return 0;
}
