#include <zorvane/CmdGen.h>

CCmdItem::CCmdItem() : type(0) {}

CCmdItem::~CCmdItem() = default;

// The base item has no layout of its own.
int CCmdItem::Parse(ByteString) { return 0; }
