#include "disccheck/window_picture.h"

#include <algorithm>
#include <string>

namespace {

constexpr COLORREF kButtonColor = RGB(0, 90, 255);
constexpr COLORREF kPanelColor = RGB(0, 160, 0);
constexpr COLORREF kFaultColor = RGB(255, 0, 0);
constexpr COLORREF kAreaColor = RGB(255, 200, 0);
constexpr COLORREF kBeyondColor = RGB(200, 200, 200);  // outside the screen's picture
constexpr int kMargin = 8;

void FillBox(HDC dc, const RECT& r, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
}

// A frame `thickness` pixels wide just inside r.
void Frame(HDC dc, RECT r, COLORREF color, int thickness) {
    UniqueBrush brush(CreateSolidBrush(color));
    for (int i = 0; i < thickness && r.right > r.left && r.bottom > r.top; ++i) {
        FrameRect(dc, &r, brush.get());
        InflateRect(&r, -1, -1);
    }
}

// A scroll bar's arrow button: a raised face with a small triangle (the system's own
// drawing needs the Marlett font, which a machine may lack).
void ArrowButton(HDC dc, RECT r, bool up, bool off) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    POINT tip[3] = {{cx - 3, up ? cy + 1 : cy - 1}, {cx + 3, up ? cy + 1 : cy - 1}, {cx, up ? cy - 2 : cy + 2}};
    COLORREF color = GetSysColor(off ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    UniqueBrush brush(CreateSolidBrush(color));
    UniqueResource<HPEN, GdiObjectTraits<HPEN>> pen(CreatePen(PS_SOLID, 1, color));
    SelectedObject selectedBrush(dc, brush.get());
    SelectedObject selectedPen(dc, pen.get());
    Polygon(dc, tip, 3);
}

// The non-client area drawn from the window's own state and the system's metrics: edge,
// caption with the window's title and small icon, close box, vertical scroll bar.
void DrawStandInFrame(HWND window, HDC dc, const RECT& windowRect, POINT client, const RECT& clientRect) {
    int width = windowRect.right - windowRect.left, height = windowRect.bottom - windowRect.top;
    if (client.x == 0 && client.y == 0 && clientRect.right == width && clientRect.bottom == height) return;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & WS_CHILD)) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
        DrawEdge(dc, &all, EDGE_RAISED, BF_RECT);
        if ((style & WS_CAPTION) == WS_CAPTION && client.y > client.x) {
            WINDOWINFO info = {};
            info.cbSize = sizeof info;
            GetWindowInfo(window, &info);
            bool active = info.dwWindowStatus == WS_ACTIVECAPTION;
            RECT caption = {client.x, client.x, width - client.x,
                            std::min<LONG>(client.y - 1, client.x + GetSystemMetrics(SM_CYCAPTION) - 1)};
            DrawCaption(window, dc, &caption, DC_TEXT | DC_ICON | DC_GRADIENT | (active ? DC_ACTIVE : 0));
            if (style & WS_SYSMENU) {
                RECT close = {caption.right - GetSystemMetrics(SM_CXSIZE), caption.top + 2, caption.right - 2,
                              caption.top + GetSystemMetrics(SM_CYSIZE) - 2};
                DrawFrameControl(dc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
            }
        }
    }
    SCROLLBARINFO bar = {};
    bar.cbSize = sizeof bar;
    if ((style & WS_VSCROLL) && GetScrollBarInfo(window, OBJID_VSCROLL, &bar) &&
        !(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
        RECT r = bar.rcScrollBar;
        OffsetRect(&r, -windowRect.left, -windowRect.top);
        // The colours the window's parent gives its scroll bar, as for painting it.
        HWND parent = GetParent(window);
        auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORSCROLLBAR,
                                                                    reinterpret_cast<WPARAM>(dc),
                                                                    reinterpret_cast<LPARAM>(window)))
                            : nullptr;
        FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_SCROLLBAR));
        bool off = (bar.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
        int arrow = std::min<int>(GetSystemMetrics(SM_CYVSCROLL), (r.bottom - r.top) / 2);
        RECT up = {r.left, r.top, r.right, r.top + arrow}, down = {r.left, r.bottom - arrow, r.right, r.bottom};
        ArrowButton(dc, up, true, off);
        ArrowButton(dc, down, false, off);
        if (!off && bar.xyThumbBottom > bar.xyThumbTop) {
            RECT thumb = {r.left, r.top + bar.xyThumbTop, r.right, r.top + bar.xyThumbBottom};
            DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
    }
}

