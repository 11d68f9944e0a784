#pragma once
// Demo steps written beside their commands; each prints one part and returns 0 or a
// failure code.

int MakeDemoSandbox();             // a generated test PKI under <program folder>/demo, drives C: and E:
int ShowDemoCertificates();        // zorvane list over the sandbox
int InspectDemoCertificate();      // zorvane inspect on a user's certificate
int SignWithDemoKey();             // the user's key opened, a plain signature made and verified
int SignAndVerifyDemoMessage();    // zorvane sign and verify, attached and detached, openssl cms confirming
int EnvelopeAndOpenDemoMessage();  // zorvane envelope and open with SEED, in the sandbox
int CheckDemoChainAndCrl();        // zorvane verify-cert: a good user, a revoked one refused
int ShowDemoCardAndToken();        // card and token listing, a CMS signature made on the token
int DeriveDemoChannelKeys();       // channel keys as zorvane kdf derives them
int FrameDemoMessage();            // a content message as zorvane msg make frames it
int HandOverDemoMessage();         // that message read by a second process through the shared block
