#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

using namespace NSZubrik;
using NSTextPackage::EAlertKind;
using NSTextPackage::ParseAlertText;

namespace {

// Presses a fixed button and remembers what it was shown.
class CScriptedPresenter : public IAlertPresenter {
public:
    explicit CScriptedPresenter(size_t press) : fPress(press) {}
    size_t Show(EAlertKind kind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override
    {
        fShown = {kind, title, message, buttons};
        return fPress;
    }
    size_t fPress;
    NSTextPackage::CAlertText fShown;
};

// Shows an entry through a presenter that presses the button at index.
int32_t Press(size_t index, int32_t entry, CScriptedPresenter* presenter = nullptr)
{
    CScriptedPresenter local(index);
    CScriptedPresenter& used = presenter != nullptr ? *presenter : local;
    IAlertPresenter* previous = SetAlertPresenter(&used);
    try {
        const int32_t result = ShowAlert(kAlertTable, entry, "100", "92", "92");
        SetAlertPresenter(previous);
        return result;
    } catch (...) {
        SetAlertPresenter(previous);
        throw;
    }
}

} // namespace

TEST(AlertText, KindTitleMessageAndButtons)
{
    const auto alert = ParseAlertText("[STOP][Couldn't save file \"^0\"!]Line one.\\rLine two.[OK]",
                                      {"Kit [1].zx2"});
    EXPECT_EQ(alert.fKind, EAlertKind::kStop);
    EXPECT_EQ(alert.fTitle, "Couldn't save file \"Kit [1].zx2\"!");
    EXPECT_EQ(alert.fMessage, "Line one.\nLine two.");
    EXPECT_EQ(alert.fButtons, std::vector<std::string>{"OK"});

    const auto plain = ParseAlertText("[NOTE]No slices were added.[OK]");
    EXPECT_EQ(plain.fKind, EAlertKind::kNote);
    EXPECT_EQ(plain.fTitle, "");
    EXPECT_EQ(plain.fMessage, "No slices were added.");
    EXPECT_EQ(plain.fButtons.size(), 1u);

    const auto bare = ParseAlertText("[Title only kind-less]Message");
    EXPECT_EQ(bare.fKind, EAlertKind::kNone);
    EXPECT_EQ(bare.fTitle, "Title only kind-less");
    EXPECT_TRUE(bare.fButtons.empty());

    const auto warn = ParseAlertText("[WARN]^0 of ^1, ^9^[Cancel][Each ^0][OK]", {"1", "2"});
    EXPECT_EQ(warn.fKind, EAlertKind::kWarn);
    EXPECT_EQ(warn.fMessage, "1 of 2, ^");
    EXPECT_EQ(warn.fButtons, (std::vector<std::string>{"Cancel", "Each 1", "OK"}));
}

TEST(AlertText, MalformedTextsAreRefused)
{
    const char* malformed[] = {
        "",                         // nothing at all
        "[STOP]",                   // kind without message
        "[STOP][Title",             // unclosed title
        "Message[OK",               // unclosed button
        "Message]",                 // stray closing bracket
        "Mess[a]ge[OK]",            // bracket inside the message
        "[NOTE]Message[]",          // empty label
        "[NOTE][]Message[OK]",      // empty title
        "[NOTE]M[One][Two][Three][Four]",
    };
    for (const char* text : malformed)
        EXPECT_THROW(ParseAlertText(text), NSTextPackage::XIllegalTextFormat) << text;
}

TEST(Alerts, ButtonResultsCountFromTheLast)
{
    // The left-locator question "[No][Yes]"; Normalize "[Cancel][Each Slice][Whole File]".
    EXPECT_EQ(Press(1, NSAlerts::kMoveLeftLocator), kLastButton);
    EXPECT_EQ(Press(0, NSAlerts::kMoveLeftLocator), kSecondLastButton);
    EXPECT_EQ(Press(0, NSAlerts::kNormalizeWhat), kThirdLastButton);
    EXPECT_EQ(Press(1, NSAlerts::kNormalizeWhat), kSecondLastButton);
    EXPECT_THROW(Press(2, NSAlerts::kMoveLeftLocator), XInvariantCorrupt);
}

TEST(Alerts, ArgumentsPresenterAndFailures)
{
    CScriptedPresenter presenter(1);
    EXPECT_EQ(Press(1, NSAlerts::kTooManySlices, &presenter), 33);
    EXPECT_EQ(presenter.fShown.fMessage,
              "You've got 100 slices, but a file of this type can only use 92. "
              "Would you like to use the first 92 slices?");
    EXPECT_EQ(presenter.fShown.fButtons, (std::vector<std::string>{"Cancel", "OK"}));

    // Without a front end the default button is taken.
    EXPECT_EQ(ShowAlert(kAlertTable, NSAlerts::kNormalizeWhat), kLastButton);
    EXPECT_THROW(ShowAlert(kAlertTable, 12345), XNotFound);
}
