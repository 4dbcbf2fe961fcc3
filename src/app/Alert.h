// Showing alerts: an alert is an entry of an alert table (the program's is
// 129), shown with up to three text arguments through the presenter that the
// front end installs. The answer is the pressed button counted from the end
// of the text: 33 for the last button listed, 34 for the one before, 35 for
// the one before that.
#pragma once

#include "app/AlertText.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace NSZubrik {

inline constexpr int32_t kAlertTable = 129;

inline constexpr int32_t kLastButton = 33;
inline constexpr int32_t kSecondLastButton = 34;
inline constexpr int32_t kThirdLastButton = 35;

// Shows one alert and answers the index of the pressed button in the order
// the buttons are listed (0 is the first). A presenter that cannot show the
// alert throws.
class IAlertPresenter {
public:
    virtual ~IAlertPresenter() = default;
    virtual size_t Show(NSTextPackage::EAlertKind kind, const std::string& title,
                        const std::string& message, const std::vector<std::string>& buttons) = 0;
};

// Installs a presenter (not owned; null restores the default, which answers
// the last button without showing anything) and returns the one it replaces.
// Install and show on the GUI thread only.
IAlertPresenter* SetAlertPresenter(IAlertPresenter* presenter);
IAlertPresenter& CurrentAlertPresenter();

// The alert text of an entry with its arguments filled in. A missing entry
// throws XNotFound, a malformed one XIllegalTextFormat.
NSTextPackage::CAlertText GetAlert(int32_t table, int32_t entry,
                                   std::span<const std::string_view> arguments = {});

// Shows the entry through the current presenter and returns 33, 34 or 35.
// An alert without buttons answers 33 once it has been shown; an answer
// outside the listed buttons throws XInvariantCorrupt.
int32_t ShowAlertWithArguments(int32_t table, int32_t entry,
                               std::span<const std::string_view> arguments);

template <typename... TArguments>
int32_t ShowAlert(int32_t table, int32_t entry, const TArguments&... arguments)
{
    static_assert(sizeof...(TArguments) <= 3, "an alert takes at most three arguments");
    const std::array<std::string_view, sizeof...(TArguments)> texts{std::string_view(arguments)...};
    return ShowAlertWithArguments(table, entry, texts);
}

} // namespace NSZubrik
