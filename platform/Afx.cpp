#include "platform/Afx.h"

#include <mutex>
#include <vector>

namespace {

// A plain list head, never destroyed, so that records made by a host outlive every
// static object of the library and stay reachable until the process ends.
std::mutex g_registryMutex;
CDynLinkLibrary* g_firstRecord = nullptr;
int g_currentState = 0;

template <class Visit>
void ForEachRecord(Visit visit) {
    for (CDynLinkLibrary* record = g_firstRecord; record;) {
        CDynLinkLibrary* next = record->m_pNextDLL;
        visit(record);
        record = next;
    }
}

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (state.bInitialized) return TRUE;
    if (!module) return FALSE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    std::vector<CDynLinkLibrary*> doomed;
    {
        std::lock_guard<std::mutex> lock(g_registryMutex);
        ForEachRecord([&](CDynLinkLibrary* record) {
            if (record->m_hModule == state.hModule && (all || record->m_moduleState == g_currentState)) {
                doomed.push_back(record);
            }
        });
    }
    for (CDynLinkLibrary* record : doomed) delete record;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system), m_moduleState(0),
      m_pNextDLL(nullptr) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    m_moduleState = g_currentState;
    m_pNextDLL = g_firstRecord;
    g_firstRecord = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    for (CDynLinkLibrary** link = &g_firstRecord; *link; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            break;
        }
    }
}

int AfxLinkRecordCount(const AFX_EXTENSION_MODULE* state) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    int count = 0;
    ForEachRecord([&](CDynLinkLibrary* record) {
        if (!state || record->m_hModule == state->hModule) ++count;
    });
    return count;
}

int AfxGetModuleState() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    return g_currentState;
}

void AfxSetModuleState(int state) {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_currentState = state;
}
