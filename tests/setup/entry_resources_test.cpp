// The resources carried by setup.exe itself: what the set-up uses when the disc has no
// resource library.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/product.h"
#include "screens/common_controls.h"
#include "screens/dialog_template.h"

namespace {

std::string BuildPath(const char* relative) {
    char build[MAX_PATH] = {};
    GetEnvironmentVariableA("ORTK_BUILD_DIR", build, sizeof build);
    return std::string(build) + "\\" + relative;
}

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        program = LoadLibraryExA(BuildPath("src\\setup\\setup.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, program);
    }
    void TearDown() override {
        if (program) FreeLibrary(program);
    }

    std::string String(unsigned id) {
        char buffer[1024] = {};
        int length = LoadStringA(program, id, buffer, sizeof buffer);
        return std::string(buffer, length > 0 ? length : 0);
    }

    std::string Manifest() {
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        if (!found) return std::string();
        HGLOBAL data = LoadResource(program, found);
        return std::string(static_cast<const char*>(LockResource(data)),
                           SizeofResource(program, found));
    }

    HMODULE program = nullptr;
};

struct StringCase {
    unsigned id;
    const char* bytes;
};

// The East Asian names are the bytes of their own code pages (936, 950, 932, 949); the
// set-up looks for desktop files with exactly these byte strings.
const StringCase kStrings[] = {
    {1001, "Vorda Orvalis Tool Kit Installation"},
    {1007, "Vorda Orvalis Tool Kit Manager"},
    {5000, "Install Vorda Orvalis Tool Kit"},
    {5001, "Install Vorda Orvalis Tool Kit"},
    {5002, "\xc7\xeb\xb0\xb2\xd7\xb0 Vorda Orvalis \xb9\xa4\xbe\xdf\xb0\xfc"},
    {5003, "\xa1\xa7\xbd\xd0\xa6w\xb8\xcb Vorda Orvalis Tool Kit\xa1\xa8"},
    {5004, "Installez le kit d'outils Vorda Orvalis"},
    {5005, "Installieren Sie das Vorda Orvalis Tool Kit"},
    {5006, "Installazione del Tool Kit di Vorda Orvalis"},
    {5007, "\x83\x94\x83H\x83\x8b\x83_ Orvalis \x83""c\x81[\x83\x8b \x83L\x83""b\x83g\x82\xcc"
           "\x83""C\x83\x93\x83X\x83g\x81[\x83\x8b"},
    {5008, "Vorda Orvalis Tool Kit \xbc\xb3\xc4\xa1"},
    {5009, "Instalar o Kit de ferramentas Vorda Orvalis"},
    {5010, "Instale Vorda Orvalis Tool Kit"},
    {5011, "Vorda Orvalis Tool Kit"},
    {5012, "Vorda Orvalis Tool Kit"},
    {5013, "Vorda Orvalis \xb9\xa4\xbe\xdf\xb0\xfc\xa1\xb1"},
    {5014, "Vorda Orvalis Tool Kit\xa1\xa8"},
    {5015, "Le kit d'outils Vorda Orvalis"},
    {5016, "Vorda Orvalis Tool Kit"},
    {5017, "Del Tool Kit di Vorda Orvalis"},
    {5018, "Orvalis \x83""c\x81[\x83\x8b \x83L\x83""b\x83g\x82\xcc\x83""C\x83\x93\x83X\x83g"
           "\x81[\x83\x8b"},
    {5019, "Vorda Orvalis Tool Kit"},
    {5020, "Kit de ferramentas Vorda Orvalis"},
    {5021, "Vorda Orvalis Tool Kit"},
};

TEST_F(ProgramResources, StringTableGivesBackTheExactBytes) {
    ASSERT_EQ(1252u, GetACP());
    for (const StringCase& c : kStrings) {
        EXPECT_EQ(std::string(c.bytes), String(c.id)) << "string " << c.id;
    }
}

TEST_F(ProgramResources, IconAndHandCursorLoad) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(program, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap = {};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageA(program, MAKEINTRESOURCEA(IDR_HAND_CURSOR), IMAGE_CURSOR, 0, 0,
                   LR_DEFAULTSIZE));
    ASSERT_NE(nullptr, cursor);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    // The hot spot is the tip of the pointing finger, near the top.
    EXPECT_LT(info.yHotspot, 4u);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyCursor(cursor);
}

