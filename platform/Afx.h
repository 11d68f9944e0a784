#pragma once
// Stand-ins for MFC's extension-module registration. MFC keeps, per module state, a list
// of CDynLinkLibrary link records through which the host finds an extension library's
// classes and resources. Here the list is a small process-wide registry whose count
// can be observed, so that the module entry and InitCertProcessDll have visible effects.

#include "platform/Win32.h"

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};

// Records the module instance; FALSE for a null instance. A second call changes nothing.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);

// Deletes the module's link records: those of the current module state, or with
// `all` those of every state.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// One link record. It enters the registry when constructed (in the current module
// state) and leaves it when deleted; AfxTermExtensionModule deletes it.
class CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    virtual ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    int m_moduleState;
    CDynLinkLibrary* m_pNextDLL;
};

// Number of link records of a module (every module for nullptr), in every state.
int AfxLinkRecordCount(const AFX_EXTENSION_MODULE* state = nullptr);

// The module state in which new link records are made. A host (or a test) that
// switches MFC states switches it; 0 is the library's own.
int AfxGetModuleState();
void AfxSetModuleState(int state);
