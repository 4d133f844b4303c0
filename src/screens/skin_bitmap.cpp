#include "screens/skin_bitmap.h"

#include "core/module_state.h"

void SkinBitmap::Clear() {
    bitmap.reset();
    palette.reset();
    width = 0;
    height = 0;
}

bool SkinBitmap::Load(int id) {
    Clear();
    HANDLE image = LoadImageA(module::ResourceInstance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP,
                              0, 0, LR_DEFAULTCOLOR);
    if (!image) return false;
    bitmap.reset(static_cast<HBITMAP>(image));
    BITMAP info = {};
    if (GetObjectA(bitmap.get(), sizeof info, &info)) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
    return true;
}

void SkinBitmap::Paint(HDC dc) const {
    if (!bitmap || !dc) return;
    int oldMapMode = SetMapMode(dc, MM_TEXT);
    HPALETTE oldPalette = nullptr;
    if (palette) {
        oldPalette = SelectPalette(dc, palette.get(), TRUE);
        ::RealizePalette(dc);
    }
    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (memory) {
        SelectedObject selected(memory.get(), bitmap.get());
        BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    }
    if (oldMapMode) SetMapMode(dc, oldMapMode);
    if (oldPalette) SelectPalette(dc, oldPalette, TRUE);
}

int SkinBitmap::RealizePalette(HWND window, bool force) const {
    UINT changed = 0;
    {
        WindowDc dc(window);
        if (dc.get() && palette) {
            HPALETTE old = SelectPalette(dc.get(), palette.get(), force ? TRUE : FALSE);
            changed = ::RealizePalette(dc.get());
            if (old) SelectPalette(dc.get(), old, TRUE);
        }
    }
    if (changed != 0 && changed != GDI_ERROR) {
        InvalidateRect(window, nullptr, TRUE);
        return static_cast<int>(changed);
    }
    if (force) InvalidateRect(window, nullptr, TRUE);
    return 0;
}
