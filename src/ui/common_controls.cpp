#include "ui/common_controls.h"

#include <commctrl.h>

#include "util/system_library.h"

bool InitCommonControlClasses(DWORD classes) {
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    // The manifest's dependency on comctl32 version 6 redirects this load to
    // the side-by-side copy, so the controls are themed.
    static const auto init = SystemFunction<InitCommonControlsExFn>(L"comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX wanted{sizeof wanted, classes};
    return init && init(&wanted);
}
