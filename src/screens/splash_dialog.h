// The splash: the first window of the set-up. Plays the clip that the setup description
// names (the language's, else the root element's) once, or shows the still product
// picture, and closes itself after six seconds.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "screens/bound_window.h"
#include "screens/skin_bitmap.h"

class SetupDescription;
class XmlNode;

class SplashDialog : public BoundWindow {
public:
    explicit SplashDialog(const SetupDescription& description);
    SplashDialog(XmlNode* rootNode, XmlNode* selectedNode);
    ~SplashDialog() override;

    virtual bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result);

    // 0 when the timer ended it, 2 on Escape, -1 when the dialog could not be made.
    INT_PTR ShowModal(HWND owner);
    // Hidden and modeless, for a picture of the splash (forPicture: no foreground change).
    // Null when the dialog cannot be created; DestroyWindow ends it.
    HWND CreateHidden(HWND owner);
    // Opens the language element's clip, else the root element's; returns clipOpen.
    bool OpenClip();

    static constexpr UINT kDisplayMilliseconds = 6000;

    XmlNode* rootNode;      // not owned
    XmlNode* selectedNode;  // not owned
    bool clipOpen = false;
    // Where a clip's name is looked for; unset: the program's folder.
    std::optional<std::string> clipFolder;
    bool forPicture = false;
    SkinBitmap stillPicture;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OpenClipOf(const XmlNode* element);
    LRESULT OnInitDialog();
    void FitToClip();
    void ShowStillPicture();
    bool OnEraseBackground(HDC dc);
    void OnTimer(UINT_PTR id);
    void OnCommand(int id);
    void OnPaletteMessage(bool force);
    void OnDestroy();
};
