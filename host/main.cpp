// tallowick.exe: runs the library's checks and prints what they report.
//   tallowick.exe [CHECK...] [--json] [--html FILE]
//   tallowick.exe shares --remove NAME... [--yes]
// Exit codes (ExitCode in host.h): 0 every check returned 0; 1 a check
// returned non-zero; 2 a usage error; 4 the library could not be loaded (or
// lacks an export); 5 the HTML report could not be written; 130 the run was
// interrupted with Ctrl+C. When several apply, the first of 130, 5, 1 wins.
// 3 is what abort() gives (std::terminate): none of the host's own codes.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <exception>

#include "host.h"

namespace host {
namespace {

std::atomic<int> g_interrupts{0};
std::atomic<bool> g_progressShown{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        if (g_interrupts.fetch_add(1) >= 1) ExitProcess(kExitInterrupted);  // a second Ctrl+C ends the host
        return TRUE;
    }
    return FALSE;
}

bool StderrIsConsole() {
    static const bool console = [] {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    }();
    return console;
}

void WriteBytes(DWORD which, const std::string& bytes) {
    HANDLE out = GetStdHandle(which);
    DWORD written = 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            break;
        }
        done += written;
    }
}

std::vector<Section> SortedSections() {
    std::vector<Section> sorted = Sections();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Section& a, const Section& b) { return a.order < b.order; });
    return sorted;
}

void Usage(DWORD which) {
    std::string text =
        "usage: tallowick.exe [CHECK...] [--json] [--html FILE]\n"
        "       tallowick.exe shares --remove NAME... [--yes]\n"
        "Runs the Tallowick checks (all of them when none is named) and prints their results.\n"
        "\nchecks:\n";
    for (const Section& s : SortedSections()) {
        std::string name = s.name;
        text += "  " + name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + s.title + "\n";
    }
    text +=
        "\noptions:\n"
        "  --json          print one JSON document (every field of every record) instead of text\n"
        "  --html FILE     also write a self-contained HTML report to FILE\n"
        "  --remove NAME   (with shares) stop sharing the named shares\n"
        "  --yes           do not ask before removing shares\n"
        "  --help          show this text\n"
        "\nexit codes:\n"
        "  0    every check returned 0\n"
        "  1    a check returned non-zero\n"
        "  2    usage error\n"
        "  3    (not used by the host: abort(), as when std::terminate ends the process)\n"
        "  4    Tallowick.dll could not be loaded (missing, other architecture, missing export)\n"
        "  5    the --html report could not be written\n"
        "  130  interrupted (Ctrl+C once cancels, twice ends the host)\n"
        "\nthe --json document is report format " + std::to_string(kReportFormat) +
        ": \"format\", \"envelope\" (time, versions, machine, Windows), then one member per check\n";
    WriteBytes(which, text);
}

int UsageError(const std::string& message) {
    WriteBytes(STD_ERROR_HANDLE, "tallowick: " + message + " (see --help)\n");
    return kExitUsage;
}

// The kind of DLL this build of the host loads.
#if defined(_WIN64)
constexpr const char* kOwnArchitecture = "64-bit (x64)";
#else
constexpr const char* kOwnArchitecture = "32-bit (x86)";
#endif

bool LoadApi(Api& api, std::string& error) {
    std::wstring dll = ModuleDirectory(nullptr) + L"Tallowick.dll";
    if (GetFileAttributesW(dll.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "Tallowick.dll was not found beside tallowick.exe (looked for " + Utf8(dll) +
                "); install the two files in one folder";
        return false;
    }
    // Only the DLL beside the host: never one found on the search path.
    if (TallowickLoad(&api, dll.c_str()) == 0) return true;
    if (api.missing) {
        error = Utf8(dll) + " has no export " + api.missing + " (a different version of the library?)";
    } else {
        error = "cannot load " + Utf8(dll) + " (Windows error " + std::to_string(api.error) +
                (api.error == ERROR_BAD_EXE_FORMAT
                     ? std::string(": not a ") + kOwnArchitecture + " Windows DLL, as this tallowick.exe needs"
                     : std::string()) +
                ")";
    }
    return false;
}

// The catalogue lies beside the library; without it the connectivity and
// hardware texts come out as bare message ids.
void WarnWithoutCatalogue(HMODULE module) {
    std::wstring ini = CataloguePath(module);
    if (GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES) {
        WriteBytes(STD_ERROR_HANDLE, "tallowick: warning: the message catalogue " + Utf8(ini) +
                                         " is missing; some texts will show as message ids\n");
    }
}

bool WriteFileUtf8(const std::wstring& path, const std::string& bytes, std::string& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot write " + Utf8(path) + " (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            ok = false;
            break;
        }
        done += written;
    }
    CloseHandle(file);
    if (!ok) error = "writing " + Utf8(path) + " failed";
    return ok;
}

// The HTML report's time line: the computer, then the local time with its zone.
std::string NowText() {
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(computer, &size);
    return std::string(computer[0] ? Utf8(computer) + ", " : "") + LocalNowIso();
}

}  // namespace

bool CancelRequested() { return g_interrupts.load() > 0; }

void ClearProgressLine() {
    if (g_progressShown.exchange(false)) WriteBytes(STD_ERROR_HANDLE, "\r\x1b[K");
}

void ShowProgress(const std::string& utf8) {
    if (!StderrIsConsole()) return;
    WriteBytes(STD_ERROR_HANDLE, "\r\x1b[K" + utf8);
    g_progressShown = true;
}

