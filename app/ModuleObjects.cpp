// The named event and the critical section, made before DllMain runs and released at unload.
#include "app/ModuleObjects.h"

namespace {

class ModuleObjects {
public:
    ModuleObjects()
    {
        InitializeCriticalSection(&highlight);
        event = CreateEventW(nullptr, FALSE, FALSE, L"GlimpseboxSubclassEvent");
        existed = event && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~ModuleObjects()
    {
        if (event)
            CloseHandle(event);
        event = nullptr;
        DeleteCriticalSection(&highlight);
    }
    ModuleObjects(const ModuleObjects&) = delete;
    ModuleObjects& operator=(const ModuleObjects&) = delete;

    CRITICAL_SECTION highlight;
    HANDLE event = nullptr;
    bool existed = false;
};

ModuleObjects objects;

} // namespace

HANDLE GetSubclassEvent()
{
    return objects.event;
}

bool SubclassEventExisted()
{
    return objects.existed;
}

HighlightLock::HighlightLock()
{
    EnterCriticalSection(&objects.highlight);
}

HighlightLock::~HighlightLock()
{
    LeaveCriticalSection(&objects.highlight);
}
