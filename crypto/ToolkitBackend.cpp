#include "crypto/ToolkitBackend.h"

#include <cstring>
#include <vector>

#include "crypto/ToolkitCall.h"

namespace zorvane {

namespace {
const int kErrorTextSize = 2048;
}

CToolkitBackend::CToolkitBackend(const BackendTraits& traits, int cipherAlg, int hashAlg)
    : m_library(nullptr),
      m_context(nullptr),
      m_cipherAlg(cipherAlg),
      m_hashAlg(hashAlg),
      m_traits(traits),
      m_references(1) {}

CToolkitBackend::~CToolkitBackend() { Finish(); }

int CToolkitBackend::Init(ByteString workFolder) {
    // A backend opened before is released first, so that its library and context do
    // not outlive the handle that is about to replace them.
    Finish();
    ByteString path = workFolder;
    path += "\\";
    path += m_traits.libraryFile;
    m_library = LoadLibraryA(path.GetData());
    if (!m_library) return m_traits.notLoaded;
    const auto init = Find(QLK_FUNCTION(QLK_API_Init));
    if (!init) return ReportMissing("QLK_API_Init");
    const int result = init(&m_context, workFolder.GetData());
    if (result != 0) FetchErrorText();
    return result;
}

int CToolkitBackend::Finish() {
    if (m_context) {
        if (const auto finish = Find(QLK_FUNCTION(QLK_API_Finish))) {
            finish(&m_context);
        } else {
            ReportMissing("QLK_API_Finish");
        }
        m_context = nullptr;
    }
    if (m_library) FreeLibrary(m_library);
    m_library = nullptr;
    m_resolved.clear();
    return 0;
}

std::size_t NextFunctionSlot() {
    static std::atomic<std::size_t> next{0};
    return next++;
}

FARPROC CToolkitBackend::Lookup(const char* name, std::size_t slot) const {
    if (!m_library) return nullptr;
    if (slot >= m_resolved.size()) m_resolved.resize(slot + 1);
    Resolution& resolution = m_resolved[slot];
    if (!resolution.known) resolution = {true, GetProcAddress(m_library, name)};
    return resolution.function;
}

// Written out rather than through the frame: the frame itself calls it after a failure.
int CToolkitBackend::GetErrInfo(ByteString& text) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto getErrInfo = Find(QLK_FUNCTION(QLK_API_GetErrInfo));
    if (!getErrInfo) return ReportMissing("QLK_API_GetErrInfo");
    std::vector<char> buffer(kErrorTextSize, 0);
    const int result = getErrInfo(m_context, kErrorTextSize, buffer.data());
    if (result == 0) text.SetData(buffer.data(), static_cast<int>(strnlen(buffer.data(), buffer.size())));
    return result;
}

void CToolkitBackend::FetchErrorText() { GetErrInfo(m_errorText); }

int CToolkitBackend::BinstrCreate(BINSTR* binstr) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto create = Find(QLK_FUNCTION(QLK_BINSTR_Create));
    return create ? create(binstr) : ReportMissing("QLK_BINSTR_Create");
}

int CToolkitBackend::BinstrSetData(const unsigned char* data, int length, BINSTR* binstr) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto setData = Find(QLK_FUNCTION(QLK_BINSTR_SetData));
    return setData ? setData(data, length, binstr) : ReportMissing("QLK_BINSTR_SetData");
}

int CToolkitBackend::BinstrDelete(BINSTR* binstr) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto deleteRecord = Find(QLK_FUNCTION(QLK_BINSTR_Delete));
    return deleteRecord ? deleteRecord(binstr) : ReportMissing("QLK_BINSTR_Delete");
}

int CToolkitBackend::ReportMissing(const char* name) {
    m_errorText.Format("%s Class : ERROR CODE : %d - Fail to call %s", m_traits.className, kFunctionMissing, name);
    return kFunctionMissing;
}

int CToolkitBackend::Unavailable(const char* operation) {
    if (!Loaded()) return m_traits.notLoaded;
    return ReportMissing(operation);
}

bool CToolkitBackend::CopiesOutput(CopyRule rule, const CallOutcome& outcome) const {
    const bool toolkitError = outcome.reach == Reach::Called && outcome.result != 0;
    switch (rule) {
        case CopyRule::Always:
            return true;
        case CopyRule::WhenCalled:
            return outcome.reach == Reach::Called;
        case CopyRule::OnSuccess:
            return outcome.reach == Reach::Called && outcome.result == 0;
        case CopyRule::ByBackend:
            return !toolkitError || m_traits.copiesOutputsAfterError;
    }
    return false;
}

}  // namespace zorvane
