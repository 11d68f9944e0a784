#include "tools/pkigen/IssuerOidConf.h"

namespace zorvane::pkigen {

// Policy lines come first (everything before "[Info_count]" is read as OID=name), ended by
// LF alone so that names carry no CR. Only NPKI CAs get a folder entry.
std::string IssuerOidConfText(const std::vector<const CaProfile*>& cas) {
    std::string text;
    for (const CaProfile* ca : cas)
        for (const Policy& policy : ca->policies) text += policy.oid + "=" + policy.name + "\n";
    std::string entries;
    int count = 0;
    for (const CaProfile* ca : cas) {
        if (ca->store != Store::Npki) continue;
        ++count;
        entries += "[Policy_Info" + std::to_string(count) + "]\nDirName=" + ca->folder +
                   "\nIssuerCN=" + NameValue(ca->name, "cn") + "\n";
    }
    text += "[Info_count]\nPolicy_Info=" + std::to_string(count) + "\n" + entries + "[Issuer_Info]\n";
    for (const CaProfile* ca : cas) text += NameValue(ca->name, "cn") + "=" + ca->displayName + "\n";
    return text;
}

}  // namespace zorvane::pkigen
