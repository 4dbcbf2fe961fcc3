#include "cli/CliAlertWording.h"

#include <optional>

#include "app/Alert.h"
#include "app/ResourceIds.h"

namespace NSZubrikCli {

using namespace NSZubrik;

namespace {

// "^0" in a message stands for the alert's first argument.
struct SWording {
    int32_t fEntry;
    const char* fMessage;
};

constexpr SWording kWordings[] = {
    {NSAlerts::kReplaceSliceFile,
     "There is already a file by the name \"^0\". Give --yes to replace files, or --replace-all to replace all "
     "numbered pieces."},
    {NSAlerts::kMixmanNeedsFourFour,
     "In order to get a correct Tempo readout in Mixman, give the time signature 4/4 (--sign 4/4)."},
    {NSAlerts::kOldNormalizeOption,
     "This is an older Zubrik file with the \"Normalize\" option activated, which has been removed in this "
     "version. To normalize the sound, use zubrik-cli process --normalize whole|slices."},
    {NSAlerts::kOldLoopFile,
     "You may have to give the loop length (--bars, --beats and --sign) to make this file play back correctly."},
    {NSAlerts::kEffectsNeedPreview,
     "To enable the effects, give the loop length (--bars or --beats) and leave preview on (no --preview off)."},
    {NSAlerts::kAnalyzeInterrupted,
     "Zubrik may be able to find more slices in the file. To analyse it fully, run the job again without "
     "interrupting it."},
};

// The window's text of an entry, with a marker where its first argument goes.
constexpr char kArgumentMarker[] = "\x1f";

// The argument that fills the window's message of the entry to give
// message, if the alert is that entry.
std::optional<std::string> MatchEntry(int32_t entry, const std::string& title, const std::string& message)
{
    const std::string_view marker[] = {kArgumentMarker};
    const NSTextPackage::CAlertText window = GetAlert(kAlertTable, entry, marker);
    if (window.fTitle != title)
        return std::nullopt;
    const size_t at = window.fMessage.find(kArgumentMarker);
    if (at == std::string::npos)
        return window.fMessage == message ? std::optional<std::string>("") : std::nullopt;
    const std::string before = window.fMessage.substr(0, at);
    const std::string after = window.fMessage.substr(at + 1);
    if (message.size() < before.size() + after.size() || message.compare(0, before.size(), before) != 0 ||
        message.compare(message.size() - after.size(), after.size(), after) != 0)
        return std::nullopt;
    return message.substr(before.size(), message.size() - before.size() - after.size());
}

} // namespace

std::string CommandLineMessage(const std::string& title, const std::string& message)
{
    for (const SWording& wording : kWordings) {
        const std::optional<std::string> argument = MatchEntry(wording.fEntry, title, message);
        if (!argument)
            continue;
        std::string text = wording.fMessage;
        if (const size_t at = text.find("^0"); at != std::string::npos)
            text.replace(at, 2, *argument);
        return text;
    }
    return message;
}

size_t CCliAlertPresenter::Show(NSTextPackage::EAlertKind kind, const std::string& title,
                                const std::string& message, const std::vector<std::string>& buttons)
{
    return CConsoleAlertPresenter::Show(kind, title, CommandLineMessage(title, message), buttons);
}

} // namespace NSZubrikCli
