// The host's parts that read outside input: panel scripts and the handler
// entries of the registry.
#include <gtest/gtest.h>

#include <sstream>

#include "host/display_properties.h"
#include "host/panel_script.h"
#include "machine/install_product.h"
#include "machine/machine_folder.h"
#include "machine/registry/registry_store.h"
#include "tests/support/temp_machine.h"

namespace brontar::host {
namespace {

TEST(PanelScriptTest, CommandsAndTheirArguments) {
    std::vector<ScriptCommand> commands;
    std::string error;
    ASSERT_TRUE(ParsePanelScript("# comment\n\nselect 1036  800 x 600 \r\nslide 1062 -3\nclick 1030\nanswer no\n"
                                 "apply\nok\ncancel\ntab\ndump\n",
                                 &commands, &error))
        << error;
    ASSERT_EQ(commands.size(), 9u);
    EXPECT_EQ(commands[0].verb, "select");
    EXPECT_EQ(commands[0].controlId, 1036);
    EXPECT_EQ(commands[0].text, "800 x 600");  // inner blanks kept, ends trimmed
    EXPECT_EQ(commands[0].line, 3);
    EXPECT_EQ(commands[1].position, -3);  // the trackbar bounds it, not the parser
    EXPECT_EQ(commands[2].controlId, 1030);
    EXPECT_EQ(commands[3].text, "no");
    EXPECT_EQ(commands[8].verb, "dump");
}

TEST(PanelScriptTest, MalformedLinesAreRefusedWithTheirNumber) {
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"select\n", "line 1: select needs a control id"},
        {"select 1036\n", "line 1: select needs the text of an item"},
        {"select x12 a\n", "line 1: select needs a control id"},
        {"\nslide 1062 ten\n", "line 2: slide needs a position"},
        {"slide 1062 99999999999\n", "line 1: slide needs a position"},
        {"click 1030 twice\n", "line 1: click takes only a control id"},
        {"answer maybe\n", "line 1: answer takes yes, no, ok or cancel"},
        {"ok now\n", "line 1: ok takes no arguments"},
        {"screenshot\n", "line 1: unknown command 'screenshot'"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptCommand> commands;
        std::string error;
        EXPECT_FALSE(ParsePanelScript(c.script, &commands, &error)) << c.script;
        EXPECT_EQ(error, c.message) << c.script;
    }
}

TEST(DisplayHandlersTest, EntriesNeedAClassAndAServer) {
    testing::TempMachine machine;
    machine::EnsureMachineFolder();
    const std::string handlers = std::string(machine::kDisplayHandlersKey);
    auto text = [](const std::string& value) {
        std::vector<uint8_t> data(value.begin(), value.end());
        data.push_back(0);
        return data;
    };
    machine::registry::EditRegistry(machine.folder(), [&](machine::registry::RegistryTree& tree) {
        tree.CreateKey(handlers + "\\A Named").SetValue("", 1, text("{11111111-2222-3333-4444-555555555555}"));
        tree.CreateKey(handlers + "\\{66666666-7777-8888-9999-AAAAAAAAAAAA}");  // listed by its class alone
        tree.CreateKey(handlers + "\\No Server").SetValue("", 1, text("{00000000-0000-0000-0000-000000000001}"));
        tree.CreateKey("HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32")
            .SetValue("", 1, text("C:\\WINDOWS\\SYSTEM\\ONE.DLL"));
        tree.CreateKey("HKEY_CLASSES_ROOT\\CLSID\\{66666666-7777-8888-9999-AAAAAAAAAAAA}\\InprocServer32")
            .SetValue("", 1, text("C:\\WINDOWS\\SYSTEM\\TWO.DLL"));
    });
    const auto found = FindDisplayHandlers();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "A Named");
    EXPECT_EQ(found[0].serverPath, "C:\\WINDOWS\\SYSTEM\\ONE.DLL");
    EXPECT_EQ(found[1].classId, "{66666666-7777-8888-9999-AAAAAAAAAAAA}");
    EXPECT_EQ(found[1].serverPath, "C:\\WINDOWS\\SYSTEM\\TWO.DLL");
}

TEST(DisplayHandlersTest, NoEntriesNoPages) {
    testing::TempMachine machine;
    std::ostringstream err;
    const SheetOutcome outcome = ShowDisplayProperties(nullptr, err);
    EXPECT_EQ(outcome.pagesShown, 0);
    EXPECT_EQ(outcome.sheetResult, -1);
    EXPECT_NE(err.str().find("no property-sheet handler is registered"), std::string::npos);
}

}  // namespace
}  // namespace brontar::host