TEST_F(ProgramResources, CarriesTheEnglishScreens) {
    // Templates and backgrounds of every screen, for a disc without a resource library.
    const int templates[] = {104, 109, 112, 113, 232};
    for (int id : templates)
        EXPECT_NE(nullptr, FindResourceA(program, MAKEINTRESOURCEA(id), RT_DIALOG)) << id;
    const int bitmaps[] = {224, 236, 246, 247, 250};
    for (int id : bitmaps)
        EXPECT_NE(nullptr, FindResourceA(program, MAKEINTRESOURCEA(id), RT_BITMAP)) << id;
}

// The pixels of a bitmap as 32-bit colours, top row first, read back from the system.
std::vector<DWORD> Pixels(HBITMAP bitmap, int& width, int& height) {
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {};
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) pixels.clear();
    return pixels;
}

// Every background is carried run-length encoded, and the system's own loader turns it
// into exactly the pixels of the same picture stored uncompressed (drawn with it at build
// time), in the program and in each language library.
TEST(CarriedBitmaps, LoadAsTheirUncompressedPictures) {
    const struct {
        const char* module;
        const char* art;
    } modules[] = {
        {"src\\setup\\setup.exe", "en"},
        {"lang\\ortk_en.dll", "en"},
        {"lang\\ortk_fr.dll", "fr"},
    };
    const struct {
        int id;
        const char* file;
    } pictures[] = {
        {224, "splash.bmp"}, {236, "license.bmp"}, {246, "confirm_exit.bmp"},
        {247, "welcome.bmp"}, {250, "progress.bmp"},
    };
    for (const auto& m : modules) {
        HMODULE module = LoadLibraryExA(BuildPath(m.module).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << m.module;
        for (const auto& p : pictures) {
            SCOPED_TRACE(testing::Message() << m.module << " bitmap " << p.id);
            HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(p.id), RT_BITMAP);
            ASSERT_NE(nullptr, found);
            auto header = static_cast<const BITMAPINFOHEADER*>(
                LockResource(LoadResource(module, found)));
            EXPECT_EQ(static_cast<DWORD>(BI_RLE8), header->biCompression);
            // Windows reads a compressed bitmap only as far as biSizeImage says.
            DWORD colours = header->biClrUsed ? header->biClrUsed : 256;
            EXPECT_EQ(header->biSize + colours * sizeof(RGBQUAD) + header->biSizeImage,
                      SizeofResource(module, found));

            std::string file = BuildPath("resources\\screens\\") + m.art +
                               "\\uncompressed\\" + p.file;
            HBITMAP carried = static_cast<HBITMAP>(
                LoadImageA(module, MAKEINTRESOURCEA(p.id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
            HBITMAP plain = static_cast<HBITMAP>(
                LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
            int width = 0, height = 0, plainWidth = -1, plainHeight = -1;
            std::vector<DWORD> a = Pixels(carried, width, height);
            std::vector<DWORD> b = Pixels(plain, plainWidth, plainHeight);
            EXPECT_EQ(plainWidth, width);
            EXPECT_EQ(plainHeight, height);
            EXPECT_FALSE(a.empty());
            EXPECT_TRUE(a == b) << "decoded pixels differ from " << file;
            if (carried) DeleteObject(carried);
            if (plain) DeleteObject(plain);
        }
        FreeLibrary(module);
    }
}

TEST_F(ProgramResources, ManifestAsksForHighestRightsWithoutVisualStyles) {
    std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("level=\"highestAvailable\""));
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls"));
}

TEST_F(ProgramResources, CarriesAVersionResource) {
    HRSRC version = FindResourceA(program, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    ASSERT_NE(nullptr, version);
    std::string data(static_cast<const char*>(LockResource(LoadResource(program, version))),
                     SizeofResource(program, version));
    // Version texts are wide; look for the original file name among them.
    std::wstring name = L"setup.exe";
    std::string wide(reinterpret_cast<const char*>(name.c_str()), name.size() * 2);
    EXPECT_NE(std::string::npos, data.find(wide));
}



// The common-control classes a template may name and the flag that registers each. The
// system's predefined classes need none; any other class fails the guard below until it
// is added here.
struct ClassFlag {
    const char* name;
    DWORD flag;
};
const ClassFlag kCommonControlClasses[] = {
    {PROGRESS_CLASSA, ICC_PROGRESS_CLASS},     {ANIMATE_CLASSA, ICC_ANIMATE_CLASS},
    {WC_LISTVIEWA, ICC_LISTVIEW_CLASSES},      {WC_TREEVIEWA, ICC_TREEVIEW_CLASSES},
    {WC_TABCONTROLA, ICC_TAB_CLASSES},         {TRACKBAR_CLASSA, ICC_BAR_CLASSES},
    {STATUSCLASSNAMEA, ICC_BAR_CLASSES},       {TOOLBARCLASSNAMEA, ICC_BAR_CLASSES},
    {TOOLTIPS_CLASSA, ICC_BAR_CLASSES},        {UPDOWN_CLASSA, ICC_UPDOWN_CLASS},
    {HOTKEY_CLASSA, ICC_HOTKEY_CLASS},         {DATETIMEPICK_CLASSA, ICC_DATE_CLASSES},
    {MONTHCAL_CLASSA, ICC_DATE_CLASSES},       {WC_IPADDRESSA, ICC_INTERNET_CLASSES},
    {WC_COMBOBOXEXA, ICC_USEREX_CLASSES},      {REBARCLASSNAMEA, ICC_COOL_CLASSES},
    {WC_PAGESCROLLERA, ICC_PAGESCROLLER_CLASS}, {"SysLink", ICC_LINK_CLASS},
};
const char* const kPredefinedClasses[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar",
                                          "ComboBox"};

struct CompiledTemplate {
    int id;  // -1 for a template named by text
    std::vector<unsigned char> bytes;
};

BOOL CALLBACK CollectTemplate(HMODULE module, LPCSTR, LPSTR name, LONG_PTR list) {
    HRSRC found = FindResourceA(module, name, RT_DIALOG);
    const auto* data = found ? static_cast<const unsigned char*>(
                                   LockResource(LoadResource(module, found)))
                             : nullptr;
    if (data) {
        reinterpret_cast<std::vector<CompiledTemplate>*>(list)->push_back(
            {IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<UINT_PTR>(name)) : -1,
             std::vector<unsigned char>(data, data + SizeofResource(module, found))});
    }
    return TRUE;
}

// The flag a control's class needs: 0 for a predefined class, ~0 for an unknown one.
DWORD FlagOfClass(const std::string& name) {
    for (const char* predefined : kPredefinedClasses)
        if (lstrcmpiA(predefined, name.c_str()) == 0) return 0;
    for (const ClassFlag& known : kCommonControlClasses)
        if (lstrcmpiA(known.name, name.c_str()) == 0) return known.flag;
    return ~0u;
}

// Windows registers a common-control class only for a program that asks for its flag
// (Wine registers them all, so no screen test here can notice a missing one): every
// template of the program and of each language library is read, and the flags the
// screens ask for before creating it must cover each class it names.
TEST(ControlClasses, EveryTemplateAsksForTheClassesItUses) {
    std::vector<std::string> modules = {BuildPath("src\\setup\\setup.exe")};
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(BuildPath("lang\\ortk_*.dll").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do modules.push_back(BuildPath("lang\\") + found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    ASSERT_GE(modules.size(), 3u) << "the program and at least two language libraries";
    DWORD used = 0;
    for (const std::string& path : modules) {
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << path;
        std::vector<CompiledTemplate> templates;
        EnumResourceNamesA(module, RT_DIALOG, &CollectTemplate,
                           reinterpret_cast<LONG_PTR>(&templates));
        EXPECT_FALSE(templates.empty()) << path;
        for (const CompiledTemplate& t : templates) {
            DialogTemplate dialog;
            std::string error;
            ASSERT_TRUE(ParseDialogTemplate(t.bytes.data(), t.bytes.size(), dialog, &error))
                << path << " template " << t.id << ": " << error;
            for (const DialogControl& control : dialog.controls) {
                std::string name = control.ClassName();
                DWORD flag = FlagOfClass(name);
                EXPECT_NE(flag, ~0u) << path << " template " << t.id << ": unknown class " << name;
                if (flag == ~0u) continue;
                EXPECT_EQ(ControlClassesOfTemplate(t.id) & flag, flag)
                    << path << " template " << t.id << " never asks for " << name;
                used |= flag;
            }
        }
        FreeLibrary(module);
    }
    EXPECT_EQ(used, static_cast<DWORD>(ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS))
        << "the progress bar and the splash clip were not both seen";
    // And the system's library grants them.
    EXPECT_TRUE(InitCommonControlClasses(used));
    char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("comctl32.dll"), loaded, sizeof loaded);
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(lstrcmpiA(loaded, (std::string(system) + "\\comctl32.dll").c_str()), 0) << loaded;
}

}  // namespace
