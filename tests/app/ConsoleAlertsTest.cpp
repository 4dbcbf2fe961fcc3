#include "app/ConsoleAlerts.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace NSZubrik;

namespace {

// The alerts of an export that finds a file in the way, and of too many
// slices for a sampler format.
constexpr int32_t kFileExistsAlert = 2200;
constexpr int32_t kTooManySlicesAlert = 2204;

struct CConsole {
    std::ostringstream err;
    std::istringstream in;
    CConsoleAlertPresenter presenter{err, in};
    IAlertPresenter* previous = SetAlertPresenter(&presenter);
    ~CConsole() { SetAlertPresenter(previous); }
};

template <typename TSet>
SConsolePolicy Policy(TSet set)
{
    SConsolePolicy policy;
    set(policy);
    return policy;
}

} // namespace

TEST(ConsoleAlerts, QuestionsAreAnsweredFromThePolicyOrRefusedByNamingTheFlag)
{
    CConsole console;
    // [Replace][Replace All][Cancel]: without a flag the export is cancelled.
    EXPECT_EQ(ShowAlert(kAlertTable, kFileExistsAlert, "Beat 001.wav"), kLastButton);
    EXPECT_NE(console.presenter.GetRefusal().find("--replace-all"), std::string::npos);
    EXPECT_NE(console.err.str().find("There is already a file by the name \"Beat 001.wav\""), std::string::npos);

    console.presenter.ClearRefusal();
    console.presenter.SetPolicy(Policy([](auto& p) { p.fReplaceAll = true; }));
    EXPECT_EQ(ShowAlert(kAlertTable, kFileExistsAlert, "x"), kSecondLastButton);
    console.presenter.SetPolicy(Policy([](auto& p) { p.fYes = true; }));
    EXPECT_EQ(ShowAlert(kAlertTable, kFileExistsAlert, "x"), kThirdLastButton);
    // [Cancel][OK]
    EXPECT_EQ(ShowAlert(kAlertTable, kTooManySlicesAlert, "100", "92", "92"), kLastButton);
    EXPECT_TRUE(console.presenter.GetRefusal().empty());

    console.presenter.SetPolicy({});
    EXPECT_EQ(ShowAlert(kAlertTable, kTooManySlicesAlert, "100", "92", "92"), kSecondLastButton);
    EXPECT_NE(console.presenter.GetRefusal().find("--yes"), std::string::npos);

    // A message with one button needs no answer and is no refusal.
    console.presenter.ClearRefusal();
    ShowAlert(kAlertTable, 2006, "f.wav");
    EXPECT_TRUE(console.presenter.GetRefusal().empty());
    EXPECT_NE(console.err.str().find("Couldn't open file \"f.wav\"!\nThe file is in an unknown format"),
              std::string::npos);
}

TEST(ConsoleAlerts, StandardInputIsReadOnlyInAnInteractiveSession)
{
    CConsole console;
    console.in.str("2\n");
    EXPECT_EQ(ShowAlert(kAlertTable, kFileExistsAlert, "x"), kLastButton);  // refused, input untouched
    console.presenter.SetPolicy(Policy([](auto& p) { p.fInteractive = true; }));
    EXPECT_EQ(ShowAlert(kAlertTable, kFileExistsAlert, "x"), kSecondLastButton);

    CConsoleNoLengthDialog dialog(console.presenter, console.err, console.in);
    console.in.clear();
    console.in.str("12\n");
    EXPECT_EQ(dialog.AskForBars(), 12);
    console.in.clear();
    console.in.str("0\n");
    EXPECT_EQ(dialog.AskForBars(), std::nullopt);
    EXPECT_TRUE(dialog.WasRefused());
}

TEST(ConsoleAlerts, TheLoopLengthQuestionTakesTheBarsFlag)
{
    CConsole console;
    CConsoleNoLengthDialog dialog(console.presenter, console.err, console.in);
    console.presenter.SetPolicy(Policy([](auto& p) { p.fBars = 4; }));
    EXPECT_EQ(dialog.AskForBars(), 4);
    EXPECT_FALSE(dialog.WasRefused());
    console.presenter.SetPolicy({});
    EXPECT_EQ(dialog.AskForBars(), std::nullopt);
    EXPECT_TRUE(dialog.WasRefused());
    EXPECT_NE(console.err.str().find("--bars"), std::string::npos);
}

TEST(ConsoleAlerts, CtrlCStopsStoppableWorkAtItsNextReport)
{
    std::ostringstream err;
    CConsoleProgressHost host(err, true);
    {
        // Young work without a stop shows no window.
        CZubrikLengthyOperation operation(u"Finding slices (frames left):", u"Cancel", true, host.GetServices());
        operation.SetPercent(10);
        EXPECT_FALSE(operation.StopRequested());
        EXPECT_EQ(host.GetOpenedCount(), 0);
    }
    CConsoleInterrupt::Request();
    {
        CZubrikLengthyOperation operation(u"Normalizing...", u"Cancel", true, host.GetServices());
        operation.SetPercent(40);
        EXPECT_TRUE(operation.StopRequested());
        EXPECT_NE(err.str().find("Normalizing..."), std::string::npos);
        operation.Finish();
        EXPECT_FALSE(operation.IsWindowOpen());
    }
    {
        // Saving undo information cannot be stopped.
        CZubrikLengthyOperation operation(u"Saving...", u"Cancel", false, host.GetServices());
        operation.SetPercent(40);
        EXPECT_FALSE(operation.StopRequested());
    }
    CConsoleInterrupt::Clear();

    std::ostringstream silent;
    CConsoleProgressHost quiet(silent, false);
    CConsoleInterrupt::Request();
    CZubrikLengthyOperation operation(u"Frames left to load:", u"Cancel", true, quiet.GetServices());
    operation.SetCount(5);
    EXPECT_TRUE(operation.StopRequested());
    EXPECT_TRUE(silent.str().empty());
    CConsoleInterrupt::Clear();
}
