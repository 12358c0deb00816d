// A settings page on a throwaway machine: installed as `brontar setup`
// installs it, opened in a property sheet, driven step by step as a user
// would, then closed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "machine/installer.h"
#include "machine/machine_ini.h"
#include "machine/plain_text.h"
#include "machine/qorhlp16.h"
#include "machine/registry/registry_store.h"
#include "platform/automation.h"
#include "propsheet/page.h"
#include "propsheet/server.h"
#include "settings/settings_key.h"
#include "tests/support/temp_machine.h"

namespace brontar::testing {

// One step of the user's part: the sheet and its page.
using SheetStep = std::function<void(HWND sheet, HWND page)>;

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("BRONTAR_DISPLAY", "headless", 1);
        ::setenv("BRONTAR_INPUT", "wait 2 frames; key q", 1);
        std::ostringstream ignored;
        machine::InstallMachine(machine_.folder(), BRONTAR_BIN_DIR, ignored);
        platform::ClearMessageBoxAnswers();
        // The record outlives pages by design; each test starts a fresh module.
        std::memset(&pageState, 0, sizeof pageState);
        pageState.channelCount = GAMMA_SLIDER_COUNT;
        pageState.grxClkTextIds[0] = IDS_GRXCLK_OFF;
        pageState.grxClkTextIds[1] = IDS_GRXCLK_ON;
    }

    // Sets a key of machine.ini (replacing the line or adding it to its section).
    void SetMachineIni(const std::string& section, const std::string& key, const std::string& value) {
        const auto path = machine_.folder() / "machine.ini";
        std::istringstream lines(ReadFileText(path));
        std::string line, text, current;
        bool done = false;
        while (std::getline(lines, line)) {
            if (!line.empty() && line[0] == '[') {
                if (current == section && !done) {
                    text += key + "=" + value + "\n";
                    done = true;
                }
                current = line.substr(1, line.find(']') - 1);
            }
            if (current == section && line.rfind(key + "=", 0) == 0) {
                if (!done) text += key + "=" + value + "\n";
                done = true;
                continue;
            }
            text += line + "\n";
        }
        if (!done) text += (current == section ? "" : "[" + section + "]\n") + key + "=" + value + "\n";
        WriteFileText(path, text);
    }

    // The board answers at the class request, then counts as absent when the
    // page starts: the page as it shows without the board.
    std::function<void()> BoardGoneBeforeThePage() {
        return [this] { machine::WriteBoardRecord(machine_.folder(), false); };
    }

    void EditRegistry(const std::function<void(machine::registry::RegistryTree&)>& edit) {
        machine::registry::EditRegistry(machine_.folder(), edit);
    }

    // The monitor's class key, as the installer writes it.
    static std::string MonitorClassPath() {
        return "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Monitor\\0000";
    }

    // Replaces the monitor's maximum resolution and MODES entries.
    void SetMonitor(const std::string& maxResolution, const std::vector<std::pair<std::string, std::string>>& modes) {
        EditRegistry([&](machine::registry::RegistryTree& tree) {
            auto& classKey = tree.CreateKey(MonitorClassPath());
            classKey.DeleteSubkey("MODES");
            std::vector<uint8_t> text(maxResolution.begin(), maxResolution.end());
            text.push_back(0);
            classKey.SetValue("MaxResolution", 1, text);
            for (const auto& [name, timing] : modes) {
                std::vector<uint8_t> data(timing.begin(), timing.end());
                data.push_back(0);
                classKey.CreateSubkey("MODES").CreateSubkey(name).SetValue("Mode1", 1, data);
            }
        });
    }

    // Loads the resource module as the library's attach does.
    void AttachServer() {
        ASSERT_TRUE(DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr));
        ASSERT_NE(resourceModule, nullptr);
    }

    // Opens the page as the Display control panel does and plays the steps,
    // one each time the sheet waits for input; the sheet then closes as its
    // close button closes it, unless a step pressed OK or Cancel.
    // beforeSheet runs once the page exists and before the sheet shows it.
    INT_PTR RunPage(std::vector<SheetStep> steps, const std::function<void()>& beforeSheet = nullptr) {
        AttachServer();
        IClassFactory* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(CLSID_BrontarSettingsPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        if (factory == nullptr) return -1;
        IShellPropSheetExt* extension = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellPropSheetExt, reinterpret_cast<void**>(&extension)), S_OK);
        factory->Release();
        std::vector<HPROPSHEETPAGE> pages;
        extension->AddPages(
            [](HPROPSHEETPAGE page, LPARAM lParam) -> BOOL {
                reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&pages));
        extension->Release();
        EXPECT_EQ(pages.size(), 1u);
        if (beforeSheet) beforeSheet();
        size_t next = 0;
        platform::SetPropertySheetDriver([&](HWND sheet) {
            if (next >= steps.size()) return false;
            steps[next++](sheet, platform::ActivePropertySheetPage(sheet));
            return true;
        });
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.pszCaption = "Display Properties";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        INT_PTR result = PropertySheetA(&header);
        platform::SetPropertySheetDriver(nullptr);
        EXPECT_EQ(next, steps.size()) << "the sheet closed before every step ran";
        return result;
    }

    // The boot file, whatever the case of its name (a rewrite may change it).
    std::filesystem::path AutoexecPath() const {
        for (const auto& entry : std::filesystem::directory_iterator(machine_.driveC()))
            if (machine::EqualsIgnoreCase(entry.path().filename().string(), "autoexec.bat")) return entry.path();
        return machine_.driveC() / "AUTOEXEC.BAT";
    }

    TempMachine machine_;
};

