// Base of every skinned screen: a modal dialog drawn as one background bitmap (the
// number in the template's title), sized to it, with invisible buttons laid over the
// painted faces. A screen derives from SkinDialog, supplies its message table and calls
// the set-up steps below from its WM_INITDIALOG handler.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "screens/bound_window.h"
#include "screens/skin_bitmap.h"
#include "screens/skin_button.h"

class SkinDialog : public BoundWindow {
public:
    explicit SkinDialog(int templateId);
    ~SkinDialog() override;

    // The screen's message table. Map id 0: messages to the dialog; map id 1: messages
    // to a ColoredControl of the screen. Returns whether the message was handled.
    virtual bool MessageTable(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, int mapId) = 0;
    virtual LRESULT SendToItem(int id, UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PaintBackground(HDC dc);
    // Messages above 0x8000 (registered messages, and WM_APP + n from 1 on: WM_APP itself is
    // 0x8000 and does not come here); not handled by default.
    virtual bool HandleHighMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual HBRUSH DefaultControlColors(HDC dc);
    virtual void SizeToBackground(bool topmost);

    // Runs the dialog from the screen's template in the resource instance; returns the
    // value given to EndDialog, or -1 when the dialog cannot be created.
    INT_PTR ShowModal(HWND owner);
    // Creates the screen hidden and modeless, for a picture of it (no template of the
    // set-up has WS_VISIBLE), and sets forPicture, so that the screen starts nothing that
    // would outlive the picture. Null when the dialog cannot be created; DestroyWindow
    // ends it.
    HWND CreateHidden(HWND owner);
    int TemplateId() const { return templateId; }

    // Set-up steps, in the order a screen's WM_INITDIALOG calls them.
    bool LoadBackground(int bitmapId);
    bool LoadBackgroundFromTitle();
    bool SetTitleFromString(UINT id);
    void SetSmallIcon();
    void SubclassButtons(std::initializer_list<int> ids);
    bool SetButtonCursor(std::initializer_list<int> cursorIds);
    // Mode 0-3: corner of the owner; 4: centred on the owner; 5: centred on the desktop.
    void PlaceWindow(int mode, int dx, int dy);
    void PlaceControlFromStatic(int controlId, int staticId);
    HWND CreateControlFrame(int controlId);
    HWND CreateFocusSink();
    int RealizeBackgroundPalette(bool force);

    // WM_ERASEBKGND of a screen: paints the picture and reports handled (result 1). Without
    // a picture it reports not handled, so that the system erases the background as for
    // any dialog and the screen is not left showing whatever lay beneath it.
    bool EraseBackground(HDC dc, LRESULT& result);

    // Ends the modal run with the id of the pressed button.
    void EndScreen(int id);

    std::vector<std::unique_ptr<SkinButton>> buttons;
    SkinBitmap background;
    HWND focusSink = nullptr;
    bool forPicture = false;

private:
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR ForwardControlColor(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR ReportProcessed();

    int templateId;
};

// Centres a window on `reference` (none: its parent or owner); an invisible, minimised
// or missing reference means the work area. Children centre in their parent's client area.
void CentreWindow(HWND window, HWND reference);
// Centres a window in the work area, whatever its owner.
void CentreInWorkArea(HWND window);
