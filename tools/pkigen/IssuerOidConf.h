#pragma once
// IssuerOid.conf: policy names, the NPKI CA folders with their issuer CNs, and issuer
// display names, in the profile form that certificate discovery reads.

#include <string>
#include <vector>

#include "tools/pkigen/Catalog.h"

namespace zorvane::pkigen {

std::string IssuerOidConfText(const std::vector<const CaProfile*>& cas);

}  // namespace zorvane::pkigen
