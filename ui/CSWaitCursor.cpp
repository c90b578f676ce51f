// CSWaitCursor: sets the system wait cursor and puts the previous one back.
#include "ui/CSWaitCursor.h"

CSWaitCursor::CSWaitCursor() : previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}

CSWaitCursor::~CSWaitCursor()
{
    SetCursor(previous);
}
