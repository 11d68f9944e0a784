#pragma once
// The user's certificate stores as `zorvane list` opens them, shared with the commands
// that pick one certificate out of them.

#include <zorvane/ByteString.h>
#include <zorvane/LoadCert.h>

#include <string>

// Whether work holds the toolkit (Quellark.dll) and IssuerOid.conf; tells on standard
// error, as "zorvane COMMAND: ...", what is missing and what to do.
bool CheckWorkFolder(const char* command, const std::string& work);

// Opens the loader's toolkit from work, so that one that will not load is told as such;
// LoadCerts then finds it open. True when open; otherwise the code and text were told.
bool OpenStoreToolkit(const char* command, CLoadCert& loader, const std::string& work);

// Why the drive table named by ZORVANE_DRIVE_TABLE cannot be used (it replaces every drive,
// so a missing one leaves none); empty when none is named or it can be read.
std::string DriveTableProblem();

// The signing certificate (DER) whose serial is HEX, in any case, among those `zorvane list`
// shows for the hard disk; false with the reason in error when none has it.
bool FindListedCertificate(const std::string& work, const std::string& serial, ByteString& certificate,
                           std::string& error);
