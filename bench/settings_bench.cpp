// Settings benchmark: how long a large settings.ini holds up start-up, measured on this machine.
//
//   settings_bench [runs]        (default 3)
//
// Two files of about 1 MB: one of 100,000 section headers, one of 100,000 keys in one section,
// each with the hotkey letters in a "Settings" section at the very end. For each it times the
// parse of the text alone, and the main window's whole start-up over the in-memory platform:
// opening the store, applying the stored settings with their write-through rewrite, and reading
// the hotkey letters at creation and again when the window handle is made. Three runs of each;
// min, median and max are printed. Always exits 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "core/settings_store.h"
#include "core/utf.h"
#include "platform/fake/fake_platform.h"

namespace {

using Clock = std::chrono::steady_clock;
int g_runs = 3;
constexpr int kLines = 100000;
const std::wstring kIni = L"C:\\Program Files\\Orvalin\\settings.ini";

struct Figures {
    double min, median, max;
};

Figures Time(const std::function<void()>& work) {
    std::vector<double> ms;
    for (int run = 0; run < g_runs; ++run) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], ms.back()};
}

void Print(const char* what, const Figures& f) {
    std::printf("  %-34s %10.1f %10.1f %10.1f\n", what, f.min, f.median, f.max);
}

std::string ManyHeaders() {
    std::string file;
    char line[32];
    for (int i = 0; i < kLines; ++i) {
        std::snprintf(line, sizeof line, "[S%05d]\r\n", i);
        file += line;
    }
    return file + "[Settings]\r\nHotkeyCharRecord=E\r\nHotkeyCharPlay=Q\r\n";
}

std::string ManyKeys() {
    std::string file = "[Settings]\r\n";
    char line[32];
    for (int i = 0; i < kLines; ++i) {
        std::snprintf(line, sizeof line, "K%05d=v\r\n", i);
        file += line;
    }
    return file + "HotkeyCharRecord=E\r\nHotkeyCharPlay=Q\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_runs = std::max(1, std::atoi(argv[1]));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {{"100,000 section headers", ManyHeaders()},
                          {"100,000 keys in one section", ManyKeys()}};
    bool lettersRead = true;
    std::printf("Settings benchmark: %d runs each, milliseconds\n", g_runs);
    std::printf("  %-34s %10s %10s %10s\n", "measure", "min", "median", "max");
    for (const Case& c : cases) {
        std::printf("%s, %.2f MB\n", c.name, static_cast<double>(c.bytes.size()) / (1024.0 * 1024.0));
        const std::wstring text = *orv::Utf8ToWide(c.bytes);
        Print("parse the text", Time([&] {
                  const orv::IniDocument doc = orv::ParseIni(text);
                  if (doc.sections.empty()) std::printf("warning: nothing parsed\n");
              }));
        Print("start-up (store + hotkey letters)", Time([&] {
                  orv::FakePlatform os;
                  os.InstallOwnVersionResource();
                  os.ReplaceFileContent(kIni, c.bytes);
                  auto form = std::make_unique<orv::TAppForm>(os);
                  form->FormCreate();
                  form->CreateWindowHandle();
                  lettersRead =
                      lettersRead && form->RecordHotkeyLetter() == L"E" && form->PlayHotkeyLetter() == L"Q";
              }));
    }
    if (!lettersRead) std::printf("\nwarning: the hotkey letters were not read from the file\n");
    return 0;
}
