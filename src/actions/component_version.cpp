#include "actions/component_version.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <vector>

#include "actions/kit_classes.h"
#include "core/handles.h"
#include "core/text_value.h"

const char kComponentLibrary[] = "AddinProbe2.DLL";
const char kMinimumComponentVersion[] = "4.0.0.3";

namespace {

// The text in UTF-16, without its terminating NUL. A vector rather than std::wstring,
// which would bring the run-time's whole wide-string code (about 35 KB) into setup.exe.
std::vector<wchar_t> AnsiToWide(const char* text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::vector<wchar_t> wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

// The answer as ANSI text: copied, converted to a BSTR, then to the ANSI code page. Any
// step that fails leaves the text empty.
std::string AnswerText(VARIANT& answer) {
    ScopedVariant copy;
    if (FAILED(VariantCopy(&copy.value, &answer))) return {};
    ScopedVariant text;
    if (FAILED(VariantChangeType(&text.value, &copy.value, 0, VT_BSTR)) || text.value.vt != VT_BSTR)
        return {};
    TextValue result;
    AssignWideText(result, text.value.bstrVal ? text.value.bstrVal : L"");
    return result.str();
}

}  // namespace

std::string GetComponentVersion(const char* libraryFileName) {
    ComScope com;  // nested within the set-up's own initialisation
    const KitClass* checker = FindKitClass(2, 1);
    if (!checker) return {};
    ComPtr<IKitVersionChecker> component;
    if (FAILED(CoCreateInstance(checker->classId, nullptr, kKitClassContext, checker->interfaceId,
                                component.put_void())) || !component)
        return {};

    ScopedVariant fileName;
    std::vector<wchar_t> wide = AnsiToWide(libraryFileName ? libraryFileName : "");
    fileName.value.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!fileName.value.bstrVal) return {};
    fileName.value.vt = VT_BSTR;
    ScopedVariant answer;
    // The call's own result is not examined: the answer decides.
    component->GetLibraryVersion(fileName.value, &answer.value);
    return AnswerText(answer.value);
}

bool IsComponentCurrent() {
    std::uint64_t reported = ParseVersionNumber(GetComponentVersion(kComponentLibrary).c_str());
    std::uint64_t minimum = ParseVersionNumber(kMinimumComponentVersion);
    return reported > minimum;
}
