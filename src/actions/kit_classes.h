// The installed kit's component classes: the fixed table of class and interface
// identifiers under which the kit registers its components, the layouts of the
// interfaces the set-up calls, and the check that a group of classes can be created.
// The kit's own server (disc/kit) is built from the same header, so both sides always
// agree on identifiers and vtable layouts.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

// One row of the kit class table.
struct KitClass {
    int group;
    int order;
    const char* name;  // display name under which the server registers the class
    const char* progId;
    CLSID classId;
    IID interfaceId;
};

// The class and interface identifier of each component.
inline constexpr CLSID kAddinLoaderClass = {0xbf34f8f3, 0xe94c, 0x4e52, {0xbd, 0x0b, 0xa6, 0xa9, 0x90, 0x73, 0x24, 0x22}};
inline constexpr IID kAddinLoaderInterface = {0x258fbcef, 0x7462, 0x4d06, {0x9f, 0xd9, 0x7f, 0x5d, 0x57, 0x18, 0x7c, 0xa6}};
inline constexpr CLSID kKitStateClass = {0xd7882d6d, 0xe270, 0x4d04, {0x91, 0xd5, 0x86, 0xea, 0x3e, 0xd3, 0xd5, 0xc2}};
inline constexpr IID kKitStateInterface = {0x93dba39e, 0xc1c7, 0x40aa, {0xab, 0x86, 0xef, 0xed, 0xa4, 0x94, 0x95, 0xe1}};
inline constexpr CLSID kContentIndexClass = {0x5b91768b, 0xe210, 0x4d37, {0x93, 0xba, 0xde, 0x08, 0x92, 0x35, 0x8d, 0xce}};
inline constexpr IID kContentIndexInterface = {0x0d845bff, 0xfe76, 0x4389, {0x8a, 0xaf, 0xb8, 0x25, 0x14, 0x85, 0xfb, 0x7a}};
inline constexpr CLSID kSettingsClass = {0xe2d94367, 0xf5b2, 0x4f9c, {0x92, 0x1f, 0x1e, 0xcf, 0x8a, 0x8f, 0x83, 0xfa}};
inline constexpr IID kSettingsInterface = {0x382801f6, 0xc1cd, 0x48c9, {0xbe, 0xe5, 0xa8, 0xec, 0xdb, 0xd6, 0x17, 0xb8}};
inline constexpr CLSID kTrayLinkClass = {0x493be8bd, 0x49b2, 0x4be6, {0xb2, 0xd9, 0x0e, 0x8c, 0x51, 0x72, 0x64, 0x8f}};
inline constexpr IID kTrayLinkInterface = {0xeec0deb6, 0xa039, 0x4250, {0x87, 0x80, 0xfa, 0x6b, 0xad, 0x0b, 0x3c, 0x6c}};
inline constexpr CLSID kVersionCheckerClass = {0x7ce1be8c, 0x4d77, 0x4a6e, {0xa3, 0xac, 0x31, 0x50, 0xab, 0xcb, 0x82, 0x65}};
inline constexpr IID kVersionCheckerInterface = {0x004179b0, 0x61e4, 0x4975, {0xbc, 0xe3, 0xa1, 0xa0, 0x1e, 0xd4, 0x38, 0x19}};
inline constexpr CLSID kProbeHostClass = {0x378fa0d7, 0xb9b0, 0x4f93, {0xb0, 0x69, 0x03, 0x9f, 0xa0, 0x58, 0xc1, 0x4b}};
inline constexpr IID kProbeHostInterface = {0x9802573f, 0xbcf0, 0x4613, {0xb5, 0x29, 0x56, 0xe8, 0x8f, 0x63, 0x3e, 0x41}};

// Group 1: the components that make up an installed kit; order 2 is the stand-down
// component. Group 2: the probe components; order 1 is the version checker.
inline constexpr KitClass kKitClasses[] = {
    {1, 1, "Orvalis Tool Kit Add-in Loader", "OrvalisToolKit.AddinLoader", kAddinLoaderClass, kAddinLoaderInterface},
    {1, 2, "Orvalis Tool Kit State", "OrvalisToolKit.KitState", kKitStateClass, kKitStateInterface},
    {1, 3, "Orvalis Tool Kit Content Index", "OrvalisToolKit.ContentIndex", kContentIndexClass, kContentIndexInterface},
    {1, 4, "Orvalis Tool Kit Settings", "OrvalisToolKit.Settings", kSettingsClass, kSettingsInterface},
    {1, 5, "Orvalis Tool Kit Tray Link", "OrvalisToolKit.TrayLink", kTrayLinkClass, kTrayLinkInterface},
    {2, 1, "Orvalis Tool Kit Version Checker", "OrvalisToolKit.VersionChecker", kVersionCheckerClass, kVersionCheckerInterface},
    {2, 2, "Orvalis Tool Kit Probe Host", "OrvalisToolKit.ProbeHost", kProbeHostClass, kProbeHostInterface},
};
inline constexpr std::size_t kKitClassCount = sizeof(kKitClasses) / sizeof(kKitClasses[0]);

