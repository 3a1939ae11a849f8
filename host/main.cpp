// tallowick.exe: runs the library's checks and prints what they report.
//   tallowick.exe [CHECK...] [--json]
//   tallowick.exe shares --remove NAME... [--yes]
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>

#include "host.h"

namespace host {
namespace {

std::atomic<int> g_interrupts{0};
std::atomic<bool> g_progressShown{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        if (g_interrupts.fetch_add(1) >= 1) ExitProcess(130);  // a second Ctrl+C ends the host
        return TRUE;
    }
    return FALSE;
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

void Usage(DWORD which) {
    std::string text =
        "usage: tallowick.exe [CHECK...] [--json]\n"
        "       tallowick.exe shares --remove NAME... [--yes]\n"
        "Runs the Tallowick checks (all by default) and prints their results.\n"
        "checks:";
    std::vector<Section> sorted = Sections();
    std::sort(sorted.begin(), sorted.end(), [](const Section& a, const Section& b) { return a.order < b.order; });
    for (const Section& s : sorted) text += std::string(" ") + s.name;
    text +=
        "\noptions:\n"
        "  --json          print one JSON document instead of text\n"
        "  --remove NAME   (with shares) stop sharing the named shares\n"
        "  --yes           do not ask before removing shares\n"
        "  --help          show this text\n";
    WriteBytes(which, text);
}

bool LoadApi(Api& api, std::string& error) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    dir = dir.substr(0, dir.rfind(L'\\') + 1);
    std::wstring dll = dir + L"Tallowick.dll";
    api.module = LoadLibraryW(dll.c_str());
    if (!api.module) {
        error = "cannot load " + Utf8(dll) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
#define HOST_RESOLVE(name)                                                               \
    api.name = reinterpret_cast<decltype(api.name)>(reinterpret_cast<void*>(GetProcAddress(api.module, #name))); \
    if (!api.name) { error = "Tallowick.dll has no export " #name; return false; }
    HOST_RESOLVE(Check_HDD) HOST_RESOLVE(Check_HardwareConfig) HOST_RESOLVE(Check_InstalledApps)
    HOST_RESOLVE(Check_NetConfig) HOST_RESOLVE(Check_NetInfo) HOST_RESOLVE(Check_Network)
    HOST_RESOLVE(Check_Process) HOST_RESOLVE(Check_ShareResource) HOST_RESOLVE(Check_SysInfo)
    HOST_RESOLVE(Release_HDD) HOST_RESOLVE(Release_HardwareConfig) HOST_RESOLVE(Release_InstalledApps)
    HOST_RESOLVE(Release_NetConfig) HOST_RESOLVE(Release_NetInfo) HOST_RESOLVE(Release_Network)
    HOST_RESOLVE(Release_Process) HOST_RESOLVE(Release_ShareResource) HOST_RESOLVE(Release_SysInfo)
    HOST_RESOLVE(Repair_ShareResource)
#undef HOST_RESOLVE
    return true;
}

}  // namespace

bool CancelRequested() { return g_interrupts.load() > 0; }

void ClearProgressLine() {
    if (g_progressShown.exchange(false)) WriteBytes(STD_ERROR_HANDLE, "\r\x1b[K");
}

int __cdecl HostCallback(const wchar_t* status, int, int, int, int, intptr_t, const wchar_t* message, int,
                         int*) {
    if (status && *status) {
        WriteBytes(STD_ERROR_HANDLE, "\r\x1b[K" + Utf8(status));
        g_progressShown = true;
    }
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
        } else if (arg == L"--yes" || arg == L"-y") {
            options.yes = true;
        } else if (arg == L"--remove") {
            removing = true;
        } else if (!arg.empty() && arg[0] == L'-') {
            WriteBytes(STD_ERROR_HANDLE, "tallowick: unknown option " + Utf8(arg) + " (see --help)\n");
            return 2;
        } else if (removing) {
            options.removeShares.push_back(arg);
        } else {
            wanted.push_back(Utf8(arg));
        }
    }

    std::vector<Section> sections = Sections();
    std::sort(sections.begin(), sections.end(), [](const Section& a, const Section& b) { return a.order < b.order; });
    for (const std::string& name : wanted) {
        bool known = std::any_of(sections.begin(), sections.end(), [&](const Section& s) { return name == s.name; });
        if (!known) {
            WriteBytes(STD_ERROR_HANDLE, "tallowick: unknown check '" + name + "' (see --help)\n");
            return 2;
        }
    }
    if (removing && (options.removeShares.empty() || wanted.size() != 1 || wanted[0] != "shares")) {
        WriteBytes(STD_ERROR_HANDLE, "tallowick: --remove NAME... goes with the shares check alone\n");
        return 2;
    }

    Api api;
    std::string error;
    if (!LoadApi(api, error)) {
        WriteBytes(STD_ERROR_HANDLE, "tallowick: " + error + "\n");
        return 1;
    }

    int exitCode = 0;
    Json document = Json::Object();
    for (const Section& section : sections) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), section.name) == wanted.end()) continue;
        SectionOutput out = section.run(api, options);
        ClearProgressLine();
        if (out.rc != 0) exitCode = 1;
        if (options.json) {
            Json entry = Json::Object();
            entry.set("returnCode", Json::Int(out.rc));
            entry.set("result", std::move(out.json));
            document.set(section.name, std::move(entry));
        } else {
            std::string text = std::string("== ") + section.title + " ==\n";
            if (out.rc != 0) text += "  (the check returned " + std::to_string(out.rc) + ")\n";
            text += out.text + "\n";
            WriteBytes(STD_OUTPUT_HANDLE, text);
        }
    }
    if (options.json) WriteBytes(STD_OUTPUT_HANDLE, document.dump(2) + "\n");
    FreeLibrary(api.module);
    return exitCode;
}
