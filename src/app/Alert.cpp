#include "app/Alert.h"

#include "app/StringTables.h"
#include "app/ZubrikErrors.h"

#include <atomic>
#include <stdexcept>

namespace NSZubrik {

namespace {

// Without a front end nobody can answer, so the default button (the last
// listed) is taken, as if the user had pressed Enter.
class CDefaultAlertPresenter final : public IAlertPresenter {
public:
    size_t Show(NSTextPackage::EAlertKind, const std::string&, const std::string&,
                const std::vector<std::string>& buttons) override
    {
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
};

CDefaultAlertPresenter gDefaultPresenter;
std::atomic<IAlertPresenter*> gPresenter{nullptr};

} // namespace

IAlertPresenter* SetAlertPresenter(IAlertPresenter* presenter)
{
    IAlertPresenter* previous = gPresenter.exchange(presenter);
    return previous;
}

IAlertPresenter& CurrentAlertPresenter()
{
    IAlertPresenter* presenter = gPresenter.load();
    return presenter != nullptr ? *presenter : gDefaultPresenter;
}

NSTextPackage::CAlertText GetAlert(int32_t table, int32_t entry,
                                   std::span<const std::string_view> arguments)
{
    const std::string_view text =
        NSTextPackage::CStringTables::Program().Get(NSTextPackage::kAlertKind, table, entry);
    return NSTextPackage::ParseAlertText(text, arguments);
}

int32_t ShowAlertWithArguments(int32_t table, int32_t entry,
                               std::span<const std::string_view> arguments)
{
    if (arguments.size() > 3)
        throw std::invalid_argument("");
    const NSTextPackage::CAlertText alert = GetAlert(table, entry, arguments);
    const size_t pressed =
        CurrentAlertPresenter().Show(alert.fKind, alert.fTitle, alert.fMessage, alert.fButtons);
    if (alert.fButtons.empty())
        return kLastButton;
    if (pressed >= alert.fButtons.size())
        throw XInvariantCorrupt();
    return kLastButton + static_cast<int32_t>(alert.fButtons.size() - 1 - pressed);
}

} // namespace NSZubrik
