#pragma once
// A test PKI made once per test program by the generator, in a temporary home with the
// build's toolkit beside its IssuerOid.conf; and a fixture that maps drive C: to that
// home and E: to a removable stick folder.

#include <gtest/gtest.h>
#include <zorvane/LoadCert.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "platform/PathTranslation.h"
#include "tools/pkigen/Generator.h"

namespace zorvane::test {

using pkigen::UserRecord;
using testsupport::ReadText;
using testsupport::TempFolder;

class GeneratedStores {
public:
    static const GeneratedStores& Get();

    std::string home;   // drive C:
    std::string stick;  // drive E:, empty until a test fills it
    std::string work;   // Quellark.dll, gpkiapi.dll, IssuerOid.conf
    pkigen::Result pki;

    // Users of one store ("npki", "gpki", "mpki", "private"), optionally of one CA id.
    std::vector<const UserRecord*> Users(const std::string& store, const std::string& ca = "") const;
    const UserRecord& FirstUser(const std::string& store, const std::string& ca = "") const;

private:
    GeneratedStores();
    TempFolder m_root;
};

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Points C: and E: elsewhere for one test.
    void UseDrives(const std::string& home, const std::string& stick);
    ByteString WorkPath() const { return ByteString(Stores().work.c_str()); }
    static const GeneratedStores& Stores() { return GeneratedStores::Get(); }

    TempFolder m_scratch;  // per-test homes and sticks

private:
    std::vector<paths::Drive> m_drives;
};

// Copies a folder tree (certificate folders into scratch homes).
void CopyTree(const std::string& from, const std::string& to);

// Bytes of a file, and the `sha1sum` of it, as an independent check.
ByteString FileByteString(const std::string& path);
std::string Sha1Sum(const std::string& path);

// `zorvane list ARGUMENTS` as a program, after a shell prefix (a user to run as, the
// environment); its output files go to the scratch folder. A hang fails, not sticks.
struct Listing {
    int exitCode = -1;
    std::string out, err;
};
Listing RunList(const TempFolder& scratch, const std::string& prefix, const std::string& arguments);

// A time the generator wrote in Korea Standard Time, as local time in the given format.
std::string LocalText(const std::string& koreaTime, const char* format);

std::string Text(const ByteString& text);

}  // namespace zorvane::test
