#include "document/LengthyOperation.h"

#include <chrono>
#include <utility>

#include "app/ResourceIds.h"
#include "app/StringTables.h"

namespace NSZubrik {

namespace {

CLengthyOperationServices& DefaultServices()
{
    static CLengthyOperationServices services;
    return services;
}

uint32_t SteadyMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// The string lists hold UTF-8; progress texts are UTF-16.
std::u16string Utf16FromUtf8(const std::string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

} // namespace

std::u16string ProgressText(int32_t entry)
{
    return Utf16FromUtf8(GetString(kProgramStringList, entry));
}

CLengthyOperationServices SetDefaultLengthyOperationServices(const CLengthyOperationServices& services)
{
    return std::exchange(DefaultServices(), services);
}

const CLengthyOperationServices& GetDefaultLengthyOperationServices()
{
    return DefaultServices();
}

CZubrikLengthyOperation::CZubrikLengthyOperation(std::u16string text, std::u16string buttonText,
                                                 bool stopAllowed,
                                                 const CLengthyOperationServices& services)
    : fText(std::move(text)), fButtonText(std::move(buttonText)), fStopAllowed(stopAllowed),
      fServices(services)
{
    fStartTime = fServices.clock != nullptr ? fServices.clock->Milliseconds() : SteadyMilliseconds();
}

CZubrikLengthyOperation::~CZubrikLengthyOperation()
{
    try {
        CloseWindow();
    } catch (...) {
        // A destructor must not throw; the window is forgotten either way.
        fWindow = nullptr;
    }
}

uint32_t CZubrikLengthyOperation::Elapsed() const
{
    const uint32_t now = fServices.clock != nullptr ? fServices.clock->Milliseconds() : SteadyMilliseconds();
    return now - fStartTime;  // unsigned, so a wrapping clock still subtracts right
}

void CZubrikLengthyOperation::OpenWindowWhenDue()
{
    if (fWindow == nullptr && fServices.host != nullptr && Elapsed() > kOpenDelay)
        fServices.host->OpenWindow(fText, fButtonText, fStopAllowed, *this);
}

void CZubrikLengthyOperation::LetEventsRun()
{
    if (fServices.host != nullptr)
        fServices.host->ProcessEvents();
}

void CZubrikLengthyOperation::SetText(const std::u16string& text)
{
    OpenWindowWhenDue();
    fText = text;
    if (fWindow != nullptr) {
        fWindow->ShowText(text);
        LetEventsRun();
    }
}

void CZubrikLengthyOperation::SetCount(int32_t count)
{
    OpenWindowWhenDue();
    if (fWindow != nullptr) {
        fWindow->ShowCount(count);
        LetEventsRun();
    }
}

void CZubrikLengthyOperation::SetPercent(int32_t percent)
{
    OpenWindowWhenDue();
    if (fWindow != nullptr) {
        fWindow->ShowProgress(percent * 10);
        LetEventsRun();
    }
}

void CZubrikLengthyOperation::Finish()
{
    if (fWindow == nullptr)
        return;
    SetText(ProgressText(NSStrings::kFinalizing));
    SetCount(0);
    SetPercent(100);
    // A user who turned away from long work hears that it is over.
    if (Elapsed() > kBeepDelay && fServices.host != nullptr)
        fServices.host->Beep();
    CloseWindow();
}

void CZubrikLengthyOperation::CloseWindow()
{
    if (fWindow == nullptr)
        return;
    fWindow->RequestClose();
    while (fWindow != nullptr) {
        if (fServices.host == nullptr) {
            fWindow = nullptr;  // nobody can deliver the close report
            break;
        }
        fServices.host->ProcessEvents();
    }
}

void CZubrikLengthyOperation::WindowOpened(ILengthyOperationWindow& window)
{
    fWindow = &window;
    SetCount(0);
    SetPercent(0);
}

void CZubrikLengthyOperation::StopPressed()
{
    // The window only reports presses when stopping is allowed; the check
    // here keeps work that cannot be stopped safe from any other caller.
    if (fStopAllowed)
        fStopRequested = true;
}

void CZubrikLengthyOperation::WindowClosed()
{
    fWindow = nullptr;
}

} // namespace NSZubrik
