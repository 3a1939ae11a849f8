// Check_Network against a loopback proxy: a local HTTP server stands for a
// reachable Internet, a closed port for an unreachable one.
// ctest-lock: prefix
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const std::wstring kNoFault = L"无故障";
const std::wstring kNaturalNet = L"网络连接正常";
const std::wstring kHaveFault = L"有故障";
const std::wstring kDeviantNet = L"网络连接异常";

struct Outcome {
    int rc = -1;
    int count = -1;
    std::wstring verdict, state;
    bool hasRecord = false;
};

Outcome RunCheck(tw::Library& lib) {
    Outcome o;
    NetworkResult* result = reinterpret_cast<NetworkResult*>(1);
    o.rc = lib.Check_Network_(&result, nullptr, &o.count, 0);
    if (result) {
        o.hasRecord = true;
        o.verdict = result->szVerdict;
        o.state = result->szNetworkState;
    }
    EXPECT_EQ(lib.Release_Network_(result), 0);
    return o;
}

// A copy of the library in a scratch folder, with or without a catalogue.
struct LibraryCopy {
    tw::TempDir dir;
    std::wstring dll;
    explicit LibraryCopy(const std::string* catalogBytes) {
        dll = dir.file(L"Tallowick.dll");
        CopyFileW((tw::BinDir() + L"\\Tallowick.dll").c_str(), dll.c_str(), FALSE);
        if (catalogBytes) {
            tw::MakeDirs(dir.file(L"common\\config"));
            tw::WriteFileBytes(dir.file(L"common\\config\\Resource.ini"), *catalogBytes);
        }
    }
};

TEST(Network, ReachableThroughLoopbackProxyGivesCatalogueTexts) {
    tw::LoopbackHttpServer server(404);  // an error status still counts
    tw::ScopedProxy proxy(server.port());
    tw::Library lib;
    ASSERT_TRUE(lib.loaded());
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, 1);
    ASSERT_TRUE(o.hasRecord);
    EXPECT_EQ(o.verdict, kNoFault);
    EXPECT_EQ(o.state, kNaturalNet);
    EXPECT_GE(server.requests(), 1);
    EXPECT_EQ(server.lastRequestLine().rfind("GET http://", 0), 0u) << server.lastRequestLine();
}

// Any HTTP answer counts, a proxy's own 502 (bad gateway) or 504 (gateway
// timeout) for a site it cannot reach included.
TEST(Network, ServerErrorStillCountsAsReachable) {
    for (int status : {500, 502, 504}) {
        SCOPED_TRACE(status);
        tw::LoopbackHttpServer server(status);
        tw::ScopedProxy proxy(server.port());
        tw::Library lib;
        Outcome o = RunCheck(lib);
        EXPECT_EQ(o.verdict, kNoFault);
        EXPECT_EQ(o.state, kNaturalNet);
        EXPECT_GE(server.requests(), 1);
    }
}

TEST(Network, ClosedPortGivesNotReachableTexts) {
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    tw::Library lib;
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.count, 1);
    EXPECT_EQ(o.verdict, kHaveFault);
    EXPECT_EQ(o.state, kDeviantNet);
}

TEST(Network, WithoutCatalogueEachIdIsItsOwnText) {
    LibraryCopy copy(nullptr);
    tw::Library lib(copy.dll);
    ASSERT_TRUE(lib.loaded());
    {
        tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
        Outcome o = RunCheck(lib);
        EXPECT_EQ(o.verdict, L"HaveFault");
        EXPECT_EQ(o.state, L"DeviantNet");
    }
    {
        tw::LoopbackHttpServer server;
        tw::ScopedProxy proxy(server.port());
        Outcome o = RunCheck(lib);
        EXPECT_EQ(o.verdict, L"NoFault");
        EXPECT_EQ(o.state, L"NaturalNet");
    }
}

