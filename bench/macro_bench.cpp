// Macro benchmark: how a recorded macro of a million steps fares in the step list and the
// macro file code, measured on this machine and printed next to the figures we aim for.
//
//   macro_bench [rows]        (default 1000000)
//
// Save and load time the real code paths (WriteMacroRows into ReplaceFileContentInPieces, and
// LoadMacroRows from OpenFileReader; here over POSIX files, a temporary file beside the target
// renamed over it, without a flush to disk on either side) against plain writing and reading of
// the same bytes, and count the fresh pages they touch (minor page faults) against the list's
// own size (StepList::MemoryBytes). Loading
// is also timed in three fresh processes (this program run again with --cold-load), next to the
// time a fresh process takes to touch the list's own bytes once (--cold-touch), the floor for
// any loader. Aims: a cold load within 1.5 times that floor, a save within twice a raw write
// and the floor together, under 100 bytes per row. The ANSI code page is Windows-1252, converted
// through tables taken from the in-memory platform at start (its own loops are written for
// clarity, not speed, while the system's converters are fast); a check at start makes sure both
// give the same results. Every timed measure runs three times: min/median/max are printed.
// Always exits 0.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/macro_file.h"
#include "macro/step_list.h"
#include "platform/fake/fake_platform.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;
constexpr std::size_t kAppends = 100000;
constexpr wchar_t kSeparator = L',';

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Spread(const char* format, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    char buffer[96];
    const std::string f = std::string(format) + "/" + format + "/" + format;
    std::snprintf(buffer, sizeof buffer, f.c_str(), values.front(), Median(values), values.back());
    return buffer;
}

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<double>& sorted, double p) {
    std::size_t rank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(sorted.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, sorted.size());
    return sorted[rank - 1];
}

// Resident set size of this process, from /proc/self/statm; 0 when it cannot be read.
std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0;
    std::size_t resident = 0;
    if (!(statm >> size >> resident)) return 0;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return close(fd) == 0;
}

std::optional<std::string> ReadFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(done);
    return bytes;
}

// The in-memory platform with table-driven Windows-1252 conversions.
class BenchPlatform : public orv::FakePlatform {
public:
    BenchPlatform() {
        for (int b = 0; b < 256; ++b)
            m_toWide[static_cast<std::size_t>(b)] =
                FakePlatform::AnsiToWide(std::string(1, static_cast<char>(b)))[0];
        m_fromWide.fill(-1);
        std::string byte;
        for (std::size_t c = 1; c < m_fromWide.size(); ++c) {
            if (FakePlatform::WideToAnsi(std::wstring(1, static_cast<wchar_t>(c)), byte) &&
                byte.size() == 1) {
                m_fromWide[c] = static_cast<std::int16_t>(static_cast<unsigned char>(byte[0]));
            }
        }
    }

    bool WideToAnsi(std::wstring_view text, std::string& bytes) override {
        bytes.resize(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<std::uint32_t>(text[i]);
            const int b = c < 0x80 ? static_cast<int>(c) : c < m_fromWide.size() ? m_fromWide[c] : -1;
            if (b < 0) return false;
            bytes[i] = static_cast<char>(b);
        }
        return true;
    }