// Where the kit's classes are created: in-process server and handler, local and remote
// server, wherever the kit put them (0x17).
inline constexpr DWORD kKitClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// The row of the table with that group and order, or null.
inline const KitClass* FindKitClass(int group, int order) {
    for (const KitClass& row : kKitClasses)
        if (row.group == group && row.order == order) return &row;
    return nullptr;
}

// Creates every class of the group in table order (kKitClassContext) with its row's
// interface and releases it at once; false at the first class that cannot be created.
// The caller has initialised COM.
bool CheckKitClasses(int group);

// Interface of the plain kit components (every row but the two below): a dual interface
// whose own operations follow IUnknown and IDispatch.
struct IKitComponent : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Name(VARIANT* name) = 0;            // 7
    virtual HRESULT STDMETHODCALLTYPE get_KitFolder(VARIANT* folder) = 0;     // 8
};

// Interface of the stand-down component (group 1, order 2): a kit component's, then
// these. Its eighteenth operation answers whether a set-up started now should do nothing:
// VT_BOOL, VARIANT_TRUE for yes.
struct IKitState : public IKitComponent {
    virtual HRESULT STDMETHODCALLTYPE get_Installed(VARIANT* installed) = 0;           // 9
    virtual HRESULT STDMETHODCALLTYPE get_InstalledLanguage(VARIANT* language) = 0;    // 10
    virtual HRESULT STDMETHODCALLTYPE get_BinaryRoot(VARIANT* folder) = 0;             // 11
    virtual HRESULT STDMETHODCALLTYPE get_LocalContentRoot(VARIANT* folder) = 0;       // 12
    virtual HRESULT STDMETHODCALLTYPE get_LocalXMLPath(VARIANT* folder) = 0;           // 13
    virtual HRESULT STDMETHODCALLTYPE get_UninstallDisplayName(VARIANT* name) = 0;     // 14
    virtual HRESULT STDMETHODCALLTYPE get_PluginFolderCount(VARIANT* count) = 0;       // 15
    virtual HRESULT STDMETHODCALLTYPE GetPluginFolder(VARIANT index, VARIANT* folder) = 0;  // 16
    virtual HRESULT STDMETHODCALLTYPE QueryStandDown(VARIANT* answer) = 0;             // 17
};

// Interface of the version checker (group 2, order 1): a kit component's, then these.
// The operation at vtable position 12 takes a library file name (VT_BSTR) and answers that
// library's version.
struct IKitVersionChecker : public IKitComponent {
    virtual HRESULT STDMETHODCALLTYPE LocateLibrary(VARIANT fileName, VARIANT* path) = 0;   // 9
    virtual HRESULT STDMETHODCALLTYPE LibraryExists(VARIANT fileName, VARIANT* exists) = 0; // 10
    virtual HRESULT STDMETHODCALLTYPE GetReferenceCount(VARIANT fileName, VARIANT* count) = 0;  // 11
    virtual HRESULT STDMETHODCALLTYPE GetLibraryVersion(VARIANT fileName, VARIANT* version) = 0;  // 12
};

// Where the sample kit reads what its stand-down and version answers are, so that tests
// and the demo can set them without rebuilding (below HKEY_LOCAL_MACHINE):
//   "StandDown"        DWORD: answered as VT_BOOL (non-zero: VARIANT_TRUE); a string is
//                      answered as VT_BSTR; missing: VARIANT_FALSE.
//   "StandDownResult"  DWORD: the HRESULT the stand-down operation returns (default S_OK).
//   "Version"          string: answered as VT_BSTR; DWORD: answered as VT_I4; missing: the
//                      file version of the named library, VT_EMPTY when it is not found.
inline constexpr char kSampleKitSubkey[] = "Software\\VORDA\\OrvalisToolKit\\SampleKit";