// Each window paints into a bitmap of its own whose origin is its corner, as on the screen
// (controls clip to their rectangles in device coordinates), starting from what lies
// beneath it, since a skinned button paints nothing and the screen's picture shows through.
// The result goes into the canvas within `clip`, the parent's client area.
void PrintWithin(HWND window, const Canvas& canvas, POINT at, const RECT& clip) {
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    int width = windowRect.right - windowRect.left, height = windowRect.bottom - windowRect.top;
    POINT client = ClientOrigin(window);
    RECT clientRect = {};
    GetClientRect(window, &clientRect);
    Canvas own(width, height, RGB(255, 255, 255));
    Canvas inner(clientRect.right, clientRect.bottom, RGB(255, 255, 255));
    if (!own) return;
    BitBlt(own.dc(), 0, 0, width, height, canvas.dc(), at.x, at.y, SRCCOPY);
    // Frame, caption and scroll bars: what the system draws for WM_PRINT goes over the
    // stand-in (Wine draws nothing there).
    DrawStandInFrame(window, own.dc(), windowRect, client, clientRect);
    SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(own.dc()), PRF_NONCLIENT);
    if (inner) {
        // Background, then client area: the two steps of WM_PRINT's PRF_ERASEBKGND and PRF_CLIENT.
        BitBlt(inner.dc(), 0, 0, clientRect.right, clientRect.bottom, own.dc(), client.x, client.y, SRCCOPY);
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(inner.dc()), 0);
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(inner.dc()), PRF_CLIENT);
        GdiFlush();
        BitBlt(own.dc(), client.x, client.y, clientRect.right, clientRect.bottom, inner.dc(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    int saved = SaveDC(canvas.dc());
    IntersectClipRect(canvas.dc(), clip.left, clip.top, clip.right, clip.bottom);
    BitBlt(canvas.dc(), at.x, at.y, width, height, own.dc(), 0, 0, SRCCOPY);
    RestoreDC(canvas.dc(), saved);
    RECT clientArea = {at.x + client.x, at.y + client.y, at.x + client.x + clientRect.right,
                       at.y + client.y + clientRect.bottom};
    RECT childClip = {};
    if (!IntersectRect(&childClip, &clientArea, &clip)) return;
    HWND top = GetWindow(window, GW_CHILD);
    for (HWND child = top ? GetWindow(top, GW_HWNDLAST) : nullptr; child; child = GetWindow(child, GW_HWNDPREV)) {
        if (!(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r = {};
        GetWindowRect(child, &r);
        PrintWithin(child, canvas, {at.x + r.left - windowRect.left, at.y + r.top - windowRect.top}, childClip);
    }
}

// Two lines: the caption (or what the panel holds), then the key and the tab position.
std::string LabelOf(const LayoutItem& item) {
    std::string keys = item.mnemonic.empty() ? std::string() : "Alt+" + item.mnemonic;
    if (item.tabPosition) keys += (keys.empty() ? "" : "  ") + std::string("tab ") + std::to_string(item.tabPosition);
    return keys.empty() ? item.name : item.name + "\n" + keys;
}

}  // namespace

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_ || !bits) return;
    SelectObject(dc_.get(), bitmap_.get());
    bits_ = bits;
    RECT all = {0, 0, width, height};
    FillBox(dc_.get(), all, fill);
}

void PrintWindowTree(HWND window, const Canvas& canvas, POINT at) {
    RECT all = {0, 0, canvas.width(), canvas.height()};
    PrintWithin(window, canvas, at, all);
}

POINT ClientOrigin(HWND window) {
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    POINT client = {0, 0};
    ClientToScreen(window, &client);
    return {client.x - windowRect.left, client.y - windowRect.top};
}

std::unique_ptr<Canvas> PrintWindowPicture(HWND window) {
    RECT r = {};
    if (!GetWindowRect(window, &r)) return nullptr;
    auto canvas = std::make_unique<Canvas>(r.right - r.left, r.bottom - r.top, RGB(255, 255, 255));
    if (!*canvas) return nullptr;
    PrintWindowTree(window, *canvas, {0, 0});
    GdiFlush();
    return canvas;
}

std::unique_ptr<Canvas> DrawLayout(const Canvas& picture, POINT clientOrigin, const ScreenLayout& layout,
                                   POINT& origin) {
    // Everything in the picture's coordinates first, then shifted so that all is seen.
    RECT all = {0, 0, picture.width(), picture.height()};
    for (const LayoutItem& item : layout.items) {
        RECT r = {clientOrigin.x + item.box.x, clientOrigin.y + item.box.y,
                  clientOrigin.x + item.box.x + std::max(item.box.w, 1), clientOrigin.y + item.box.y + std::max(item.box.h, 1)};
        UnionRect(&all, &all, &r);
    }
    int dx = kMargin - all.left, dy = kMargin - all.top;
    auto canvas = std::make_unique<Canvas>(all.right - all.left + 2 * kMargin, all.bottom - all.top + 2 * kMargin,
                                           kBeyondColor);
    if (!*canvas) return nullptr;
    HDC dc = canvas->dc();
    BitBlt(dc, dx, dy, picture.width(), picture.height(), picture.dc(), 0, 0, SRCCOPY);
    origin = {dx + clientOrigin.x, dy + clientOrigin.y};
    // The bitmap the rectangles must lie in, dotted.
    {
        UniqueResource<HPEN, GdiObjectTraits<HPEN>> pen(CreatePen(PS_DOT, 1, kAreaColor));
        SelectedObject selectedPen(dc, pen.get());
        SelectedObject selectedBrush(dc, GetStockObject(NULL_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, origin.x - 1, origin.y - 1, origin.x + layout.width + 1, origin.y + layout.height + 1);
    }
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    for (const LayoutItem& item : layout.items) {
        COLORREF color = !item.faults.empty() ? kFaultColor : item.kind == "button" ? kButtonColor : kPanelColor;
        RECT r = {origin.x + item.box.x, origin.y + item.box.y, origin.x + item.box.x + item.box.w,
                  origin.y + item.box.y + item.box.h};
        Frame(dc, r, color, 2);
        // The label inside the rectangle, on the frame's colour, cut at the rectangle.
        std::string label = LabelOf(item);
        RECT inside = {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
        RECT needed = inside;
        DrawTextA(dc, label.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX);
        needed.right = std::min(needed.right + 4, inside.right);
        needed.bottom = std::min(needed.bottom, inside.bottom);
        if (needed.right <= needed.left || needed.bottom <= needed.top) continue;
        FillBox(dc, needed, color);
        needed.left += 2;
        DrawTextA(dc, label.c_str(), -1, &needed, DT_NOPREFIX);
    }
    GdiFlush();
    return canvas;
}
