// GdiObjects: how many GDI objects a process holds, also where GetGuiResources cannot tell.
#pragma once

#include <windows.h>

namespace test {

// The GDI objects the process holds now, stock objects left out; -1 when they cannot be
// counted. The handle needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
//
// Windows answers GetGuiResources. Wine answers 0 there, but keeps, as Windows does, a table
// of GDI handles whose address is in the process environment block (GdiSharedHandleTable);
// under Wine every process has a table of its own, and an entry in use has a non-zero type.
int GdiObjects(HANDLE process);

} // namespace test
