// The background picture of a skinned screen: a bitmap from the resource instance, an
// optional palette, and its pixel size.
#pragma once

#include <windows.h>

#include "core/handles.h"

class SkinBitmap {
public:
    SkinBitmap() = default;
    virtual ~SkinBitmap() = default;
    SkinBitmap(const SkinBitmap&) = delete;
    SkinBitmap& operator=(const SkinBitmap&) = delete;

    // Drops the current picture, then loads bitmap `id` from the resource instance.
    bool Load(int id);
    void Clear();
    bool Loaded() const { return static_cast<bool>(bitmap); }

    // Draws the picture at (0, 0) of `dc`; nothing without a picture.
    void Paint(HDC dc) const;
    // Realises the palette (if any) in the window's DC and repaints when it changed or
    // when `force` is set; returns the number of changed entries.
    int RealizePalette(HWND window, bool force) const;

    UniqueBitmap bitmap;
    UniquePalette palette;  // never made by Load; every palette step is skipped without it
    LONG width = 0;
    LONG height = 0;
};
