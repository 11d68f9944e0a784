#pragma once
// The thin holder of a toolkit context that certificate discovery uses on the smart
// card and PKCS#11 paths. Unlike the backends it loads nothing at run time: it calls
// the toolkit functions that the library links directly from Quellark.dll, so there is
// no "missing function" answer and no kept error text. Each operation stores the
// toolkit's result in m_lastResult. The destructor does not finish the context.
#include <zorvane/ByteString.h>

class CToolkitContext {
public:
    CToolkitContext();
    virtual ~CToolkitContext();

    int Init(const char* path);
    void Finish();
    void GetErrInfo(char* text, int size);
    int MediaLoad(const char* text);
    void MediaUnload();
    int OpenSession(const char* sessionText);
    int GetCertCnt(int* count);
    // The token's object at index: its kind, info and identifier (copied in every case).
    int GetCertInfo(int index, int* kind, ByteString& info, ByteString& identifier);
    int ReadCert(const ByteString& identifier, ByteString& cert);
    int ReadRandomForVID(const ByteString& identifier, ByteString& random);
    int Sign(const ByteString& identifier, const ByteString& data, ByteString& signature);
    int CloseSession();

    void* m_context;
    int m_lastResult;
};
