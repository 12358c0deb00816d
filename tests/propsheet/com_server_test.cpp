// The in-process server: the library entry, the class object, the extension
// object with its two faces, and the counts that decide unloading.
#include "tests/propsheet/page_harness.h"

#include "machine/hgi1init_calls.h"

namespace brontar::testing {
namespace {

class ComServerTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        serverObjectCount = 0;
        AttachServer();
    }
    IClassFactory* ClassObject() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(CLSID_BrontarSettingsPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }
};

TEST_F(ComServerTest, OtherClassesAreRefusedBeforeTheBoardIsAsked) {
    GUID other = CLSID_BrontarSettingsPage;
    other.Data4[7] ^= 1;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(other, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    // Nothing recorded yet, so asking the board would have probed it.
    EXPECT_TRUE(machine::ReadHgi1InitCalls(machine_.folder()).empty());
    EXPECT_EQ(serverObjectCount, 0);
}

TEST_F(ComServerTest, AbsentBoardOffersNoClass) {
    machine::WriteBoardRecord(machine_.folder(), false);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(CLSID_BrontarSettingsPage, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(serverObjectCount, 0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, UnsupportedInterfaceLeavesNothingAlive) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(CLSID_BrontarSettingsPage, IID_IShellExtInit, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(serverObjectCount, 0);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, ClassObjectCountsAndRefusesAggregation) {
    IClassFactory* factory = ClassObject();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(serverObjectCount, 1);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(factory));
    EXPECT_EQ(factory->AddRef(), 3u);
    EXPECT_EQ(factory->Release(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(unknown, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IShellExtInit, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
    EXPECT_EQ(serverObjectCount, 1);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(serverObjectCount, 0);
}

TEST_F(ComServerTest, ExtensionFacesShareOneCount) {
    IClassFactory* factory = ClassObject();
    IShellExtInit* init = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    EXPECT_EQ(serverObjectCount, 2);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    IShellPropSheetExt* primary = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&primary)), S_OK);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(primary));  // IUnknown is the primary face
    EXPECT_NE(static_cast<void*>(primary), static_cast<void*>(init));
    EXPECT_EQ(unknown->Release(), 2u);
    // One release through either face: 2 -> 1.
    EXPECT_EQ(primary->Release(), 1u);
    EXPECT_EQ(primary->ReplacePage(0, nullptr, 0), E_FAIL);
    EXPECT_EQ(init->Release(), 0u);
    factory->Release();
    EXPECT_EQ(serverObjectCount, 0);
}

// The page counts on the server from its creation until the sheet destroys it.
TEST_F(ComServerTest, LibraryStaysWhileThePageLives) {
    IClassFactory* factory = ClassObject();
    IShellPropSheetExt* extension = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellPropSheetExt, reinterpret_cast<void**>(&extension)), S_OK);
    std::vector<HPROPSHEETPAGE> pages;
    EXPECT_EQ(extension->AddPages(
                  [](HPROPSHEETPAGE page, LPARAM lParam) -> BOOL {
                      reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
                      return TRUE;
                  },
                  reinterpret_cast<LPARAM>(&pages)),
              S_OK);
    ASSERT_EQ(pages.size(), 1u);
    extension->Release();
    factory->Release();
    EXPECT_EQ(serverObjectCount, 1);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_TRUE(DestroyPropertySheetPage(pages[0]));
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, RefusedPageIsDestroyedAgain) {
    IClassFactory* factory = ClassObject();
    IShellPropSheetExt* extension = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellPropSheetExt, reinterpret_cast<void**>(&extension)), S_OK);
    factory->Release();
    EXPECT_EQ(extension->AddPages([](HPROPSHEETPAGE, LPARAM) -> BOOL { return FALSE; }, 0), S_OK);
    EXPECT_EQ(serverObjectCount, 1);  // the extension only: the page is gone
    EXPECT_EQ(extension->AddPages(nullptr, 0), S_OK);
    extension->Release();
    EXPECT_EQ(serverObjectCount, 0);
}

TEST_F(ComServerTest, MissingResourceModuleRefusesTheLoad) {
    std::filesystem::remove(machine_.driveC() / "WINDOWS" / "SYSTEM" / "_brntrst.loc");
    const auto log = machine_.scratch() / "events.log";
    ::setenv("BRONTAR_LOG", log.c_str(), 1);
    ::setenv("LANG", "en_US", 1);
    HINSTANCE saved = resourceModule;
    EXPECT_FALSE(DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr));
    resourceModule = saved;
    ::unsetenv("BRONTAR_LOG");
    EXPECT_EQ(ReadFileText(log), "MessageBox [Brontar 3D Error] _brntrst.loc file missing\n");
    EXPECT_TRUE(DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_DETACH, nullptr));
}

}  // namespace
}  // namespace brontar::testing
