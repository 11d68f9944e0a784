#include "platform/Afx.h"

#include <gtest/gtest.h>

namespace {

int g_moduleAnchor;
HMODULE ThisModule() { return &g_moduleAnchor; }

TEST(ExtensionModule, InitialisesOnceAndRefusesANullInstance) {
    AFX_EXTENSION_MODULE state{};
    EXPECT_FALSE(AfxInitExtensionModule(state, nullptr));
    EXPECT_FALSE(state.bInitialized);
    EXPECT_TRUE(AfxInitExtensionModule(state, ThisModule()));
    EXPECT_EQ(ThisModule(), state.hModule);
    int other;
    EXPECT_TRUE(AfxInitExtensionModule(state, &other));
    EXPECT_EQ(ThisModule(), state.hModule);
}

TEST(ExtensionModule, LinkRecordsAreCountedAndEndPerModuleState) {
    AFX_EXTENSION_MODULE state{};
    ASSERT_TRUE(AfxInitExtensionModule(state, ThisModule()));
    const int everyModuleBefore = AfxLinkRecordCount();
    new CDynLinkLibrary(state);
    EXPECT_EQ(1, AfxLinkRecordCount(&state));
    const int libraryState = AfxGetModuleState();
    AfxSetModuleState(42);  // a host's own MFC state
    new CDynLinkLibrary(state);
    EXPECT_EQ(2, AfxLinkRecordCount(&state));
    EXPECT_EQ(everyModuleBefore + 2, AfxLinkRecordCount());
    AfxTermExtensionModule(state);  // the current state only
    EXPECT_EQ(1, AfxLinkRecordCount(&state));
    AfxSetModuleState(libraryState);
    new CDynLinkLibrary(state);
    AfxTermExtensionModule(state, TRUE);
    EXPECT_EQ(0, AfxLinkRecordCount(&state));
    EXPECT_EQ(everyModuleBefore, AfxLinkRecordCount());
}

TEST(ExtensionModule, DeletingARecordUnlinksIt) {
    AFX_EXTENSION_MODULE state{};
    ASSERT_TRUE(AfxInitExtensionModule(state, ThisModule()));
    auto* first = new CDynLinkLibrary(state);
    auto* second = new CDynLinkLibrary(state, TRUE);
    EXPECT_TRUE(second->m_bSystem);
    delete first;
    EXPECT_EQ(1, AfxLinkRecordCount(&state));
    delete second;
    EXPECT_EQ(0, AfxLinkRecordCount(&state));
}

}  // namespace