    std::wstring AnsiToWide(std::string_view bytes) override {
        std::wstring text(bytes.size(), L'\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            text[i] = m_toWide[static_cast<unsigned char>(bytes[i])];
        return text;
    }

    // Real files, read and written in pieces the way the Windows platform does it.
    std::unique_ptr<orv::FileReader> OpenFileReader(const std::wstring& path, std::uint32_t& error) override {
        const int fd = open(Narrow(path).c_str(), O_RDONLY);
        if (fd < 0) {
            error = static_cast<std::uint32_t>(errno);
            return nullptr;
        }
        return std::make_unique<PosixReader>(fd);
    }

    std::uint32_t ReplaceFileContentInPieces(const std::wstring& path,
                                             const std::function<void(orv::FileWriter&)>& produce) override {
        const std::string target = Narrow(path), temp = target + ".orvtmp";
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return static_cast<std::uint32_t>(errno);
        PosixWriter writer(fd);
        produce(writer);
        int error = writer.error;
        if (close(fd) != 0 && !error) error = errno;
        if (!error && rename(temp.c_str(), target.c_str()) != 0) error = errno;
        if (error) unlink(temp.c_str());
        return static_cast<std::uint32_t>(error);
    }

    // Whether this converter and the in-memory platform's own agree on `text` and back.
    bool AgreesWithFake(std::wstring_view text) {
        std::string fast, plain;
        const bool fastOk = WideToAnsi(text, fast);
        const bool plainOk = FakePlatform::WideToAnsi(text, plain);
        if (fastOk != plainOk || (fastOk && fast != plain)) return false;
        std::string all;
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
        return AnsiToWide(all) == FakePlatform::AnsiToWide(all) &&
               (!fastOk || AnsiToWide(fast) == FakePlatform::AnsiToWide(plain));
    }

private:
    static std::string Narrow(const std::wstring& path) { return std::string(path.begin(), path.end()); }

    class PosixReader final : public orv::FileReader {
    public:
        explicit PosixReader(int fd) : m_fd(fd) {}
        ~PosixReader() override { close(m_fd); }
        std::optional<std::size_t> Read(char* buffer, std::size_t size, std::uint32_t& error) override {
            const ssize_t n = read(m_fd, buffer, size);
            if (n < 0) {
                error = static_cast<std::uint32_t>(errno);
                return std::nullopt;
            }
            return static_cast<std::size_t>(n);
        }
        bool Rewind(std::uint32_t& error) override {
            if (lseek(m_fd, 0, SEEK_SET) == 0) return true;
            error = static_cast<std::uint32_t>(errno);
            return false;
        }

    private:
        int m_fd;
    };

    struct PosixWriter final : orv::FileWriter {
        explicit PosixWriter(int fd) : fd(fd) {}
        bool Write(std::string_view bytes) override {
            while (!error && !bytes.empty()) {
                const ssize_t n = write(fd, bytes.data(), bytes.size());
                if (n <= 0) {
                    error = errno ? errno : EIO;
                } else {
                    bytes.remove_prefix(static_cast<std::size_t>(n));
                }
            }
            return !error;
        }
        bool Restart() override {
            if (!error && (lseek(fd, 0, SEEK_SET) != 0 || ftruncate(fd, 0) != 0)) error = errno;
            return !error;
        }
        int fd;
        int error = 0;
    };

    std::array<wchar_t, 256> m_toWide{};
    std::array<std::int16_t, 0x10000> m_fromWide{};
};

// Recorded-style steps: the pointer wanders over a 1920 x 1080 screen, about one step in 20
// presses a button, and a pause now and then.
class Recorder {
public:
    Recorder() {
        for (int i = 0; i < 1920; ++i) m_numbers.push_back(std::to_wstring(i));
    }

    void Next(std::array<std::wstring_view, orv::kCellCount>& cells) {
        ++m_step;
        cells = {};
        if (m_step % 100000 == 50000) {
            cells = {L"-", L"-", L"-", L"-", L"-", L"0.5"};
            return;
        }
        m_x = Wander(m_x, 1920);
        m_y = Wander(m_y, 1080);
        cells[orv::kCellX] = m_numbers[static_cast<std::size_t>(m_x)];
        cells[orv::kCellY] = m_numbers[static_cast<std::size_t>(m_y)];
        if (m_step % 20 == 0) cells[orv::kCellLeft + static_cast<int>(m_step / 20 % 3)] = L"X";
    }

    void AppendTo(orv::StepList& list) {
        std::array<std::wstring_view, orv::kCellCount> c;
        Next(c);
        list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
    }

private:
    int Wander(int at, int size) {
        m_seed = m_seed * 6364136223846793005ull + 1442695040888963407ull;
        const int step = static_cast<int>((m_seed >> 33) % 41) - 20;  // -20 .. 20 pixels
        at += step;
        if (at < 0) at = -at;
        if (at >= size) at = 2 * (size - 1) - at;
        return at;
    }