// Steps a user takes.
inline SheetStep Select(int id, const char* text) {
    return [id, text](HWND, HWND page) { EXPECT_TRUE(platform::UserSelectComboItem(GetDlgItem(page, id), text)) << id << " " << text; };
}
inline SheetStep Slide(int id, int position) {
    return [id, position](HWND, HWND page) { EXPECT_TRUE(platform::UserSlideTrackbar(GetDlgItem(page, id), position)); };
}
inline SheetStep Click(int id) {
    return [id](HWND, HWND page) { EXPECT_TRUE(platform::UserClickButton(GetDlgItem(page, id))) << id; };
}
inline SheetStep Answer(int answer) {
    return [answer](HWND, HWND) { platform::QueueMessageBoxAnswer(answer); };
}
inline SheetStep PressSheet(int id) {
    return [id](HWND sheet, HWND) { EXPECT_TRUE(platform::UserClickButton(GetDlgItem(sheet, id))); };
}
inline SheetStep Ok() { return PressSheet(IDOK); }
inline SheetStep Cancel() { return PressSheet(IDCANCEL); }
// The sheet's Apply button is enabled once a page reports a change, as the
// Display control panel's other pages do; then it is pressed.
inline SheetStep Apply() {
    return [](HWND sheet, HWND page) {
        SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
        EXPECT_TRUE(platform::UserClickButton(GetDlgItem(sheet, platform::kApplyButtonId)));
    };
}
inline SheetStep Tab() {
    return [](HWND sheet, HWND) { platform::LeaveAndReturnToPage(sheet); };
}
// A look at the page, for checks in the middle of a run.
inline SheetStep Check(std::function<void(HWND page)> check) {
    return [check](HWND, HWND page) { check(page); };
}

inline std::vector<std::string> ComboItems(HWND page, int id) {
    platform::ControlDescription description;
    platform::DescribeControl(GetDlgItem(page, id), &description);
    return description.items;
}
inline std::string SelectedItem(HWND page, int id) {
    char text[64] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}
inline int SliderPosition(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0)); }
inline std::string ControlText(HWND page, int id) {
    char text[256] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

}  // namespace brontar::testing
