#include "core/ModuleEntry.h"

#include <zorvane/ErrorLog.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// InitCertProcessDll links the library into the caller's current MFC state; thread
// notifications change nothing, process detach ends every link.
TEST(ModuleEntry, InitLinksInTheCurrentStateAndDetachEndsTheLinks) {
    AFX_EXTENSION_MODULE& module = zorvane::LibraryExtensionModule();
    const int before = AfxLinkRecordCount(&module);
    const int libraryState = AfxGetModuleState();
    AfxSetModuleState(7);  // the host's MFC state
    InitCertProcessDll();
    EXPECT_EQ(before + 1, AfxLinkRecordCount(&module));
    AfxTermExtensionModule(module);  // only the host state's link goes
    EXPECT_EQ(before, AfxLinkRecordCount(&module));
    AfxSetModuleState(libraryState);
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_THREAD_ATTACH));
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_THREAD_DETACH));
    EXPECT_EQ(before, AfxLinkRecordCount(&module));
    InitCertProcessDll();
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_PROCESS_DETACH));
    EXPECT_EQ(0, AfxLinkRecordCount(&module));
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_PROCESS_ATTACH));
    EXPECT_EQ(1, AfxLinkRecordCount(&module));
}

}  // namespace
