// The sample kit registered with regsvr32 in the test's prefix, and the set-up's checks
// against it: the class groups, the version check and the components' own answers.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/component_version.h"
#include "actions/kit_classes.h"
#include "win32_helpers.h"
#include "core/handles.h"

namespace {

const std::string kKitLibrary = WindowsPathOf(ORTK_KIT_LIBRARY);
const char kSampleKit[] = "Software\\VORDA\\OrvalisToolKit\\SampleKit";

std::string ClassKey(const KitClass& row) {
    wchar_t wide[40];
    StringFromGUID2(row.classId, wide, 40);
    char text[40];
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return std::string("CLSID\\") + text;
}

std::string VariantText(const VARIANT& value) {
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return "?";
    char narrow[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text.bstrVal, -1, narrow, sizeof narrow, nullptr, nullptr);
    VariantClear(&text);
    return narrow;
}

class KitComponents : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree);
        ASSERT_EQ(RunSystemProgram("regsvr32.exe", "/s \"" + kKitLibrary + "\""), 0) << kKitLibrary;
    }
    void TearDown() override {
        CoFreeUnusedLibraries();
        EXPECT_EQ(RunSystemProgram("regsvr32.exe", "/u /s \"" + kKitLibrary + "\""), 0);
        for (const KitClass& row : kKitClasses)
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey(row))) << row.name;
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kKitTree);
    }

    template <typename Interface>
    void Create(int group, int order, ComPtr<Interface>& object) {
        const KitClass* row = FindKitClass(group, order);
        ASSERT_NE(row, nullptr);
        ASSERT_EQ(CoCreateInstance(row->classId, nullptr, CLSCTX_INPROC_SERVER, row->interfaceId,
                                   object.put_void()),
                  S_OK);
    }

    ComScope com;
};

TEST_F(KitComponents, RegistrationNamesTheServerWithApartmentThreading) {
    for (const KitClass& row : kKitClasses) {
        std::string server = ClassKey(row) + "\\InprocServer32";
        auto path = GetRawValue(HKEY_CLASSES_ROOT, server, "");
        auto model = GetRawValue(HKEY_CLASSES_ROOT, server, "ThreadingModel");
        ASSERT_TRUE(path && model) << row.name;
        EXPECT_EQ(lstrcmpiA(path->text().c_str(), kKitLibrary.c_str()), 0) << path->text();
        EXPECT_EQ(model->text(), "Apartment");
    }
}

TEST_F(KitComponents, BothGroupsCanBeCreatedOnlyWhileEveryClassIsRegistered) {
    EXPECT_TRUE(CheckKitClasses(1));
    EXPECT_TRUE(CheckKitClasses(2));
    // One missing class of group 1 fails that group alone.
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(*FindKitClass(1, 5))));
    EXPECT_FALSE(CheckKitClasses(1));
    EXPECT_TRUE(CheckKitClasses(2));
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(*FindKitClass(2, 2))));
    EXPECT_FALSE(CheckKitClasses(2));
}

struct VersionCase {
    const char* answer;
    bool current;
};

TEST_F(KitComponents, ReportedVersionMustBeNewerThan4003) {
    const VersionCase cases[] = {
        {"4.0.0.3", false}, {"4.0.0.4", true}, {"4.1.0.0", true}, {"4.0.0.2", false},
        {"3.9.9.9", false}, {"10.0", true},    {"", false},
    };
    for (const VersionCase& c : cases) {
        ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "Version", c.answer));
        EXPECT_EQ(GetComponentVersion(kComponentLibrary), c.answer);
        EXPECT_EQ(IsComponentCurrent(), c.current) << "answer " << c.answer;
    }
}

TEST_F(KitComponents, NumberAnswerIsParsedAsText) {
    // The number 4 reads as the text "4", a single run that is far below 4.0.0.3.
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "Version", 4));
    EXPECT_EQ(GetComponentVersion(kComponentLibrary), "4");
    EXPECT_FALSE(IsComponentCurrent());
}

TEST_F(KitComponents, WithoutSettingTheCheckerReportsTheLibrarysFileVersion) {
    EXPECT_EQ(GetComponentVersion(kComponentLibrary), "4.1.0.0");
    EXPECT_TRUE(IsComponentCurrent());
    EXPECT_EQ(GetComponentVersion("NoSuchLibrary.dll"), "");
    // Libraries of the system folder are found there.
    EXPECT_FALSE(GetComponentVersion("kernel32.dll").empty());
}

TEST_F(KitComponents, UnregisteredCheckerAnswersNothing) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "Version", "9.0.0.0"));
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, ClassKey(*FindKitClass(2, 1))));
    EXPECT_EQ(GetComponentVersion(kComponentLibrary), "");
    EXPECT_FALSE(IsComponentCurrent());
}

TEST_F(KitComponents, StandDownAnswerFollowsTheKitSetting) {
    ComPtr<IKitState> state;
    Create(1, 2, state);
    VARIANT answer;

    VariantInit(&answer);
    EXPECT_EQ(state->QueryStandDown(&answer), S_OK);
    EXPECT_EQ(answer.vt, VT_BOOL);
    EXPECT_EQ(answer.boolVal, VARIANT_FALSE);

    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", 1));
    VariantInit(&answer);
    EXPECT_EQ(state->QueryStandDown(&answer), S_OK);
    EXPECT_EQ(answer.vt, VT_BOOL);
    EXPECT_EQ(answer.boolVal, VARIANT_TRUE);

    // A text setting is answered as text, which is not a yes.
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", "true"));
    VariantInit(&answer);
    EXPECT_EQ(state->QueryStandDown(&answer), S_OK);
    EXPECT_EQ(answer.vt, VT_BSTR);
    EXPECT_EQ(VariantText(answer), "true");
    VariantClear(&answer);

    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDown", 1));
    ASSERT_TRUE(SetRawDword(HKEY_LOCAL_MACHINE, kSampleKit, "StandDownResult", 0x80004005));
    VariantInit(&answer);
    EXPECT_EQ(state->QueryStandDown(&answer), E_FAIL);
}

TEST_F(KitComponents, CheckerCanBeCalledByNameThroughIDispatch) {
    ASSERT_TRUE(SetRawString(HKEY_LOCAL_MACHINE, kSampleKit, "Version", "4.2.0.1"));
    ComPtr<IDispatch> checker;
    Create(2, 1, checker);
    OLECHAR name[] = L"GetLibraryVersion";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    ASSERT_EQ(checker->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(L"AddinProbe2.DLL");
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(checker->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                              nullptr, nullptr),
              S_OK);
    EXPECT_EQ(VariantText(result), "4.2.0.1");
    VariantClear(&result);
    VariantClear(&argument);
    OLECHAR unknown[] = L"NoSuchMember";
    names[0] = unknown;
    EXPECT_EQ(checker->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNNAME);
}

TEST(KitNotRegistered, NothingCanBeCreatedAndTheVersionIsEmpty) {
    ComScope com;
    EXPECT_FALSE(CheckKitClasses(1));
    EXPECT_FALSE(CheckKitClasses(2));
    EXPECT_EQ(GetComponentVersion(kComponentLibrary), "");
    EXPECT_FALSE(IsComponentCurrent());
}

}  // namespace
