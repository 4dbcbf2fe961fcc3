#include "tambor/FileNameText.h"
#include "app/ConsoleAlerts.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <istream>
#include <ostream>

#include "app/ZubrikErrors.h"

namespace NSZubrik {

namespace {

volatile std::sig_atomic_t gInterruptRequested = 0;

extern "C" void HandleInterrupt(int)
{
    if (gInterruptRequested != 0) {
        // The first request is still pending: the user insists.
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    gInterruptRequested = 1;
    std::signal(SIGINT, HandleInterrupt);
}

bool IsOneOf(const std::string& label, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return label == name; });
}

std::optional<size_t> FindButton(const std::vector<std::string>& buttons,
                                 std::initializer_list<const char*> names)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (IsOneOf(buttons[i], names))
            return i;
    return std::nullopt;
}

bool IsCancelling(const std::string& label)
{
    return IsOneOf(label, {"Cancel", "No", "Don't Save", "Stop"});
}

// Alert texts break lines with "\r"; a console wants "\n".
std::string ConsoleLines(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

} // namespace

std::string ConsoleText(const std::u16string& text)
{
    return NSTambor::DisplayText(text);
}

// ------------------------------------------------------------------ alerts

CConsoleAlertPresenter::CConsoleAlertPresenter(std::ostream& err, std::istream& in, SConsolePolicy policy)
    : fErr(err), fIn(in), fPolicy(std::move(policy))
{
}

size_t CConsoleAlertPresenter::Show(NSTextPackage::EAlertKind, const std::string& title,
                                    const std::string& message, const std::vector<std::string>& buttons)
{
    ++fShown;
    if (!title.empty())
        fErr << ConsoleLines(title) << '\n';
    if (!message.empty())
        fErr << ConsoleLines(message) << '\n';
    fErr.flush();
    // One button (or none) is a message, not a question.
    if (buttons.size() <= 1)
        return 0;
    if (std::optional<size_t> answer = AnswerFromPolicy(buttons))
        return *answer;
    if (fPolicy.fInteractive)
        if (std::optional<size_t> answer = AskOnTerminal(buttons))
            return *answer;
    return Refuse(buttons);
}

std::optional<size_t> CConsoleAlertPresenter::AnswerFromPolicy(const std::vector<std::string>& buttons) const
{
    const std::optional<size_t> replaceAll = FindButton(buttons, {"Replace All"});
    if (replaceAll && fPolicy.fReplaceAll)
        return replaceAll;
    if (!fPolicy.fYes)
        return std::nullopt;
    if (std::optional<size_t> yes = FindButton(buttons, {"Yes", "OK", "Replace", "Continue", "Save"}))
        return yes;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (!IsCancelling(buttons[i]))
            return i;
    return std::nullopt;
}

std::optional<size_t> CConsoleAlertPresenter::AskOnTerminal(const std::vector<std::string>& buttons)
{
    for (;;) {
        for (size_t i = 0; i < buttons.size(); ++i)
            fErr << "  " << (i + 1) << ") " << buttons[i] << '\n';
        fErr << "Answer (1-" << buttons.size() << "): " << std::flush;
        std::string line;
        if (!std::getline(fIn, line))
            return std::nullopt;
        const size_t choice = line.size() == 1 && line[0] >= '1' && line[0] <= '9' ? size_t(line[0] - '1') : 99;
        if (choice < buttons.size())
            return choice;
    }
}

size_t CConsoleAlertPresenter::Refuse(const std::vector<std::string>& buttons)
{
    const bool replaceQuestion = FindButton(buttons, {"Replace All"}).has_value();
    fRefusal = replaceQuestion ? "this question needs an answer: give --replace-all (or --yes to replace)"
                               : "this question needs an answer: give --yes to go on";
    fErr << "zubrik-cli: " << fRefusal << '\n' << std::flush;
    if (std::optional<size_t> cancel = FindButton(buttons, {"Cancel"}))
        return *cancel;
    if (std::optional<size_t> no = FindButton(buttons, {"No", "Don't Save"}))
        return *no;
    return buttons.size() - 1;
}

// ------------------------------------------------------------------ loop length

CConsoleNoLengthDialog::CConsoleNoLengthDialog(CConsoleAlertPresenter& presenter, std::ostream& err,
                                               std::istream& in)
    : fPresenter(presenter), fErr(err), fIn(in)
{
}

