#pragma once
// Control functions of the fault toolkit, looked up with dlsym by the tests.
//
// The fault toolkit exports the toolkit's functions under the toolkit's names (which of
// them depends on the build variant). Each call is recorded as one line:
//   name(argument, argument, ...)
// with integers in decimal, texts quoted ("..."), a null pointer as null, binary inputs
// as [content], binary outputs as out, text buffers as text, integer outputs as &value
// (the value found on entry) and the slot array as {first five entries}. A call whose
// context is not the one QLK_API_Init made is marked name<bad context>(...).
//
// Every output is written, also when the call is made to fail: output k (counted from 1
// over the function's outputs) receives "<name without QLK_>#k" unless a content was set
// for it; integer outputs receive 3 whatever is set; text buffers at most size - 1 characters.

extern "C" {

// Forgets calls, failures, contents and the error text.
void FaultKit_Reset(void);
// Makes the named function return code and set text as the error text.
void FaultKit_Fail(const char* function, int code, const char* text);
// Content for output k of the named function (a text or binary output).
void FaultKit_SetOutput(const char* function, int output, const char* content);
// The recorded calls, one per line, oldest first.
const char* FaultKit_Calls(void);
// BINSTR records made and not yet deleted; contexts made and not yet finished.
int FaultKit_LiveBinstrs(void);
int FaultKit_LiveContexts(void);

}
