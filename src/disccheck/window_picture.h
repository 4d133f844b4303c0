// Pictures of windows that are never shown (win32 build): a window and its children
// printed into a bitmap as each paints itself on the screen (its frame through WM_PRINT,
// its background and client area through WM_ERASEBKGND and WM_PRINTCLIENT, the steps of
// WM_PRINT), and the layout of a screen drawn over such a picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "core/handles.h"
#include "disccheck/screen_layout.h"

// A 32-bit top-down DIB section in a memory DC: pixels B, G, R, unused.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    explicit operator bool() const { return bits_ != nullptr; }
    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::uint32_t* pixels() const { return static_cast<const std::uint32_t*>(bits_); }

private:
    int width_, height_;
    void* bits_ = nullptr;
    UniqueBitmap bitmap_;  // goes after the DC it is selected into
    UniqueMemoryDc dc_;
};

// Prints `window` (frame, background, client area) and, from the bottom of the z-order up,
// each child whose style is visible, clipped to its parent's client area, with the
// window's top-left corner at `at` of the canvas. Where the system draws no frame for
// WM_PRINT (Wine), edge, caption and scroll bar are drawn from the window's own state.
void PrintWindowTree(HWND window, const Canvas& canvas, POINT at);

// A picture of the window alone: its window rectangle's size.
std::unique_ptr<Canvas> PrintWindowPicture(HWND window);

// Where the client area's (0, 0) lies in the window's picture.
POINT ClientOrigin(HWND window);

// The picture with the layout drawn over it, enlarged so that a rectangle outside the
// picture shows too; `origin` receives where the layout's (0, 0) lies in the result.
std::unique_ptr<Canvas> DrawLayout(const Canvas& picture, POINT clientOrigin, const ScreenLayout& layout,
                                   POINT& origin);