std::optional<int32_t> CConsoleNoLengthDialog::AskForBars()
{
    const SConsolePolicy& policy = fPresenter.GetPolicy();
    if (policy.fBars && CNoLengthSpecifiedField::MayConfirm(*policy.fBars))
        return std::min(*policy.fBars, int32_t(999));
    fErr << "Loop Length cannot be set to 0 Bars. Please enter the correct number of Bars.\n";
    if (policy.fInteractive) {
        fErr << "Bars: " << std::flush;
        std::string line;
        if (std::getline(fIn, line)) {
            std::u16string text;
            for (char c : line)
                if (CNoLengthSpecifiedField::AcceptsCharacter(static_cast<char16_t>(c)))
                    text.push_back(static_cast<char16_t>(c));
            const int32_t value = CNoLengthSpecifiedField::ValueOf(text);
            if (CNoLengthSpecifiedField::MayConfirm(value))
                return value;
        }
    }
    fRefused = true;
    fErr << "zubrik-cli: the loop length is not set: give it with --bars N (or --beats N)\n" << std::flush;
    return std::nullopt;
}

// ------------------------------------------------------------------ Ctrl-C

void CConsoleInterrupt::Install()
{
    std::signal(SIGINT, HandleInterrupt);
}

bool CConsoleInterrupt::IsRequested()
{
    return gInterruptRequested != 0;
}

void CConsoleInterrupt::Request()
{
    gInterruptRequested = 1;
}

void CConsoleInterrupt::Clear()
{
    gInterruptRequested = 0;
}

uint32_t CConsoleClock::Milliseconds()
{
    // Each reading after a stop request moves past the window's delay, so
    // that the operation's next report opens its window whenever it began.
    constexpr uint32_t kStopJump = CZubrikLengthyOperation::kOpenDelay + 1;
    if (CConsoleInterrupt::IsRequested())
        fStopOffset += kStopJump;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    return ms + fStopOffset;
}

// ------------------------------------------------------------------ progress

class CConsoleProgressHost::CWindow : public ILengthyOperationWindow {
public:
    CWindow(std::ostream& err, bool draw, std::u16string text, bool stopAllowed,
            ILengthyOperationListener& listener)
        : fErr(err), fDraw(draw), fText(ConsoleText(text)), fStopAllowed(stopAllowed), fListener(listener)
    {
    }

    void ShowText(const std::u16string& text) override
    {
        fText = ConsoleText(text);
        Draw();
    }
    void ShowCount(int32_t count) override
    {
        fCount = count;
        Draw();
    }
    void ShowProgress(int32_t position) override
    {
        fPosition = std::clamp(position, 0, 1000);
        Draw();
    }
    void RequestClose() override { fClosing = true; }

    // One round of the console's "event loop": a pending close is reported,
    // a pending Ctrl-C is passed on as a press of the Stop button.
    bool Poll()
    {
        if (fClosing) {
            Erase();
            fListener.WindowClosed();
            return false;
        }
        if (fStopAllowed && !fStopReported && CConsoleInterrupt::IsRequested()) {
            fStopReported = true;
            fListener.StopPressed();
        }
        return true;
    }

private:
    void Draw()
    {
        if (!fDraw)
            return;
        constexpr int32_t kBarWidth = 30;
        const int32_t filled = fPosition * kBarWidth / 1000;
        std::string line = fText + " " + std::to_string(fCount) + " [" + std::string(size_t(filled), '#') +
                           std::string(size_t(kBarWidth - filled), '-') + "] " + std::to_string(fPosition / 10) +
                           "%";
        if (line == fShown)
            return;
        const size_t pad = fShown.size() > line.size() ? fShown.size() - line.size() : 0;
        fErr << '\r' << line << std::string(pad, ' ') << std::flush;
        fShown = std::move(line);
    }
    void Erase()
    {
        if (!fDraw || fShown.empty())
            return;
        fErr << '\r' << std::string(fShown.size(), ' ') << '\r' << std::flush;
        fShown.clear();
    }

    std::ostream& fErr;
    bool fDraw;
    std::string fText;
    bool fStopAllowed;
    ILengthyOperationListener& fListener;
    int32_t fCount = 0;
    int32_t fPosition = 0;
    bool fClosing = false;
    bool fStopReported = false;
    std::string fShown;
};

CConsoleProgressHost::CConsoleProgressHost(std::ostream& err, bool draw) : fErr(err), fDraw(draw) {}

CConsoleProgressHost::~CConsoleProgressHost() = default;

void CConsoleProgressHost::OpenWindow(const std::u16string& text, const std::u16string&, bool stopAllowed,
                                      ILengthyOperationListener& listener)
{
    fWindows.push_back(std::make_unique<CWindow>(fErr, fDraw, text, stopAllowed, listener));
    ++fOpened;
    listener.WindowOpened(*fWindows.back());
}

void CConsoleProgressHost::ProcessEvents()
{
    // Windows are polled newest first; a closing one leaves the list.
    for (size_t i = fWindows.size(); i-- > 0;)
        if (!fWindows[i]->Poll())
            fWindows.erase(fWindows.begin() + static_cast<std::ptrdiff_t>(i));
}

void CConsoleProgressHost::Beep()
{
    if (fDraw)
        fErr << '\a' << std::flush;
}

CLengthyOperationServices CConsoleProgressHost::GetServices()
{
    return CLengthyOperationServices{this, &fClock};
}

} // namespace NSZubrik
