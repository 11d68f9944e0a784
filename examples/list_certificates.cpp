// Lists the certificates kept on the hard disk, as a certificate-selection dialog shows them.
//
//   list_certificates WORK_FOLDER
//
// WORK_FOLDER holds the toolkit (Quellark.dll) and IssuerOid.conf; for an installed copy
// it is `pkg-config --variable=workdir zorvane` or Zorvane_WORK_DIR in CMake. The hard
// disk is the home folder, so the stores read are ~/NPKI, ~/GPKI and ~/MPKI.
#include <cstdio>

#include <zorvane/zorvane.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WORK_FOLDER\n", argv[0]);
        return 2;
    }
    // The loader reads the NPKI CA folders and the display names from IssuerOid.conf.
    ByteString workFolder(argv[1]);
    CLoadCert loader(workFolder);

    // Empty filters take every certificate. Media 0 is the hard disk, store mask 0 every
    // store (GPKI, NPKI, MPKI, private CAs), key selector 0 the signing and key-management pair.
    ByteString subject, serial, policies, drive, mediaText;
    CArray<tagCERTLIST, tagCERTLIST&> list;
    int count = 0;
    const int result = loader.LoadCerts(0, subject, serial, 0, policies, 0, drive, mediaText, 0, 0, list, count);
    if (result != 0 && list.GetSize() == 0) {
        // Missing stores are not an error; a toolkit that does not open is.
        std::fprintf(stderr, "no certificates (result %d): %s\n", result, loader.m_errorText.GetData());
        return 1;
    }

    for (int i = 0; i < list.GetSize(); ++i) {
        const tagCERTLIST& cert = list[i];
        std::printf("%s\n  issuer: %s, policy: %s\n  valid to: %s%s\n  file: %s\n", cert.subjectName.GetData(),
                    cert.issuerAlias.GetData(), cert.policyName.GetData(), cert.validTo.GetData(),
                    cert.validDays ? " (expired)" : "", cert.signCertPath.GetData());
    }
    std::printf("%d certificates\n", list.GetSize());
    return 0;
}
