#include "core/ModuleEntry.h"

#include <dlfcn.h>
#include <zorvane/ErrorLog.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ModuleEntry, LoadingRegisteredTheLibraryOnce) {
    const AFX_EXTENSION_MODULE& module = zorvane::LibraryExtensionModule();
    EXPECT_TRUE(module.bInitialized);
    EXPECT_NE(nullptr, module.hModule);
    EXPECT_EQ(1, AfxLinkRecordCount(&module));
}

TEST(ModuleEntry, InitCertProcessDllAddsALinkInTheCurrentState) {
    AFX_EXTENSION_MODULE& module = zorvane::LibraryExtensionModule();
    const int before = AfxLinkRecordCount(&module);
    const int libraryState = AfxGetModuleState();
    AfxSetModuleState(7);  // the host's MFC state
    InitCertProcessDll();
    EXPECT_EQ(before + 1, AfxLinkRecordCount(&module));
    AfxTermExtensionModule(module);  // only the host state's link goes
    EXPECT_EQ(before, AfxLinkRecordCount(&module));
    AfxSetModuleState(libraryState);
}

TEST(ModuleEntry, ThreadNotificationsDoNothingAndDetachEndsTheLinks) {
    AFX_EXTENSION_MODULE& module = zorvane::LibraryExtensionModule();
    const int before = AfxLinkRecordCount(&module);
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_THREAD_ATTACH));
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_THREAD_DETACH));
    EXPECT_EQ(before, AfxLinkRecordCount(&module));
    InitCertProcessDll();
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_PROCESS_DETACH));
    EXPECT_EQ(0, AfxLinkRecordCount(&module));
    EXPECT_EQ(1, zorvane::ModuleEntry(module.hModule, DLL_PROCESS_ATTACH));
    EXPECT_EQ(1, AfxLinkRecordCount(&module));
}

TEST(ModuleEntry, TheSharedLibraryLoadsAndUnloadsWithItsEntry) {
    const std::string path = std::string(ZORVANE_TEST_WORK_DIR) + "/libzorvane.so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    auto init = reinterpret_cast<void (*)()>(dlsym(library, "InitCertProcessDll"));
    ASSERT_NE(nullptr, init);
    init();
    EXPECT_EQ(0, dlclose(library));
}

}  // namespace
