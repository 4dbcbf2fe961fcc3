// The window's alerts in the command line's words: where an alert tells the
// user to choose a button, a menu item or a window setting, the command line
// names the flag or subcommand that does the same. The window's own texts
// stay as they are; an alert is recognised by comparing it with its entry in
// the alert table.
#pragma once

#include "app/ConsoleAlerts.h"

namespace NSZubrikCli {

class CCliAlertPresenter : public NSZubrik::CConsoleAlertPresenter {
public:
    using CConsoleAlertPresenter::CConsoleAlertPresenter;

    size_t Show(NSTextPackage::EAlertKind kind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override;
};

// The command line's message for an alert with this title and message, or
// the message unchanged when the command line words it as the window does.
std::string CommandLineMessage(const std::string& title, const std::string& message);

} // namespace NSZubrikCli