int __cdecl HostCallback(const wchar_t* status, int, int, int, int, intptr_t, const wchar_t* message, int,
                         int*) {
    if (status && *status) ShowProgress(Utf8(status));
    if (message && *message) {
        ClearProgressLine();
        WriteBytes(STD_ERROR_HANDLE, "message: " + Utf8(message) + "\n");
    }
    return CancelRequested() ? 1 : 0;
}

}  // namespace host

int wmain(int argc, wchar_t** argv) {
    using namespace host;
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    Options options;
    std::vector<std::string> wanted;
    bool removing = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
            Usage(STD_OUTPUT_HANDLE);
            return 0;
        } else if (arg == L"--json") {
            options.json = true;
        } else if (arg == L"--html" || arg.rfind(L"--html=", 0) == 0) {
            if (arg == L"--html") {
                if (i + 1 >= argc || argv[i + 1][0] == L'\0') return UsageError("--html needs a file name");
                options.htmlPath = argv[++i];
            } else {
                options.htmlPath = arg.substr(7);
                if (options.htmlPath.empty()) return UsageError("--html needs a file name");
            }
        } else if (arg == L"--yes" || arg == L"-y") {
            options.yes = true;
        } else if (arg == L"--remove") {
            removing = true;
        } else if (!arg.empty() && arg[0] == L'-') {
            return UsageError("unknown option " + Utf8(arg));
        } else if (removing) {
            options.removeShares.push_back(arg);
        } else if (std::find(wanted.begin(), wanted.end(), Utf8(arg)) == wanted.end()) {
            wanted.push_back(Utf8(arg));
        }
    }

    if (removing && (options.removeShares.empty() || wanted.size() != 1 || wanted[0] != "shares")) {
        return UsageError("--remove NAME... goes with the shares check alone");
    }
    std::vector<Section> sections = SortedSections();
    for (const std::string& name : wanted) {
        bool known = std::any_of(sections.begin(), sections.end(), [&](const Section& s) { return name == s.name; });
        if (!known) return UsageError("unknown check '" + name + "'");
    }
    if (!wanted.empty()) {
        sections.erase(std::remove_if(sections.begin(), sections.end(),
                                      [&](const Section& s) {
                                          return std::find(wanted.begin(), wanted.end(), s.name) == wanted.end();
                                      }),
                       sections.end());
    }

    Api api;
    std::string error;
    if (!LoadApi(api, error)) {
        WriteBytes(STD_ERROR_HANDLE, "tallowick: " + error + "\n");
        return kExitNoLibrary;
    }
    WarnWithoutCatalogue(api.module);

    if (!options.json) {
        std::string system = SystemLine(api);
        if (!system.empty()) WriteBytes(STD_OUTPUT_HANDLE, system + "\n\n");
    }

    // Taken before the checks: the time the report describes.
    const std::string generated = UtcNowIso();
    int exitCode = kExitOk;
    bool interrupted = false;
    std::vector<SectionOutput> outputs;
    outputs.reserve(sections.size());
    std::vector<const Section*> ran;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        if (CancelRequested()) {
            interrupted = true;
            break;
        }
        ShowProgress("tallowick: [" + std::to_string(i + 1) + "/" + std::to_string(sections.size()) + "] " +
                     section.title + " ...");
        SectionOutput out;
        try {
            out = section.run(api, options);
        } catch (const std::exception& e) {
            out = SectionOutput();
            out.rc = 1;
            out.text = std::string("  (the host failed to show this check: ") + e.what() + ")\n";
        }
        ClearProgressLine();
        if (out.rc != 0) exitCode = kExitCheckFailed;
        if (!options.json) {
            std::string text = std::string("== ") + section.title + " ==\n";
            if (out.rc != 0) text += "  (the check returned " + std::to_string(out.rc) + ")\n";
            text += out.text + "\n";
            WriteBytes(STD_OUTPUT_HANDLE, text);
        }
        outputs.push_back(std::move(out));
        ran.push_back(&section);
    }
    if (CancelRequested()) interrupted = true;

    if (options.json) {
        Json document = Json::Object();
        document.set("format", Json::Int(kReportFormat));
        document.set("envelope", ReportEnvelope(api, generated));
        for (std::size_t i = 0; i < ran.size(); ++i) {
            Json entry = Json::Object();
            entry.set("returnCode", Json::Int(outputs[i].rc));
            entry.set("result", outputs[i].json);
            document.set(ran[i]->name, std::move(entry));
        }
        WriteBytes(STD_OUTPUT_HANDLE, document.dump(2) + "\n");
    }
    if (!options.htmlPath.empty()) {
        std::vector<ReportEntry> entries;
        for (std::size_t i = 0; i < ran.size(); ++i)
            entries.push_back({ran[i]->name, ran[i]->title, outputs[i].rc, &outputs[i].json});
        if (!WriteFileUtf8(options.htmlPath, RenderHtmlReport(entries, NowText()), error)) {
            WriteBytes(STD_ERROR_HANDLE, "tallowick: " + error + "\n");
            exitCode = kExitReportWrite;
        }
    }
    TallowickUnload(&api);
    if (interrupted) {
        WriteBytes(STD_ERROR_HANDLE, "tallowick: interrupted\n");
        return kExitInterrupted;
    }
    return exitCode;
}
