// Progress for work that runs synchronously on the GUI thread: analysis,
// processing, loading and saving. The work reports a text, a count of what is
// left and a percentage and polls a stop flag; CZubrikLengthyOperation opens a
// modal progress window only once the work has lasted more than a second,
// keeps it current and closes it at the end. The window, the clock and the
// event loop are reached through the small interfaces below, so that the GUI,
// the command line and the tests can each supply their own.
#pragma once

#include <cstdint>
#include <string>

namespace NSZubrik {

class ILengthyOperationWindow;

// How the progress window talks back to the operation that opened it.
class ILengthyOperationListener {
public:
    virtual ~ILengthyOperationListener() = default;
    // The window is up and may now be updated.
    virtual void WindowOpened(ILengthyOperationWindow& window) = 0;
    // The user pressed the button of a window whose work may be stopped.
    virtual void StopPressed() = 0;
    // The window has gone; it must not be touched any more.
    virtual void WindowClosed() = 0;
    // Whether the window may close when asked to; always yes.
    virtual bool MayCloseWindow() = 0;
};

// The open progress window as the operation sees it.
class ILengthyOperationWindow {
public:
    virtual ~ILengthyOperationWindow() = default;
    virtual void ShowText(const std::u16string& text) = 0;
    virtual void ShowCount(int32_t count) = 0;
    // Bar position in the range 0 ... 1000.
    virtual void ShowProgress(int32_t position) = 0;
    // Begins closing; the window reports WindowClosed to its listener once it
    // is gone, possibly only while events are processed.
    virtual void RequestClose() = 0;
};

// The user-interface side of a lengthy operation: opens progress windows,
// processes pending events and beeps.
class ILengthyOperationHost {
public:
    virtual ~ILengthyOperationHost() = default;
    // Opens the modal progress window with copies of the given texts. The
    // window reports WindowOpened to the listener when it is up (during this
    // call or while events are processed). A host without windows does
    // nothing.
    virtual void OpenWindow(const std::u16string& text, const std::u16string& buttonText,
                            bool stopAllowed, ILengthyOperationListener& listener) = 0;
    // Lets the event loop handle what is pending; throws when it fails.
    virtual void ProcessEvents() = 0;
    // The system's default beep.
    virtual void Beep() = 0;
};

// System time in milliseconds; only differences are used, so it may wrap.
class IMillisecondClock {
public:
    virtual ~IMillisecondClock() = default;
    virtual uint32_t Milliseconds() = 0;
};

// Everything a lengthy operation needs from outside. Either pointer may be
// null: a null host never shows a window, a null clock reads steady time.
struct CLengthyOperationServices {
    ILengthyOperationHost* host = nullptr;
    IMillisecondClock* clock = nullptr;
};

// The services used by operations that are not handed any; the application
// (GUI or command line) installs its own at start. Returns the previous ones.
CLengthyOperationServices SetDefaultLengthyOperationServices(const CLengthyOperationServices& services);
const CLengthyOperationServices& GetDefaultLengthyOperationServices();

// An entry of the program's string list (NSStrings) as a progress text.
std::u16string ProgressText(int32_t entry);

// What the work sees of its progress: the setters and the stop flag.
class ILengthyProgress {
public:
    virtual ~ILengthyProgress() = default;
    virtual void SetText(const std::u16string& text) = 0;
    virtual void SetCount(int32_t count) = 0;
    virtual void SetPercent(int32_t percent) = 0;
    virtual bool StopRequested() const = 0;
};

// Shows the frames still to do beside the percent that a writer reports, for
// a writer that only knows its percent.
class CFramesLeftProgress final : public ILengthyProgress {
public:
    CFramesLeftProgress(ILengthyProgress& progress, int32_t frames) : fProgress(progress), fFrames(frames) {}
    void SetText(const std::u16string& text) override { fProgress.SetText(text); }
    void SetCount(int32_t count) override { fProgress.SetCount(count); }
    void SetPercent(int32_t percent) override
    {
        fProgress.SetCount(fFrames - int32_t(int64_t(fFrames) * percent / 100));
        fProgress.SetPercent(percent);
    }
    bool StopRequested() const override { return fProgress.StopRequested(); }

private:
    ILengthyProgress& fProgress;
    int32_t fFrames;
};

class CZubrikLengthyOperation final : public ILengthyOperationListener, public ILengthyProgress {
public:
    CZubrikLengthyOperation(std::u16string text, std::u16string buttonText, bool stopAllowed,
                            const CLengthyOperationServices& services = GetDefaultLengthyOperationServices());
    // Closes a window still open, without the closing text and the beep.
    ~CZubrikLengthyOperation() override;

    CZubrikLengthyOperation(const CZubrikLengthyOperation&) = delete;
    CZubrikLengthyOperation& operator=(const CZubrikLengthyOperation&) = delete;

    void SetText(const std::u16string& text) override;
    void SetCount(int32_t count) override;
    void SetPercent(int32_t percent) override;
    bool StopRequested() const override { return fStopRequested; }

    // Shows the work as complete, beeps after long work, closes the window.
    void Finish();

    bool IsWindowOpen() const { return fWindow != nullptr; }

    void WindowOpened(ILengthyOperationWindow& window) override;
    void StopPressed() override;
    void WindowClosed() override;
    bool MayCloseWindow() override { return true; }

    static constexpr uint32_t kOpenDelay = 1000;   // ms before a window shows
    static constexpr uint32_t kBeepDelay = 30000;  // ms after which the end beeps

private:
    uint32_t Elapsed() const;
    void OpenWindowWhenDue();
    void LetEventsRun();
    void CloseWindow();

    ILengthyOperationWindow* fWindow = nullptr;
    bool fStopRequested = false;
    uint32_t fStartTime = 0;
    std::u16string fText;
    std::u16string fButtonText;
    bool fStopAllowed = false;
    CLengthyOperationServices fServices;
};

} // namespace NSZubrik