    std::vector<std::wstring> m_numbers;
    std::uint64_t m_seed = 0x5eed;
    std::uint64_t m_step = 0;
    int m_x = 960;
    int m_y = 540;
};

void Fill(orv::StepList& list, std::size_t rows) {
    Recorder recorder;
    for (std::size_t i = 0; i < rows; ++i) recorder.AppendTo(list);
}

struct Line {
    const char* what;
    std::string figure;
    std::string aim;
    const char* verdict;
};

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The two cold measures print "<ms> <minor faults> 0" on one line.
int ColdTouch(std::size_t bytes) {
    const long f0 = MinorFaults();
    const auto t0 = Clock::now();
    char* memory = static_cast<char*>(std::malloc(bytes));
    if (!memory) return 1;
    std::memset(memory, 1, bytes);
    const auto t1 = Clock::now();
    std::printf("%.3f %ld 0\n", Milliseconds(t1 - t0), MinorFaults() - f0);
    const volatile char keep = memory[bytes / 2];
    (void)keep;
    std::free(memory);
    return 0;
}

std::wstring Wide(const std::string& path) { return std::wstring(path.begin(), path.end()); }

int ColdLoad(const char* path) {
    BenchPlatform platform;
    orv::StepList list;
    const long f0 = MinorFaults();
    const auto t0 = Clock::now();
    std::uint32_t error = 0;
    const std::unique_ptr<orv::FileReader> file = platform.OpenFileReader(Wide(path), error);
    if (!file || orv::LoadMacroRows(platform, *file, kSeparator, list) != 0) return 1;
    const auto t1 = Clock::now();
    std::printf("%.3f %ld 0\n", Milliseconds(t1 - t0), MinorFaults() - f0);
    return list.Empty() ? 1 : 0;
}

// Runs this program again with `mode` and `arg` and reads the figures it prints.
bool RunChild(const char* self, const char* mode, const std::string& arg, double& ms, double& faults,
              double& readFaults) {
    const std::string command = std::string("'") + self + "' " + mode + " '" + arg + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child) return false;
    long count = 0, reading = 0;
    const bool read = std::fscanf(child, "%lf %ld %ld", &ms, &count, &reading) == 3;
    faults = static_cast<double>(count);
    readFaults = static_cast<double>(reading);
    return pclose(child) == 0 && read;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--cold-touch") == 0)
        return ColdTouch(std::strtoull(argv[2], nullptr, 10));
    if (argc == 3 && std::strcmp(argv[1], "--cold-load") == 0) return ColdLoad(argv[2]);
    std::size_t rows = 1000000;
    if (argc > 1) rows = std::max<std::size_t>(1, std::strtoull(argv[1], nullptr, 10));

