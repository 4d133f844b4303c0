#include "actions/shortcut_retitle.h"

#include <windows.h>
#include <shlobj.h>

#include "core/handles.h"
#include "core/module_state.h"
#include "core/product.h"
#include "core/text_value.h"

namespace {

constexpr int kTextBufferSize = 1024;

std::string LoadTableText(unsigned id) {
    char text[kTextBufferSize];
    int length = LoadStringA(module::ResourceInstance(), id, text, kTextBufferSize);
    return length > 0 ? std::string(text, length) : std::string();
}

// The desktop folder as the shell knows it; false when the shell gives none.
bool DesktopFolder(std::string& folder) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &items)) || !items) return false;
    char path[1024] = {};
    BOOL found = SHGetPathFromIDListA(items, path);
    ComPtr<IMalloc> allocator;
    if (SUCCEEDED(SHGetMalloc(allocator.put())) && allocator) allocator->Free(items);
    if (!found) return false;
    folder = path;
    return true;
}

}  // namespace

RetitlingTable BuildRetitlingTable() {
    RetitlingTable table;
    for (unsigned n = 0; n < IDS_SHORTCUT_COUNT; ++n) {
        std::string oldName = LoadTableText(IDS_SHORTCUT_OLD_FIRST + n);
        std::string newName = LoadTableText(IDS_SHORTCUT_NEW_FIRST + n);
        // Without both names there is nothing sensible to rename: a bare ".lnk" would
        // match an unrelated file or give the shortcut a nameless title.
        if (oldName.empty() || newName.empty()) continue;
        table[oldName + ".lnk"] = newName + ".lnk";  // a repeated name keeps the last pair
    }
    return table;
}

bool RetitleDesktopShortcut() {
    RetitlingTable table = BuildRetitlingTable();
    std::string desktop;
    if (!DesktopFolder(desktop)) return false;
    for (const auto& [oldName, newName] : table) {
        std::string oldPath = desktop + "\\" + oldName;
        if (!PathExists(oldPath, PathKind::FileOrFolder)) continue;
        std::string newPath = desktop + "\\" + newName;
        // A failed move (a shortcut with the new name already there) still counts as
        // found: the installation does not depend on it.
        MoveFileA(oldPath.c_str(), newPath.c_str());
        return true;
    }
    return false;
}
