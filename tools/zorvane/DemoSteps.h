#pragma once
// Demo steps written beside their commands; each prints one part and returns 0 or a
// failure code.

int MakeDemoSandbox();       // a generated test PKI under <program folder>/demo, drives C: and E:
int ShowDemoCertificates();  // zorvane list over the sandbox
int SignAndVerifyDemoMessage();    // zorvane sign and verify, attached and detached, in the sandbox
int EnvelopeAndOpenDemoMessage();  // zorvane envelope and open with SEED, in the sandbox
int ShowDemoCardAndToken();  // card and token listing, a CMS signature made on the token
