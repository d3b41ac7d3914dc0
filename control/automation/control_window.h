// The control's appearance and its child window while it is active in place.
#pragma once

#include <windows.h>

namespace zelmar::automation {

// Paints the control into `bounds`: a grey field with the name "Zelmar" two
// units from its top-left corner.
void DrawControl(HDC dc, const RECT& bounds);

// A visible child window of `parent` at `position` that paints the control;
// null on failure (GetLastError tells why).
HWND CreateControlWindow(HWND parent, const RECT& position);

// For the module's unload: the class must not outlive its window procedure.
void UnregisterControlWindowClass();

}  // namespace zelmar::automation
