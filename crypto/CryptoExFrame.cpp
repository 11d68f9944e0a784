// CCryptoEx construction, copies, Init and Close, and the frame operations.
//
// Copies share the backends: each backend carries the number of facades that refer to
// it (inside the backend object, after its documented fields, so the facade keeps its
// two plain pointers), and the last facade to let go finishes and frees it. Init, Close,
// the destructor and operator= all let go of the references they held.
#include <zorvane/CryptoEx.h>

#include <new>

#include "crypto/FacadeDispatch.h"

namespace {

const int kDefaultCipherAlg = 48;  // SEED-CBC
const int kDefaultHashAlg = 1;     // SHA-1

template <typename Backend>
Backend* Share(Backend* backend) {
    if (backend) ++backend->m_references;
    return backend;
}

void Release(zorvane::CToolkitBackend* backend) {
    if (backend && --backend->m_references == 0) delete backend;
}

}  // namespace

CCryptoEx::CCryptoEx() : CCryptoEx(0, kDefaultCipherAlg, kDefaultHashAlg) {}

CCryptoEx::CCryptoEx(int type, int cipherAlg, int hashAlg)
    : m_gpki(nullptr), m_npki(nullptr), m_cipherAlg(cipherAlg), m_hashAlg(hashAlg), m_type(type) {}

CCryptoEx::CCryptoEx(const CCryptoEx& other)
    : m_gpki(Share(other.m_gpki)),
      m_npki(Share(other.m_npki)),
      m_cipherAlg(other.m_cipherAlg),
      m_hashAlg(other.m_hashAlg),
      m_type(other.m_type),
      m_text1(other.m_text1),
      m_text2(other.m_text2),
      m_workPath(other.m_workPath) {}

CCryptoEx::~CCryptoEx() { Close(); }

// The new references are taken before the old ones go, so assigning a facade to itself
// or to a copy sharing its backend keeps the backend alive.
CCryptoEx& CCryptoEx::operator=(const CCryptoEx& other) {
    CGpkiEx* gpki = Share(other.m_gpki);
    CNpkiEx* npki = Share(other.m_npki);
    Close();
    m_gpki = gpki;
    m_npki = npki;
    m_cipherAlg = other.m_cipherAlg;
    m_hashAlg = other.m_hashAlg;
    m_type = other.m_type;
    m_text1 = other.m_text1;
    m_text2 = other.m_text2;
    m_workPath = other.m_workPath;
    return *this;
}

int CCryptoEx::Init(int type, int cipherAlg, int hashAlg) {
    m_type = type;
    m_cipherAlg = cipherAlg;
    m_hashAlg = hashAlg;
    Close();
    if (type != 0) {
        m_npki = new (std::nothrow) CNpkiEx(cipherAlg, hashAlg);
    } else {
        m_gpki = new (std::nothrow) CGpkiEx(cipherAlg, hashAlg);
    }
    return 0;
}

int CCryptoEx::Init(int type, int cipherAlg, int hashAlg, ByteString workFolder) {
    Init(type, cipherAlg, hashAlg);
    return ZV_FORWARD(Init, workFolder);
}

void CCryptoEx::Close() {
    Release(m_gpki);
    m_gpki = nullptr;
    Release(m_npki);
    m_npki = nullptr;
}

bool CCryptoEx::IsGpki() { return m_type == 0; }

int CCryptoEx::GetErrInfo(ByteString& text) { return ZV_FORWARD(GetErrInfo, text); }

int CCryptoEx::SetWorkPath(ByteString& path) {
    m_workPath = path;
    return 0;
}

// The option is passed nowhere: neither toolkit has a use for it.
int CCryptoEx::SetOption(int) { return m_type != 0 ? zorvane::kFunctionMissing : zorvane::kNotOffered; }

int CCryptoEx::GetVersion(ByteString& version) { return ZV_FORWARD(GetVersion, version); }

int CCryptoEx::GetInfo(ByteString& info) { return ZV_FORWARD(GetInfo, info); }
