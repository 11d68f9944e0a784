#pragma once
// Everything a host of libzorvane.so includes: the exported classes and records.
#include <zorvane/ByteString.h>
#include <zorvane/Collections.h>
#include <zorvane/CmdGen.h>
#include <zorvane/CryptoEx.h>
#include <zorvane/ErrorLog.h>
#include <zorvane/GenKey.h>
#include <zorvane/LoadCert.h>
#include <zorvane/MemoryMap.h>
#include <zorvane/Pkcs11TokenInfo.h>
#include <zorvane/Util.h>
