// IssuerOid.conf: the NPKI CA folders, issuer display names and policy display names;
// and the caller's policy filter.

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "discovery/DiscoveryInternal.h"
#include "platform/Win32.h"

namespace {

using zorvane::discovery::View;

const char kProfileReadFailed[] = "Info_count 섹션의 Policy_Info 정보 읽기에 실패했습니다.";
const char kConfigReadFailed[] = "IssuerOid.conf 읽기에 실패했습니다.";
const char kMissingValue[] = "NULL";
const int kValueBufferSize = 100;

// One profile value, read with the default "NULL" into a 100-byte buffer as every
// configuration value is. Returns the character count; the value goes to out.
int ReadProfileValue(const char* section, const char* key, const ByteString& file, ByteString& out) {
    char buffer[kValueBufferSize] = {};
    const int count = static_cast<int>(
        GetPrivateProfileStringA(section, key, kMissingValue, buffer, sizeof(buffer), file.GetData()));
    out = buffer;
    return count;
}

ByteString Decimal(int value) {
    ByteString text;
    text.Format("%d", value);
    return text;
}

// The policy lines are everything before "[Info_count]", one OID=name per 0x0A-ended
// line; a 0x0D before the line break stays part of the name.
void StorePolicyLines(std::string_view content, CMapStringToString& policyMap) {
    const std::size_t header = content.find("[Info_count]");
    if (header != std::string_view::npos) content = content.substr(0, header);
    std::size_t lineEnd;
    while ((lineEnd = content.find('\n')) != std::string_view::npos) {
        const std::string_view line = content.substr(0, lineEnd);
        content.remove_prefix(lineEnd + 1);
        const std::size_t equals = line.find('=');
        const std::string key(equals == std::string_view::npos ? std::string_view() : line.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos ? line : line.substr(equals + 1);
        policyMap.SetAt(key.c_str(), ByteString(value.data(), static_cast<int>(value.size())));
    }
}

}  // namespace

int CLoadCert::MakeMap(ByteString& workPath) {
    const ByteString file = workPath + "\\IssuerOid.conf";
    ByteString value;
    int lastCount = 0;
    // Every profile value must be present; the first one that reads empty stops the walk
    // and leaves what was stored so far.
    auto read = [&](const char* section, const char* key) {
        lastCount = ReadProfileValue(section, key, file, value);
        if (lastCount < 1) m_errorText = kProfileReadFailed;
        return lastCount >= 1;
    };

    if (!read("Info_count", "Policy_Info")) return 0;
    const int entries = std::atoi(value.GetData());

    CMapStringToString issuerCnByIndex(10);
    for (int i = 1; i <= entries; ++i) {
        const ByteString index = Decimal(i);
        const ByteString section = ByteString("Policy_Info") + index;
        if (!read(section.GetData(), "DirName")) return 0;
        m_folderMap.SetAt(index, value);
        if (!read(section.GetData(), "IssuerCN")) return 0;
        issuerCnByIndex.SetAt(index, value);
    }

    const int issuers = issuerCnByIndex.GetCount();
    for (int i = 1; i <= issuers; ++i) {
        ByteString issuerCn;
        issuerCnByIndex.Lookup(Decimal(i), issuerCn);
        if (!read("Issuer_Info", issuerCn.GetData())) return 0;
        m_issuerMap.SetAt(issuerCn, value);
    }

    ByteString content;
    if (content.LoadFile(file.GetData()) != 0) {
        m_errorText = kConfigReadFailed;
        return -1;
    }
    StorePolicyLines(View(content), m_policyMap);
    return lastCount;
}

int CLoadCert::ParsingPolicyInfo(ByteString& text) {
    m_policyFilter.RemoveAll();
    std::string_view rest = View(text);
    std::size_t bar;
    while ((bar = rest.find('|')) != std::string_view::npos) {
        m_policyFilter.Add(ByteString(rest.data(), static_cast<int>(bar)));
        rest.remove_prefix(bar + 1);
        // A filter that begins with "|" (or holds "||") ends the list at its empty entry.
        if (bar == 0) break;
    }
    return 0;
}

int CLoadCert::CheckPolicyID(tagCERTLIST& record) {
    for (int i = 0; i < m_policyFilter.GetSize(); ++i) {
        if (std::strcmp(record.policyID.GetData(), m_policyFilter[i].GetData()) == 0) return 0;
    }
    return -1;
}

int CLoadCert::MakeCommonPolicyID(tagCERTLIST& record) {
    // TradeSignCA certificates carry two policy OIDs in one text, "first, second";
    // the second is the one that names the certificate's use.
    if (!(record.issuerCN == "TradeSignCA")) return 0;
    const std::string_view policyId = View(record.policyID);
    const std::size_t comma = policyId.find(',');
    if (comma == std::string_view::npos) return -1;
    const std::size_t start = comma + 2 < policyId.size() ? comma + 2 : policyId.size();
    const std::string second(policyId.substr(start));
    record.policyID = second.c_str();
    return 0;
}

int CLoadCert::GetPolicyName(ByteString& oid, ByteString& name) {
    if (m_policyMap.IsEmpty()) return 0;
    std::string key(oid.GetData());
    for (char& c : key) {
        if (c == ' ') c = '.';
    }
    return m_policyMap.Lookup(key.c_str(), name) ? 0 : -1;
}
