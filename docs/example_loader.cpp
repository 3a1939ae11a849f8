// example_loader.cpp - a C++ host that loads Tallowick.dll at run time.
//
// It links no import library: the package's generated tallowick_loader.h
// finds every export (TallowickLoad), and each result the library builds is
// owned by a std::unique_ptr whose deleter calls that result's release
// export, so every path out of a scope hands the result back exactly once.
// Build with the package's CMake config or pkg-config (headers only):
//     x86_64-w64-mingw32-g++ -std=c++17 example_loader.cpp $(pkg-config --cflags tallowick)
// and put Tallowick.dll and its common\config\Resource.ini beside the program.
#include <cstdio>
#include <memory>
#include <string>

#include <tallowick_loader.h>

namespace {

// The loaded library: TallowickUnload when the owner goes. Every result must
// be released before it, so declare it before the results it serves.
struct Library {
    TallowickApi api{};
    explicit Library(const wchar_t* path) { TallowickLoad(&api, path); }
    ~Library() { TallowickUnload(&api); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    bool loaded() const { return api.module != nullptr; }
};

// Calls a release export (PFN_Release_*) on the record or list head it owns.
template <typename Release>
struct Releaser {
    Release release = nullptr;
    template <typename T>
    void operator()(T* result) const noexcept {
        if (release) release(result);
    }
};

template <typename T, typename Release>
using Owned = std::unique_ptr<T, Releaser<Release>>;

// Runs a check and hands its result to an owner (empty when the check
// returned 1: then *result stays as it was, so it starts at nullptr).
template <typename T, typename Release>
Owned<T, Release> Run(int(TALLOWICK_CALL* check)(T**, CheckCallback, int*, intptr_t), Release release,
                      int* count) {
    T* result = nullptr;
    *count = 0;
    if (check(&result, nullptr, count, 0) != 0) result = nullptr;
    return Owned<T, Release>(result, Releaser<Release>{release});
}

// The library's texts are UTF-16 in any script: written out as UTF-8.
std::string Utf8(const TwChar* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size - 1));
    return bytes;
}

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + file;
}

}  // namespace

int main() {
    std::wstring path = BesideThisProgram(L"Tallowick.dll");
    Library lib(path.c_str());
    if (!lib.loaded()) {
        std::printf("cannot use %s: %s (error %lu)\n", Utf8(path.c_str()).c_str(),
                    lib.api.missing ? lib.api.missing : "not loaded", static_cast<unsigned long>(lib.api.error));
        return 2;
    }
    const TallowickApi& api = lib.api;

    int major = 0, minor = 0, patch = 0;
    api.Tallowick_GetVersion(&major, &minor, &patch);
    std::printf("Tallowick %d.%d.%d\n", major, minor, patch);

    int failures = 0;
    int count = 0;
    if (auto os = Run(api.Check_OsVersion, api.Release_OsVersion, &count)) {
        std::printf("%s, build %u\n", Utf8(os->szProductName).c_str(), os->nBuildNumber);
    } else {
        ++failures;
    }

    // A record that owns two lists: one release frees all of it.
    if (auto sys = Run(api.Check_SysInfo, api.Release_SysInfo, &count)) {
        int variables = 0;
        for (const EnvironmentVariableNode* v = sys->pEnvironment; v; v = v->pNext) ++variables;
        std::printf("%s: %d environment variables\n", Utf8(sys->szOsName).c_str(), variables);
    } else {
        ++failures;
    }

    // A list: the owner holds its head, the release frees every node.
    if (auto adapters = Run(api.Check_NetConfig, api.Release_NetConfig, &count)) {
        for (const NetConfigNode* a = adapters.get(); a; a = a->pNext) {
            std::printf("  %s  %s/%s\n", Utf8(a->szDescription).c_str(), Utf8(a->szIpAddress).c_str(),
                        Utf8(a->szSubnetMask).c_str());
        }
        std::printf("%d adapter(s)\n", count);
    }
    // An owner may also be handed on or reset early; release runs once.
    auto first = Run(api.Check_OsVersion, api.Release_OsVersion, &count);
    auto second = std::move(first);
    second.reset();

    if (failures != 0) {
        std::printf("example_loader: %d check(s) failed\n", failures);
        return 1;
    }
    std::printf("example_loader: done\n");
    return 0;
}
