// The named event and the critical section, made before DllMain runs and released at unload.
#include "app/ModuleObjects.h"

#include "sys/SyncObjects.h"

namespace {

struct ModuleObjects {
    CritSec highlight;
    // Auto-reset, not signalled: one answer of the shell is ready.
    EventSimple event{L"GlimpseboxSubclassEvent", FALSE, FALSE};
};

ModuleObjects objects;

} // namespace

HANDLE GetSubclassEvent()
{
    return objects.event;
}

HighlightLock::HighlightLock()
{
    objects.highlight.Enter();
}

HighlightLock::~HighlightLock()
{
    objects.highlight.Leave();
}
