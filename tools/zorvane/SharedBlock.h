#pragma once
// Named shared blocks as `zorvane mmf` uses them (CMemoryMap), shared with the demo.

// What CMemoryMap::WriteMMF and ReadMMF answer when the text went through.
constexpr int kBlockDone = 1;

// What another answer of WriteMMF or ReadMMF means, in words for the user; 0 stands for
// a block that CreateMMF could not make.
const char* SharedBlockMeaning(int result);
