#pragma once
// The default work folder of the zorvane program. In the build tree the toolkit files,
// IssuerOid.conf and the generator lie beside the program, so it is the program's own
// folder; an installed program finds its work folder at the installed place relative
// to itself (<prefix>/bin/zorvane uses <prefix>/lib/zorvane).

#include <string>

std::string ProgramFolder();
