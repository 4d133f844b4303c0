/* Facts of the product shared by the set-up, its resource scripts, the disc checker, the
   artwork script (resources/art/make_artwork.py) and the tests. Plain #defines first:
   the resource compiler and the artwork script read them too (tools/product_facts.py). */
#pragma once

/* Strings. */
#define IDS_SETUP_TITLE 1001         /* the set-up's title, also the main window's title */
#define IDS_MANAGER_NAME 1007        /* name of the kit's manager */
#define IDS_SHORTCUT_OLD_FIRST 5000  /* installation shortcut names, 5000-5010 */
#define IDS_SHORTCUT_NEW_FIRST 5011  /* the names they get, 5011-5021 */
#define IDS_SHORTCUT_COUNT 11

/* Icon and cursor, in the program's and each language library's common resources. */
#define IDI_SETUP 222        /* the set-up's icon */
#define IDR_HAND_CURSOR 234  /* cursor shown over skinned buttons */

/* Dialog templates of the screens. */
#define IDD_LICENSE 104
#define IDD_CONFIRM_EXIT 109
#define IDD_WELCOME 112
#define IDD_SPLASH 113
#define IDD_PROGRESS 232

/* Bitmaps: the number in each skinned template's title. */
#define IDB_SPLASH 224
#define IDB_LICENSE 236
#define IDB_CONFIRM_EXIT 246
#define IDB_WELCOME 247
#define IDB_PROGRESS 250

/* Controls. IDC_PROCEED and IDCANCEL (2) are the buttons of every screen, and the
   screens' results. */
#define IDC_PROCEED 1008
#define IDC_LICENSE_TEXT 203
#define IDC_SPLASH_CLIP 238
#define IDC_PROGRESS_BAR 258
#define IDC_LICENSE_RECT 260
#define IDC_PROGRESS_RECT 262

/* Timer of the splash. */
#define SPLASH_TIMER_ID 9999

/* Sizes in pixels the artwork is drawn for and the checker holds the bitmaps to. */
#define SCREEN_LARGE_WIDTH 474   /* welcome, licence */
#define SCREEN_LARGE_HEIGHT 386
#define SCREEN_SMALL_WIDTH 389   /* stop question, progress */
#define SCREEN_SMALL_HEIGHT 283
#define SPLASH_WIDTH 450         /* the splash's still picture */
#define SPLASH_HEIGHT 340

/* Button faces and panels in client pixels: x, y, width, height. The layout texts of the
   templates are made from them (SCREEN_LAYOUT_TEXT), the artwork paints them. */
#define FACE_PROCEED 149,336,108,39
#define FACE_STOP 265,336,108,39
#define FACE_GO_BACK 106,233,108,39
#define FACE_EXIT 225,233,108,39
#define FACE_CANCEL_PROGRESS 140,222,108,39
#define PANEL_LICENSE_TEXT 75, 136, 368, 183
#define PANEL_PROGRESS_BAR 72, 149, 289, 20

#define PRODUCT_TEXT_OF(...) #__VA_ARGS__
#define PRODUCT_TEXT(...) PRODUCT_TEXT_OF(__VA_ARGS__)
/* A button's layout text: its face's rectangle, then its caption with the mnemonic. */
#define SCREEN_LAYOUT_TEXT(face, caption) "[" PRODUCT_TEXT(face) "]-" caption

#ifndef RC_INVOKED

#include <cstddef>
#include <cstdint>

/* The set-up's outcome codes: signed 32-bit, negative means failure. */
constexpr std::int32_t SETUP_E_DEFAULT = static_cast<std::int32_t>(0x806D0100u);
constexpr std::int32_t SETUP_E_NO_RIGHTS = static_cast<std::int32_t>(0x806D0101u);
constexpr std::int32_t SETUP_E_KEY_ACCESS = static_cast<std::int32_t>(0x8067060Du);
constexpr std::int32_t SETUP_E_FOLDER_ACCESS = static_cast<std::int32_t>(0x8067060Eu);
/* The codes the set-up itself reports to the error pages of the description. */
inline constexpr std::int32_t kReportedOutcomes[] = {SETUP_E_DEFAULT, SETUP_E_NO_RIGHTS};

/* Files the set-up reads or waits for on the disc, and its log. */
inline constexpr char kDescriptionFileName[] = "cd_client.qxml";
inline constexpr char kPackageCleanupName[] = "_ISDel.exe";
inline constexpr const char* kRegistryScripts[4] = {"FR.REG", "ORTK.REG", "Dev.REG", "QA.REG"};  /* in import order */
inline constexpr char kLogFileName[] = "ErrorLog.txt";  /* in the temporary folder */

/* The licence screen shows at most this many bytes of the licence file. */
inline constexpr std::size_t kLicenceLimit = 61439;

/* The screens: each template, its bitmap and the size the artwork is drawn for. The
   skinned templates name their bitmap in their title; the splash's has no background,
   its bitmap is the still picture shown when no clip plays. */
struct ScreenArt {
    unsigned templateId;
    unsigned bitmapId;
    bool skinned;
    int width, height;
};
inline constexpr ScreenArt kScreenArt[] = {
    {IDD_WELCOME, IDB_WELCOME, true, SCREEN_LARGE_WIDTH, SCREEN_LARGE_HEIGHT},
    {IDD_LICENSE, IDB_LICENSE, true, SCREEN_LARGE_WIDTH, SCREEN_LARGE_HEIGHT},
    {IDD_CONFIRM_EXIT, IDB_CONFIRM_EXIT, true, SCREEN_SMALL_WIDTH, SCREEN_SMALL_HEIGHT},
    {IDD_PROGRESS, IDB_PROGRESS, true, SCREEN_SMALL_WIDTH, SCREEN_SMALL_HEIGHT},
    {IDD_SPLASH, IDB_SPLASH, false, SPLASH_WIDTH, SPLASH_HEIGHT},
};

/* The art of a template; the splash's for any other. */
constexpr const ScreenArt& ScreenArtOf(unsigned templateId) {
    for (const ScreenArt& art : kScreenArt)
        if (art.templateId == templateId) return art;
    return kScreenArt[4];
}

#endif
