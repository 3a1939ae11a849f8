#include "core/win_util.h"  // windows.h first

#include <cstdio>
#include <string>
#include <utility>

#include "core/host_callback.h"
#include "disk/defrag_report.h"
#include "disk/hdd_check.h"
#include "core/os_family.h"

namespace tallowick {
namespace {

constexpr DWORD kPollMs = 500;
// How long a cancelled or finished analysis waits for its processes to go.
constexpr DWORD kTeardownMs = 3000;
constexpr std::size_t kPathBound = 260;
constexpr std::size_t kCommandBound = 1024;

// The host executable's path; empty when it cannot be read whole.
Text HostModulePath() {
    wchar_t path[kPathBound] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, kPathBound);
    if (n == 0 || n >= kPathBound) return Text();
    return Text(U16(path), n);
}

bool FileExists(const Text& path) { return GetFileAttributesW(W(path.c_str())) != INVALID_FILE_ATTRIBUTES; }

// The OEM code page, in which the command interpreter reads a batch file.
// Best-fit look-alikes are refused, so that a character the code page lacks
// is reported as such. UTF-8 and UTF-7 take neither the flag nor the report
// of a default character: there the read-back check of EncodeBatchLine
// finds what did not convert.
CodePage OemCodePage() {
    UINT cp = GetOEMCP();
    bool utf = cp == CP_UTF8 || cp == CP_UTF7;
    CodePage page;
    page.encode = [cp, utf](TextView text, std::string& out) {
        out.clear();
        if (text.size() > kBatchLineBound) return false;  // every unit takes at least one byte
        int len = static_cast<int>(text.size());
        DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        LPBOOL used = utf ? nullptr : &usedDefault;
        int need = WideCharToMultiByte(cp, flags, W(text.data()), len, nullptr, 0, nullptr, used);
        if (need <= 0 || usedDefault) return false;
        out.assign(static_cast<std::size_t>(need), '\0');
        int written = WideCharToMultiByte(cp, flags, W(text.data()), len, &out[0], need, nullptr, used);
        return written == need && !usedDefault;
    };
    page.decode = [cp](std::string_view bytes) {
        if (bytes.empty()) return Text();
        int len = static_cast<int>(bytes.size());
        int need = MultiByteToWideChar(cp, 0, bytes.data(), len, nullptr, 0);
        if (need <= 0) return Text();
        Text out(static_cast<std::size_t>(need), u'\0');
        MultiByteToWideChar(cp, 0, bytes.data(), len, W(&out[0]), need);
        return out;
    };
    return page;
}

// Writes the batch file: the line's bytes, no line end.
bool WriteBatch(const Text& batchPath, const std::string& line) {
    FILE* file = _wfopen(W(batchPath.c_str()), L"w");
    if (!file) return false;
    bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

// The analysis's two work files beside the host: the batch and the report it
// appends to. Both are deleted when the owner goes, on every way out of the
// analysis (a host callback that throws included).
class WorkFiles {
public:
    WorkFiles(Text batchPath, Text reportPath) : batch_(std::move(batchPath)), report_(std::move(reportPath)) {}
    ~WorkFiles() {
        DeleteFileW(W(batch_.c_str()));
        DeleteFileW(W(report_.c_str()));
    }
    WorkFiles(const WorkFiles&) = delete;
    WorkFiles& operator=(const WorkFiles&) = delete;
    const Text& batch() const { return batch_; }
    const Text& report() const { return report_; }

private:
    Text batch_;
    Text report_;
};

// Job objects are found at run time, so that the library still loads on
// systems that have none (before Windows 2000); there the batch runs without.
struct JobApi {
    decltype(&CreateJobObjectW) create = Kernel32Function<decltype(create)>("CreateJobObjectW");
    decltype(&SetInformationJobObject) setInformation =
        Kernel32Function<decltype(setInformation)>("SetInformationJobObject");
    decltype(&QueryInformationJobObject) queryInformation =
        Kernel32Function<decltype(queryInformation)>("QueryInformationJobObject");
    decltype(&AssignProcessToJobObject) assign = Kernel32Function<decltype(assign)>("AssignProcessToJobObject");
    decltype(&TerminateJobObject) terminate = Kernel32Function<decltype(terminate)>("TerminateJobObject");
    bool available() const { return create && setInformation && queryInformation && assign && terminate; }
};

// The batch's processes: the command interpreter and whatever it starts.
// They run in a job object that kills them all when it is closed, so no
// defragmenter outlives its analysis.
class BatchRun {
public:
    ~BatchRun() { Stop(); }

    bool Start(const Text& batchPath) {
        if (api_.available()) job_.reset(api_.create(nullptr, nullptr));
        if (job_) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (!api_.setInformation(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
                job_.reset();
            }
        }
        wchar_t commandLine[kCommandBound] = {};
        CopyField(commandLine, u"\"");
        AppendBounded(U16(commandLine), kCommandBound, batchPath);
        AppendBounded(U16(commandLine), kCommandBound, u"\"");

        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
        // A host that runs in a job of its own may let its children leave it;
        // where it may not, the batch stays in the host's job.
        BOOL created = CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, flags | CREATE_BREAKAWAY_FROM_JOB,
                                      nullptr, nullptr, &startup, &info);
        if (!created) {
            created = CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                                     &startup, &info);
        }
        if (!created) return false;
        process_.reset(info.hProcess);
        UniqueHandle thread(info.hThread);
        // Without a job (nested jobs are not supported before Windows 8) only
        // the command interpreter itself can be stopped.
        if (job_ && !api_.assign(job_.get(), process_.get())) job_.reset();
        ResumeThread(thread.get());
        return true;
    }

