#include "tools/zorvane/StoreSearch.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

bool CheckWorkFolder(const char* command, const std::string& work) {
    for (const char* needed : {"Quellark.dll", "IssuerOid.conf"}) {
        if (!std::filesystem::is_regular_file(std::filesystem::path(work) / needed)) {
            std::fprintf(stderr,
                         "zorvane %s: the work folder %s has no %s.\n"
                         "It must hold the toolkit (Quellark.dll) and the issuer configuration "
                         "(IssuerOid.conf); name another one with --work.\n",
                         command, work.c_str(), needed);
            return false;
        }
    }
    return true;
}

bool OpenStoreToolkit(const char* command, CLoadCert& loader, const std::string& work) {
    if (!loader.m_errorText.IsEmpty())
        std::fprintf(stderr, "zorvane %s: warning: %s (%s/IssuerOid.conf)\n", command, loader.m_errorText.GetData(),
                     work.c_str());
    ByteString folder(work.c_str());
    const int opened = loader.m_crypto.Init(2, 0, 0, folder);
    if (opened == 0 || opened == 100) return true;
    ByteString reason;
    loader.m_crypto.GetErrInfo(reason);
    std::fprintf(stderr, "zorvane %s: the toolkit in %s does not open (code %d) %s\n", command, work.c_str(), opened,
                 reason.GetData());
    return false;
}

std::string DriveTableProblem() {
    const char* table = std::getenv("ZORVANE_DRIVE_TABLE");
    if (!table || !*table || access(table, R_OK) == 0) return "";
    return "the drive table " + std::string(table) + " named by ZORVANE_DRIVE_TABLE cannot be read (" +
           std::strerror(errno) + "); fix or unset ZORVANE_DRIVE_TABLE";
}

bool FindListedCertificate(const std::string& work, const std::string& serial, ByteString& certificate,
                           std::string& error) {
    std::string lower = serial;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ByteString folder(work.c_str()), subject, wanted(lower.c_str()), policies, drive, mediaText;
    CLoadCert loader(folder);
    CArray<tagCERTLIST, tagCERTLIST&> list;
    int count = 0;
    const int result = loader.LoadCerts(0, subject, wanted, 0, policies, 1, drive, mediaText, 0, 0, list, count);
    if (list.GetSize() == 0 && !(error = DriveTableProblem()).empty()) return false;
    if (list.GetSize() == 0) {
        error = "no listed certificate has the serial " + serial + " (list result " + std::to_string(result) +
                ", work folder " + work + "); see `zorvane list`";
        return false;
    }
    certificate = list[0].signCert;
    return true;
}
