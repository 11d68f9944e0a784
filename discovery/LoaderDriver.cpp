// LoadCerts: opens the NPKI toolkit and runs the store readers that the medium and the
// store mask select, in their fixed order.

#include "discovery/DiscoveryInternal.h"
#include "platform/PathTranslation.h"

namespace {

enum { kToolkitNpki = 2, kAlreadyOpen = 100 };
enum { kMediaCard = 3, kMediaToken = 4 };
enum { kMaskGpki = 1, kMaskNpki = 2, kMaskMpki = 4, kMaskPrivate = 8 };

}  // namespace

int CLoadCert::LoadCerts(int media, ByteString& subject, ByteString& serial, int storeMask, ByteString& policies,
                         int keySelector, ByteString& drive, ByteString& mediaText, int mediaInt, int spare,
                         CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    (void)spare;
    m_keySelector = keySelector;
    m_subjectFilter = subject;
    m_media = media;
    m_policyText = policies;
    m_serialFilter = serial;
    if (!policies.IsEmpty()) ParsingPolicyInfo(policies);

    m_toolkitKind = kToolkitNpki;
    const int opened = m_crypto.Init(kToolkitNpki, 0, 0, m_workPath);
    if (opened != 0 && opened != kAlreadyOpen) {
        m_crypto.GetErrInfo(m_errorText);
        return opened;
    }

    const zorvane::paths::ScopedFolderListings listings;  // each folder is listed once per walk

    // A single record is the caller's current choice and stays at the head of the list.
    if (list.GetSize() > 1) list.SetSize(0);

    if (media == kMediaCard || media == kMediaToken) {
        int added = 0;
        const int result = media == kMediaCard
                               ? AddCertList_CARD(storeMask, keySelector, mediaText, mediaInt, list, added)
                               : AddCertList_PKCS11(storeMask, keySelector, mediaText, list, m_pkcs11Module, added);
        count = added;
        return result;
    }

    // Each group adds its readers' counts to sum and answers the result that counts for it.
    auto gpki = [&](int& sum) {
        int added = 0;
        ByteString class1("class1"), class2("class2");
        AddCertList_GPKICert(class1, media, keySelector, drive, list, added);
        sum += added;
        const int result = AddCertList_GPKICert(class2, media, keySelector, drive, list, added);
        sum += added;
        return result;
    };
    auto npki = [&](int& sum, int result) {
        const int folders = m_folderMap.GetCount();
        for (int i = 1; i <= folders; ++i) {
            ByteString index, caFolder;
            index.Format("%d", i);
            m_folderMap.Lookup(index, caFolder);
            int added = 0;
            result = AddCertList_NPKICert(caFolder, media, keySelector, drive, list, added);
            sum += added;
        }
        return result;
    };
    auto mpki = [&](int& sum) {
        int added = 0;
        AddCertList_GPKIMPKICert(media, keySelector, drive, list, added);
        sum += added;
    };
    auto privateCa = [&](int& sum) {
        int added = 0;
        const int result = AddCertList_PrivateCert(media, keySelector, drive, list, added);
        sum += added;
        return result;
    };

    if (storeMask == 0) {
        int total = 0;
        gpki(total);
        mpki(total);
        npki(total, 0);
        const int result = privateCa(total);
        count = total;
        return result;
    }
    // With a mask the counts are added to the caller's count; only the GPKI class2, NPKI
    // and private readers decide the result.
    int result = opened;
    if (storeMask & kMaskGpki) result = gpki(count);
    if (storeMask & kMaskNpki) result = npki(count, result);
    if (storeMask & kMaskMpki) mpki(count);
    if (storeMask & kMaskPrivate) result = privateCa(count);
    return result;
}
