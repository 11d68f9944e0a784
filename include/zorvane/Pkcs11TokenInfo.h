#pragma once
// Token information as the toolkit reports it; the library passes it through unread.
// Texts are the token's blank-padded fields, zero-terminated.
struct PKCS11_TOKEN_INFO {
    char label[33];
    char manufacturerID[33];
    char model[17];
    char serialNumber[17];
    unsigned long flags;
    unsigned long maxSessionCount;
    unsigned long sessionCount;
    unsigned long minPinLen;
    unsigned long maxPinLen;
};
