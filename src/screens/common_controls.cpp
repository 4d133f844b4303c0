#include "screens/common_controls.h"

#include <commctrl.h>

#include "core/handles.h"
#include "core/product.h"

namespace {

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

struct TemplateClasses {
    int templateId;
    DWORD classes;
};

// One row for each template with a common control; a guard test reads every compiled
// template and fails when a class it uses is missing here.
const TemplateClasses kTemplateClasses[] = {
    {IDD_SPLASH, ICC_ANIMATE_CLASS},    // the clip (SysAnimate32)
    {IDD_PROGRESS, ICC_PROGRESS_CLASS}, // the bar (msctls_progress32)
};

InitCommonControlsExFunction SystemInitCommonControlsEx() {
    UniqueModule library = LoadSystemLibrary("comctl32.dll");
    if (!library) return nullptr;
    auto function = reinterpret_cast<InitCommonControlsExFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "InitCommonControlsEx")));
    if (function) library.release();  // kept: the classes it registers live in it
    return function;
}

}  // namespace

DWORD ControlClassesOfTemplate(int templateId) {
    for (const TemplateClasses& row : kTemplateClasses) {
        if (row.templateId == templateId) return row.classes;
    }
    return 0;
}

bool InitCommonControlClasses(DWORD classes) {
    static const InitCommonControlsExFunction function = SystemInitCommonControlsEx();
    if (!function) return false;
    INITCOMMONCONTROLSEX request = {sizeof request, classes};
    return function(&request) != FALSE;
}