TEST(Network, SectionWithoutTheKeyFallsBackToTheId) {
    std::string ini = tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=Offline\r\n[Other]\r\nDeviantNet=wrong section\r\n");
    LibraryCopy copy(&ini);
    tw::Library lib(copy.dll);
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.verdict, L"Offline");
    EXPECT_EQ(o.state, L"DeviantNet");
}

TEST(Network, CatalogueBesideTheLibraryNotTheHost) {
    // The host runs from another folder; the catalogue is found beside the DLL.
    std::string ini = tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=copy verdict\r\nDeviantNet=copy state\r\n");
    LibraryCopy copy(&ini);
    tw::TempDir elsewhere;
    SetCurrentDirectoryW(elsewhere.path().c_str());
    tw::Library lib(copy.dll);
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    Outcome o = RunCheck(lib);
    SetCurrentDirectoryW(tw::TestsDir().c_str());
    EXPECT_EQ(o.verdict, L"copy verdict");
    EXPECT_EQ(o.state, L"copy state");
}

TEST(Network, LongCatalogueTextIsCutInsideTheField) {
    std::wstring longText(2000, L'x');
    std::string ini = tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=" + longText + L"\r\n");
    LibraryCopy copy(&ini);
    tw::Library lib(copy.dll);
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    Outcome o = RunCheck(lib);
    EXPECT_EQ(o.verdict, std::wstring(259, L'x'));
}

TEST(Network, CatalogueChangesTakeEffectAtTheNextCall) {
    std::string first = tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=first\r\n");
    LibraryCopy copy(&first);
    tw::Library lib(copy.dll);
    tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
    EXPECT_EQ(RunCheck(lib).verdict, L"first");
    tw::WriteFileBytes(copy.dir.file(L"common\\config\\Resource.ini"),
                       tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=second\r\n"));
    EXPECT_EQ(RunCheck(lib).verdict, L"second");
}

}  // namespace

namespace {

// Odd catalogue files: the check never crashes, both fields stay terminated
// inside their width, and a file it cannot use gives the ids themselves.
TEST(Network, OddCatalogueFilesKeepFieldsTerminated) {
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>((i * 7919 + 13) & 0xFF));
    std::string huge = tw::Utf16Bom(L"[Tallowick]\r\n");
    for (int i = 0; i < 20000; ++i) huge += tw::Utf16Bom(L"").substr(2) + std::string("K\0=\0v\0\r\0\n\0", 10);
    huge += std::string("H\0a\0v\0e\0F\0a\0u\0l\0t\0=\0B\0i\0g\0\r\0\n\0", 32);
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring verdict;  // empty: anything terminated is acceptable
    } cases[] = {
        {"utf-8 without BOM, ascii", "[Tallowick]\r\nHaveFault=plain\r\n", L""},
        {"binary", binary, L""},
        {"missing section", tw::Utf16Bom(L"[Other]\r\nHaveFault=x\r\n"), L"HaveFault"},
        {"empty file", "", L"HaveFault"},
        {"empty value", tw::Utf16Bom(L"[Tallowick]\r\nHaveFault=\r\n"), L""},
        {"huge file", huge, L""},
    };
    for (const Case& c : cases) {
        LibraryCopy copy(&c.bytes);
        tw::Library lib(copy.dll);
        ASSERT_TRUE(lib.loaded()) << c.name;
        tw::ScopedProxy proxy(tw::ClosedLoopbackPort());
        NetworkResult* result = nullptr;
        int count = 0;
        ASSERT_EQ(lib.Check_Network_(&result, nullptr, &count, 0), 0) << c.name;
        ASSERT_NE(result, nullptr) << c.name;
        EXPECT_LT(wcsnlen(result->szVerdict, 261), 261u) << c.name;
        EXPECT_LT(wcsnlen(result->szNetworkState, 261), 261u) << c.name;
        if (!c.verdict.empty()) EXPECT_EQ(std::wstring(result->szVerdict), c.verdict) << c.name;
        lib.Release_Network_(result);
    }
}

}  // namespace
