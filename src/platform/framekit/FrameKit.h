// FrameKit: the toolkit layer over Qt 6 Widgets. It owns the event loop and
// calls the application object back through IFrameKitRunBehavior for start,
// quit, new documents, opened files, commands with their modifiers, menu
// updates and idle time. It also answers the requests the program makes of
// a GUI library: letting pending events run, the quit under way, the
// generic alert for a failed callback and the plain start-up error box.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace NSFrameKit {

// Modifier set of a command or a gesture.
enum EModifier : uint32_t { kNoModifier = 0, kShift = 1, kAlt = 2, kCtrl = 4 };

// The application object's side of the run loop. Every callback returns a
// result code, 12000 for success.
class IFrameKitRunBehavior {
public:
    virtual ~IFrameKitRunBehavior() = default;
    virtual int32_t Start(const std::vector<std::filesystem::path>& files) = 0;
    // Closes every window (asking to save); false calls the quit off.
    virtual bool MayQuit() = 0;
    virtual int32_t Quit() = 0;
    // The loop runs while a window is open.
    virtual bool HasWindows() const = 0;
    virtual int32_t NewDocument(int32_t requestCode) = 0;
    virtual int32_t OpenFiles(const std::vector<std::filesystem::path>& files) = 0;
    virtual int32_t Command(int32_t command, uint32_t modifiers) = 0;
    virtual int32_t Idle() = 0;
};

class CFrameKit {
public:
    static constexpr int32_t kNoError = 12000;
    // How often the idle callback runs while the loop waits.
    static constexpr int kIdleIntervalMs = 40;

    // Calls Start, runs the event loop until the user has quit and the last
    // window closed, then calls Quit. A QApplication must exist.
    static int32_t Run(IFrameKitRunBehavior& behavior, const std::vector<std::filesystem::path>& files);

    // The application object that quitting asks; Run installs it too.
    static void Install(IFrameKitRunBehavior* behavior);

    // Lets pending events run once (progress windows stay responsive).
    static void ProcessEvents();

    // The user asked to quit: every window is asked to close, and the loop
    // ends when all have; a window that stays open calls the quit off.
    static void RequestQuit();
    static bool IsQuitting();
    static void AbandonQuit();

    // A callback failed with this code: shows the generic alert for it,
    // nothing for codes that mean the user has been told or stopped the work.
    static void ReportResult(int32_t code);
    // The generic alert entry (table 129) for a result code, 0 for none.
    static int32_t GenericAlertFor(int32_t code);

    // The system's plain error box for a failed start: stop icon, one OK
    // button, no owner; first line, then the second when there is one.
    static void ShowStartupFailure(const std::string& caption, const std::string& first,
                                   const std::string& second);

    // Milliseconds of a steady clock.
    static uint32_t Milliseconds();
    static void Beep();
};

} // namespace NSFrameKit
