// The console's side of the interfaces through which the core talks to a
// user: alerts and questions, the loop-length question, the progress window
// of lengthy operations and the Stop button (Ctrl-C). The command line
// installs them; tests use them to drive the core the way a script would.
//
// Nothing here waits on standard input unless the caller asked for an
// interactive session: a question is answered from the policy the caller
// set (its flags), and a question the policy cannot answer is refused the
// way the user would cancel it, with a note that names the flag to give.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Alert.h"
#include "document/DocumentTypes.h"
#include "document/LengthyOperation.h"

namespace NSZubrik {

// The answers a script gives in advance.
struct SConsolePolicy {
    // Answers "Yes", "OK", "Replace" and similar questions in the affirmative.
    bool fYes = false;
    // Answers the question about replacing exported files with "Replace All".
    bool fReplaceAll = false;
    // The bar count given for the loop-length question (1 ... 999).
    std::optional<int32_t> fBars;
    // Questions may be asked on the terminal and answered on standard input.
    bool fInteractive = false;
};

// Prints every alert as its title and message on the error stream; answers
// questions from the policy. A refused question is answered with its
// cancelling button and remembered, so that the caller can report which
// flag would have answered it.
class CConsoleAlertPresenter : public IAlertPresenter {
public:
    CConsoleAlertPresenter(std::ostream& err, std::istream& in, SConsolePolicy policy = {});

    size_t Show(NSTextPackage::EAlertKind kind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override;

    void SetPolicy(const SConsolePolicy& policy) { fPolicy = policy; }
    const SConsolePolicy& GetPolicy() const { return fPolicy; }
    // The note about the last question that no flag answered; empty if none.
    const std::string& GetRefusal() const { return fRefusal; }
    void ClearRefusal() { fRefusal.clear(); }
    // Alerts shown so far (notes and questions alike).
    int32_t GetShownCount() const { return fShown; }

private:
    std::optional<size_t> AnswerFromPolicy(const std::vector<std::string>& buttons) const;
    std::optional<size_t> AskOnTerminal(const std::vector<std::string>& buttons);
    size_t Refuse(const std::vector<std::string>& buttons);

    std::ostream& fErr;
    std::istream& fIn;
    SConsolePolicy fPolicy;
    std::string fRefusal;
    int32_t fShown = 0;
};

// "Loop Length cannot be set to 0 Bars...": answered with the policy's bar
// count, on the terminal in an interactive session, or refused with a note
// that names --bars.
class CConsoleNoLengthDialog : public INoLengthSpecifiedDialog {
public:
    CConsoleNoLengthDialog(CConsoleAlertPresenter& presenter, std::ostream& err, std::istream& in);
    std::optional<int32_t> AskForBars() override;
    bool WasRefused() const { return fRefused; }

private:
    CConsoleAlertPresenter& fPresenter;
    std::ostream& fErr;
    std::istream& fIn;
    bool fRefused = false;
};

// Ctrl-C as the Stop button. The signal handler only sets a flag; the
// progress window polls it while the work reports progress. A second Ctrl-C
// while the first is still pending ends the program at once, the way a
// terminal user expects when the work does not come to a stop.
class CConsoleInterrupt {
public:
    // Installs the SIGINT handler.
    static void Install();
    static bool IsRequested();
    // Sets the flag as the handler does (tests, and a stop from elsewhere).
    static void Request();
    static void Clear();
};

// The clock of console operations: steady time that, once a stop was
// requested, jumps a little more than a progress window's delay ahead at
// every reading, so that an operation opens its window at its next report
// and the stop reaches the work at its next safe point, however young the
// work is.
class CConsoleClock : public IMillisecondClock {
public:
    uint32_t Milliseconds() override;

private:
    uint32_t fStopOffset = 0;
};

// The progress window on a console: one line on the error stream, redrawn
// in place, showing the operation's own text, the count left and a bar.
// Drawn only when the stream is a terminal and the session is not quiet;
// otherwise the window exists (so that Stop works) but shows nothing.
class CConsoleProgressHost : public ILengthyOperationHost {
public:
    CConsoleProgressHost(std::ostream& err, bool draw);
    ~CConsoleProgressHost() override;

    void OpenWindow(const std::u16string& text, const std::u16string& buttonText, bool stopAllowed,
                    ILengthyOperationListener& listener) override;
    void ProcessEvents() override;
    void Beep() override;

    // Services with this host and the console clock.
    CLengthyOperationServices GetServices();
    // Windows opened so far.
    int32_t GetOpenedCount() const { return fOpened; }

    class CWindow;

private:
    std::ostream& fErr;
    bool fDraw;
    CConsoleClock fClock;
    std::vector<std::unique_ptr<CWindow>> fWindows;
    int32_t fOpened = 0;
};

// UTF-16 text of the core as UTF-8 for the console.
std::string ConsoleText(const std::u16string& text);

} // namespace NSZubrik
