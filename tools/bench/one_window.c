/* The least a Windows program does to show a window: the yardstick of start-up time and
 * memory for tools/bench. With the argument "idle" it shows nothing and only waits, as the
 * bench's idle processes do. */
#include <windows.h>

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)previous;
    if (lstrcmpiA(commandLine, "idle") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "OneWindow";
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowA("OneWindow", "One window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 400, 300, NULL, NULL, instance, NULL);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