    BenchPlatform platform;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("orvalin-macro-bench-" + std::to_string(getpid()) + ".csv"))
                                 .string();
    const std::string rawPath = path + ".raw";

    // Model memory, as the list reports it and as the process grows, for rows added one by one
    // the way recording adds them.
    const std::size_t residentBefore = ResidentBytes();
    orv::StepList recorded;
    Fill(recorded, rows);
    const std::size_t residentAfter = ResidentBytes();
    const double modelPerRow = static_cast<double>(recorded.MemoryBytes()) / static_cast<double>(rows);
    const double residentPerRow =
        residentBefore && residentAfter >= residentBefore
            ? static_cast<double>(residentAfter - residentBefore) / static_cast<double>(rows)
            : -1;

    // Save against a plain write of the same bytes, and load against a plain read of them. The
    // plain measure goes first in each run and frees its buffer before the real one starts, so
    // both meet the memory allocator in the same state.
    const std::string reference = orv::EncodeMacroText(platform, orv::FormatMacroText(recorded, kSeparator));
    const bool convertersAgree = platform.AgreesWithFake(orv::FormatMacroText(recorded, kSeparator));
    std::vector<double> saveMs, rawWriteMs, encodeMs, saveFaults;
    bool ioFailed = false;
    bool sameBytes = true;
    for (int run = 0; run < kRuns; ++run) {
        const auto r0 = Clock::now();
        ioFailed |= !WriteFile(rawPath, reference);
        rawWriteMs.push_back(Milliseconds(Clock::now() - r0));

        const long f0 = MinorFaults();
        const auto t0 = Clock::now();
        ioFailed |= platform.ReplaceFileContentInPieces(Wide(path), [&](orv::FileWriter& file) {
            orv::WriteMacroRows(platform, recorded, recorded.Count(), kSeparator, file);
        }) != 0;
        const auto t3 = Clock::now();
        saveFaults.push_back(static_cast<double>(MinorFaults() - f0));
        saveMs.push_back(Milliseconds(t3 - t0));
        // The encoding alone, into a file writer that keeps nothing.
        struct Discard final : orv::FileWriter {
            bool Write(std::string_view) override { return true; }
            bool Restart() override { return true; }
        } discard;
        const auto e0 = Clock::now();
        orv::WriteMacroRows(platform, recorded, recorded.Count(), kSeparator, discard);
        encodeMs.push_back(Milliseconds(Clock::now() - e0));
        sameBytes &= ReadFile(path) == reference;
    }

    // Each loaded list is dropped after its clock stops, so freeing it is not counted.
    std::vector<double> loadMs, rawReadMs, loadFaults;
    std::size_t loadedRows = 0;
    double loadedPerRow = 0;
    std::size_t loadedBytes = 0;
    for (int run = 0; run < kRuns; ++run) {
        {
            const auto r0 = Clock::now();
            const std::optional<std::string> raw = ReadFile(rawPath);
            rawReadMs.push_back(Milliseconds(Clock::now() - r0));
            ioFailed |= !raw || raw->size() != reference.size();
        }

        std::optional<orv::StepList> loaded(std::in_place);
        const long f0 = MinorFaults();
        const auto t0 = Clock::now();
        std::uint32_t error = 0;
        const std::unique_ptr<orv::FileReader> file = platform.OpenFileReader(Wide(path), error);
        ioFailed |= !file || orv::LoadMacroRows(platform, *file, kSeparator, *loaded) != 0;
        const auto t3 = Clock::now();
        loadFaults.push_back(static_cast<double>(MinorFaults() - f0));
        loadMs.push_back(Milliseconds(t3 - t0));
        loadedRows = loaded->Count();
        loadedBytes = loaded->MemoryBytes();
        loadedPerRow = static_cast<double>(loaded->MemoryBytes()) /
                       static_cast<double>(std::max<std::size_t>(1, loadedRows));
    }
    // Cold: each load, and each touch of the list's own bytes, in a fresh process.
    std::vector<double> coldLoadMs, coldLoadFaults, coldTouchMs, coldTouchFaults;
    const std::string modelBytes = std::to_string(loadedBytes);
    for (int run = 0; run < kRuns; ++run) {
        double ms = 0, faults = 0, readFaults = 0;
        ioFailed |= !RunChild(argv[0], "--cold-touch", modelBytes, ms, faults, readFaults);
        coldTouchMs.push_back(ms);
        coldTouchFaults.push_back(faults);
        ioFailed |= !RunChild(argv[0], "--cold-load", path, ms, faults, readFaults);
        coldLoadMs.push_back(ms);
        coldLoadFaults.push_back(faults);
    }
    std::filesystem::remove(path);
    std::filesystem::remove(rawPath);
    const std::size_t fileBytes = reference.size();

    // Appending to a list that already holds `rows` steps, each append timed on its own.
    std::vector<double> appendMedian, appendP99, appendMax;
    for (int run = 0; run < kRuns; ++run) {
        orv::StepList list;
        Fill(list, rows);
        Recorder more;
        std::array<std::wstring_view, orv::kCellCount> c;
        std::vector<double> us;
        us.reserve(kAppends);
        for (std::size_t i = 0; i < kAppends; ++i) {
            more.Next(c);
            const auto t0 = Clock::now();
            list.Append(c[0], c[1], c[2], c[3], c[4], c[5]);
            const auto t1 = Clock::now();
            us.push_back(Microseconds(t1 - t0));
        }
        std::sort(us.begin(), us.end());
        appendMedian.push_back(Percentile(us, 50));
        appendP99.push_back(Percentile(us, 99));
        appendMax.push_back(us.back());
    }

    const double page = static_cast<double>(sysconf(_SC_PAGESIZE));
    const double save = Median(saveMs), rawWrite = Median(rawWriteMs);
    const double coldLoad = Median(coldLoadMs), coldTouch = Median(coldTouchMs);
    const double saveAim = 2 * (rawWrite + coldTouch);
    const double loadRatio = coldLoad / coldTouch;
    const double touchedRatio = Median(coldLoadFaults) * page / static_cast<double>(loadedBytes);
    const double p99 = Median(appendP99);
    auto verdict = [](bool met) { return met ? "met" : "MISSED"; };

    const Line lines[] = {
        {"save: encode + write (ms)", Spread("%.1f", saveMs), Format("<= %.0f", saveAim),
         verdict(save <= saveAim)},
        {"  of which encoding alone (ms)", Spread("%.1f", encodeMs), "", ""},
        {"  page faults", Spread("%.0f", saveFaults), "", ""},
        {"raw write of the same bytes (ms)", Spread("%.1f", rawWriteMs), "", ""},
        {"load, warm: read + load rows (ms)", Spread("%.1f", loadMs), "", ""},
        {"  page faults", Spread("%.0f", loadFaults), "", ""},
        {"raw read of the same bytes (ms)", Spread("%.1f", rawReadMs), "", ""},
        {"load, cold process (ms)", Spread("%.1f", coldLoadMs), Format("<= %.0f", 1.5 * coldTouch),
         verdict(loadRatio <= 1.5)},
        {"  page faults", Spread("%.0f", coldLoadFaults), "", ""},
        {"  bytes touched / list bytes", Format("%.2fx", touchedRatio), "", ""},
        {"touch list bytes once, cold (ms)", Spread("%.1f", coldTouchMs), "", ""},
        {"  page faults", Spread("%.0f", coldTouchFaults), "", ""},
        {"list bytes (loaded)", Format("%.1f MB", static_cast<double>(loadedBytes) / 1e6), "", ""},
        {"model memory per row (recorded)", Format("%.1f B", modelPerRow), "< 100 B",
         verdict(modelPerRow < 100)},
        {"model memory per row (loaded)", Format("%.1f B", loadedPerRow), "< 100 B",
         verdict(loadedPerRow < 100)},
        {"process RSS growth per row", residentPerRow < 0 ? "n/a" : Format("%.1f B", residentPerRow), "", ""},
        {"append to full list: median", Format("%.3f us", Median(appendMedian)), "", ""},
        {"append to full list: p99", Format("%.3f us", p99), "< 50 us", verdict(p99 < 50)},
        {"append to full list: worst", Format("%.1f us", Median(appendMax)), "", ""},
    };

    std::printf("Macro benchmark: %zu rows, file %.1f MB (%.1f bytes/row), min/median/max of %d runs\n", rows,
                static_cast<double>(fileBytes) / 1e6,
                static_cast<double>(fileBytes) / static_cast<double>(rows), kRuns);
    std::printf("  wchar_t is %zu bytes here; appends: %zu timed one by one after %zu rows\n\n",
                sizeof(wchar_t), kAppends, rows);
    std::printf("%-36s %24s %10s  %s\n", "measure", "figure", "aim", "");
    std::printf("%-36s %24s %10s  %s\n", "-------", "------", "---", "");
    for (const Line& line : lines)
        std::printf("%-36s %24s %10s  %s\n", line.what, line.figure.c_str(), line.aim.c_str(), line.verdict);
    std::printf("\nThe worst append is the one that outgrows the arena or the row table and copies it.\n");
    if (loadedRows != rows)
        std::printf("\nwarning: the loaded list holds %zu rows, not %zu\n", loadedRows, rows);
    if (!convertersAgree)
        std::printf("\nwarning: the table converters disagree with the in-memory platform's\n");
    if (!sameBytes) std::printf("\nwarning: saving the same list gave different bytes\n");
    if (ioFailed) std::printf("\nwarning: writing or reading the temporary file failed\n");
    return 0;
}
