// Orvenna.exe: the logo manager's one window.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                               ICC_BAR_CLASSES |
                                                               ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    if (FAILED(OleInitialize(nullptr))) return 1;
    int code = 1;
    {
        orvenna::MainWindow window(instance);
        code = window.Run();
    }
    OleUninitialize();
    return code;
}