    // WAIT_OBJECT_0 when the interpreter has ended, WAIT_TIMEOUT, or WAIT_FAILED.
    DWORD Wait(DWORD ms) { return WaitForSingleObject(process_.get(), ms); }

    // Ends every process of the batch and waits (bounded) until they are gone,
    // so that the work files are no longer held open.
    void Stop() {
        if (!process_) return;
        if (job_) {
            if (ActiveProcesses() > 0) api_.terminate(job_.get(), 0);
            DWORD start = GetTickCount();
            while (ActiveProcesses() > 0 && GetTickCount() - start < kTeardownMs) Sleep(10);
            job_.reset();
        } else if (Wait(0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 0);
        }
        Wait(kTeardownMs);
        process_.reset();
    }

private:
    DWORD ActiveProcesses() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!api_.queryInformation(job_.get(), JobObjectBasicAccountingInformation, &accounting,
                                       sizeof accounting, nullptr)) {
            return 0;
        }
        return accounting.ActiveProcesses;
    }

    JobApi api_;
    UniqueHandle job_;
    UniqueHandle process_;
};

}  // namespace

Text DefragmenterPath() {
    wchar_t dir[kPathBound] = {};
    UINT n = GetSystemDirectoryW(dir, kPathBound);
    Text systemDir = (n > 0 && n < kPathBound) ? Text(U16(dir), n) : Text(u"C:\\WINDOWS\\system32");

    if (RunsUnderWow64()) {
        wchar_t windows[kPathBound] = {};
        // A system with WOW64 has this function; older ones never get here.
        auto windowsDirectory = Kernel32Function<decltype(&GetSystemWindowsDirectoryW)>("GetSystemWindowsDirectoryW");
        UINT w = windowsDirectory ? windowsDirectory(windows, kPathBound) : 0;
        if (w > 0 && w < kPathBound) {
            Text sysnative = Text(U16(windows), w);
            if (sysnative.back() != u'\\') sysnative += u'\\';
            sysnative += u"Sysnative";
            DWORD attributes = GetFileAttributesW(W(sysnative.c_str()));
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                systemDir = sysnative;
            }
        }
    }
    if (systemDir.back() != u'\\') systemDir += u'\\';
    return systemDir + u"defrag.exe";
}

bool ParseDefragReport(const wchar_t* reportPath, std::int32_t* percent, std::int32_t* recommend) {
    FILE* file = _wfopen(reportPath, L"r");
    if (!file) return false;
    char buffer[kReportReadLimit + 1] = {};
    std::size_t read = std::fread(buffer, 1, kReportReadLimit, file);
    std::fclose(file);
    if (read == 0) return false;
    DefragFigures figures;
    if (!ParseDefragReportText(std::string_view(buffer, read), GetOsFamily(), figures)) return false;
    *percent = figures.percent;
    *recommend = figures.recommend;
    return true;
}

bool AnalyzeFragmentation(const wchar_t* rootPath, const HostCallback& host, std::int32_t* percent,
                          std::int32_t* recommend) {
    std::int32_t family = GetOsFamily();
    // No analysis for these families. OsNtWorkstation also takes in every
    // workstation from 6.1 on, which gets none either: kept on purpose.
    if (family == OsNtWorkstation || family == OsWin2000Server) return false;

    Text module = HostModulePath();
    if (module.empty()) return false;
    Text reportPath = SiblingPath(module, u"defrag.txt");
    Text batchPath = SiblingPath(module, u"defrag.bat");
    if (reportPath.size() >= kPathBound || batchPath.size() >= kPathBound) return false;

    Text command = BuildDefragCommand(DefragmenterPath(), ViewOf(rootPath), reportPath);
    if (command.size() >= kCommandBound) return false;
    // A path that the command interpreter would read back as another one (a
    // host folder named with characters the OEM code page lacks) gets no
    // analysis, and no file is touched.
    std::string line;
    if (!EncodeBatchLine(command, OemCodePage(), line)) return false;

    // The report is appended to: a report left over from an interrupted run
    // must go first, or its old figures would be read.
    DeleteFileW(W(reportPath.c_str()));
    if (FileExists(reportPath)) return false;
    // Declared before the run, so that the run's processes are stopped (and
    // no longer hold the files open) before the files are deleted.
    WorkFiles files(std::move(batchPath), std::move(reportPath));
    if (!WriteBatch(files.batch(), line)) return false;

    BatchRun run;  // stops every process of the batch on every way out
    if (!run.Start(files.batch())) return false;
    for (;;) {
        DWORD waited = run.Wait(kPollMs);
        if (waited == WAIT_OBJECT_0) break;
        if (waited != WAIT_TIMEOUT) return false;
        if (host.CancelRequested()) return false;
    }
    run.Stop();  // whatever the interpreter left running
    return ParseDefragReport(W(files.report().c_str()), percent, recommend);
}

}  // namespace tallowick
