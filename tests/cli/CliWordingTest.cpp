// The window's alerts as the command line words them: no alert the core can
// show tells a command-line user to choose a button, a menu item or a window
// setting.
#include <gtest/gtest.h>

#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "cli/CliAlertWording.h"

using namespace NSZubrik;
using namespace NSZubrikCli;

TEST(CliWording, NoAlertNamesTheWindowsControls) {
    const std::string_view arguments[] = {"Beat 001.wav", "8", "16"};
    int32_t mapped = 0, seen = 0;
    // Documents, exports, processing and analysis; the preferences file is
    // never read by the command line.
    for (int32_t entry = 2000; entry < 3000; ++entry) {
        NSTextPackage::CAlertText alert;
        try {
            alert = GetAlert(kAlertTable, entry, arguments);
        } catch (const std::exception&) {
            continue;
        }
        ++seen;
        const std::string message = CommandLineMessage(alert.fTitle, alert.fMessage);
        mapped += message != alert.fMessage;
        for (const char* window : {"Choose", "choose", "menu", "button", "toolbar", " settings", "in Zubrik"})
            EXPECT_EQ(message.find(window), std::string::npos) << entry << ": " << message;
    }
    EXPECT_GT(seen, 30);
    EXPECT_EQ(mapped, 6);
    // The argument goes where the window put it.
    const NSTextPackage::CAlertText replace = GetAlert(kAlertTable, NSAlerts::kReplaceSliceFile, arguments);
    const std::string message = CommandLineMessage(replace.fTitle, replace.fMessage);
    EXPECT_NE(message.find("\"Beat 001.wav\""), std::string::npos) << message;
    EXPECT_NE(message.find("--replace-all"), std::string::npos) << message;
}
