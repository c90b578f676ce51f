// GdiObjects: counting the entries in use of a process's GDI handle table.
#include "tests/support/GdiObjects.h"

#include <winternl.h>

#include <vector>

namespace test {

namespace {

// One entry of the table, the same in 32- and 64-bit processes.
struct HandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;  // bits 0-6 the extended type, bit 7 set for a stock object
    UCHAR type;     // 0 for a free entry
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(HandleEntry) == 24, "the table's entry layout");

const size_t TableEntries = 0x10000;
const size_t ChunkEntries = 0x1000;
const USHORT StockObject = 0x80;
const size_t PebGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

void* HandleTable(HANDLE process)
{
    auto query = reinterpret_cast<decltype(&NtQueryInformationProcess)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info = {};
    void* table = nullptr;
    SIZE_T read = 0;
    if (!query || query(process, ProcessBasicInformation, &info, sizeof(info), nullptr) != 0 || !info.PebBaseAddress ||
        !ReadProcessMemory(process, reinterpret_cast<BYTE*>(info.PebBaseAddress) + PebGdiTableOffset, &table,
                           sizeof(table), &read) ||
        read != sizeof(table))
        return nullptr;
    return table;
}

} // namespace

int GdiObjects(HANDLE process)
{
    DWORD reported = GetGuiResources(process, GR_GDIOBJECTS);
    if (reported)
        return static_cast<int>(reported);
    BYTE* table = static_cast<BYTE*>(HandleTable(process));
    if (!table)
        return -1;
    std::vector<HandleEntry> chunk(ChunkEntries);
    int count = 0;
    for (size_t first = 0; first < TableEntries; first += ChunkEntries) {
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, table + first * sizeof(HandleEntry), chunk.data(),
                               ChunkEntries * sizeof(HandleEntry), &read) ||
            read != ChunkEntries * sizeof(HandleEntry))
            return first ? count : -1;
        // Entries never handed out are all zero, and they come after every other one.
        bool untouched = true;
        for (const HandleEntry& entry : chunk) {
            if (entry.type && !(entry.unique & StockObject))
                ++count;
            untouched = untouched && !entry.object && !entry.type && !entry.unique;
        }
        if (untouched)
            break;
    }
    return count;
}

} // namespace test
