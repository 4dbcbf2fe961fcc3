#include "ui/ZubrikApplication.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QUrl>
#include <QMimeData>
#include <algorithm>
#include <iostream>

#include "app/ConsoleAlerts.h"
#include "app/FileAudition.h"
#include "app/ResourceIds.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"
#include "ui/HelpWindow.h"
#include "ui/LoopClipboard.h"
#include "ui/PreferencesDialog.h"
#include "ui/ProcessDialogs.h"
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikWindow.h"

namespace NSZubrik {

// The preferences as the application object sees them; with the file turned
// off, reading finds nothing and writing keeps nothing, so that a session
// runs on the standard settings without touching the user's file.
class CZubrikApplication::CSessionPreferences : public IApplicationPreferences {
public:
    CSessionPreferences(CZubrikPreferences& preferences, bool useFile)
        : fPreferences(preferences), fUseFile(useFile)
    {
    }
    bool Read(CRecentlyUsedDocuments& recent) override { return !fUseFile || fPreferences.Read(recent); }
    void Write(const CRecentlyUsedDocuments& recent) override
    {
        if (fUseFile)
            fPreferences.Write(recent);
    }
    bool SetsBarsToOneInNewDocuments() const override { return fPreferences.SetsBarsToOneInNewDocuments(); }
    bool AlwaysMovesLeftLocator() const override { return fPreferences.AlwaysMovesLeftLocator(); }
    bool HasNoRingOut() const override { return fPreferences.HasNoRingOut(); }
    int32_t GetEffectsNoteCounter() const override { return fPreferences.GetEffectsNoteCounter(); }
    void SetEffectsNoteCounter(int32_t count) override { fPreferences.SetEffectsNoteCounter(count); }
    int32_t GetOutputSampleRate() const override { return fPreferences.GetOutputSampleRate(); }
    int32_t GetOldLoopNoteCounter() const override { return fPreferences.GetOldLoopNoteCounter(); }
    void SetOldLoopNoteCounter(int32_t count) override { fPreferences.SetOldLoopNoteCounter(count); }
    int32_t GetNormalizeNoteCounter() const override { return fPreferences.GetNormalizeNoteCounter(); }
    void SetNormalizeNoteCounter(int32_t count) override { fPreferences.SetNormalizeNoteCounter(count); }

private:
    CZubrikPreferences& fPreferences;
    bool fUseFile;
};

namespace {

// Alerts of a session without dialogs: printed, questions cancelled.
class CQuietAlerts : public CConsoleAlertPresenter {
public:
    CQuietAlerts() : CConsoleAlertPresenter(std::cerr, std::cin) {}
};

std::string DisplayName(const std::filesystem::path& file) { return file.filename().string(); }

} // namespace

CZubrikApplication::CZubrikApplication(const SApplicationOptions& options) : fOptions(options)
{
    if (fOptions.fPreferencesFile)
        fPreferences.SetFileLocation(*fOptions.fPreferencesFile);
    fSessionPreferences = std::make_unique<CSessionPreferences>(fPreferences, fOptions.fUsePreferencesFile);
    if (fOptions.fConsoleAlerts) {
        fConsoleAlerts = std::make_unique<CQuietAlerts>();
        // The once-per-user notes stay silent in a session without dialogs.
        fPreferences.SetEffectsNoteCounter(0);
    }
    fServices.preferences = fSessionPreferences.get();
    fServices.lengthDialog = this;
    fServices.saveDialog = this;
    fServices.lengthy = fProgress.GetServices();
    fPreviousPresenter = SetAlertPresenter(fConsoleAlerts ? fConsoleAlerts.get() : &fAlerts);
    fPreviousLengthy = SetDefaultLengthyOperationServices(fServices.lengthy);
    fPreviousServices = SetDefaultDocumentServices(fServices);
    fZubrik = std::make_unique<CZubrik>(*this, *this, *fSessionPreferences, fServices);
    NSFrameKit::CFrameKit::Install(this);
}

CZubrikApplication::~CZubrikApplication()
{
    NSFrameKit::CFrameKit::Install(nullptr);
    for (CZubrikWindow* window : std::vector<CZubrikWindow*>(fWindows))
        delete window;
    fWindows.clear();
    fZubrik.reset();
    SetDefaultDocumentServices(fPreviousServices);
    SetDefaultLengthyOperationServices(fPreviousLengthy);
    SetAlertPresenter(fPreviousPresenter);
}

int32_t CZubrikApplication::Run(const std::vector<std::filesystem::path>& files)
{
    return NSFrameKit::CFrameKit::Run(*this, files);
}

CZubrikWindow* CZubrikApplication::FindWindow(const CZubrikDocument& document) const
{
    for (CZubrikWindow* window : fWindows)
        if (&window->GetDocument() == &document)
            return window;
    return nullptr;
}

void CZubrikApplication::RunCommand(int32_t command, uint32_t modifiers)
{
    NSFrameKit::CFrameKit::ReportResult(Command(command, modifiers));
}

void CZubrikApplication::CloseRequested(CZubrikWindow& window)
{
    RunWork([&] { fZubrik->CloseDocument(window.GetDocument(), NSFrameKit::CFrameKit::IsQuitting()); });
}

void CZubrikApplication::WindowActivated(CZubrikWindow& window)
{
    const auto found = std::find(fWindows.begin(), fWindows.end(), &window);
    if (found != fWindows.end())
        std::rotate(fWindows.begin(), found, found + 1);
}

// ------------------------------------------------------------------ run loop

int32_t CZubrikApplication::Start(const std::vector<std::filesystem::path>& files)
{
    const int32_t result = fZubrik->Start(files);
    NSFrameKit::CFrameKit::ReportResult(result);
    // Files that could not be opened leave the empty start-up document.
    if (fWindows.empty())
        NSFrameKit::CFrameKit::ReportResult(fZubrik->NewDocument(0));
    // Without a device the program goes on silent; StartAudio has told why.
    if (fOptions.fUseAudio)
        NSFrameKit::CFrameKit::ReportResult(fZubrik->StartAudio());
    return kResultNoError;
}

bool CZubrikApplication::MayQuit() { return fZubrik->CloseAll(); }

int32_t CZubrikApplication::Quit() { return fZubrik->Quit(); }

int32_t CZubrikApplication::NewDocument(int32_t requestCode) { return fZubrik->NewDocument(requestCode); }

int32_t CZubrikApplication::OpenFiles(const std::vector<std::filesystem::path>& files)
{
    const int32_t result = fZubrik->OpenFiles(files);
    NSFrameKit::CFrameKit::ReportResult(result);
    return result;
}

int32_t CZubrikApplication::Command(int32_t command, uint32_t modifiers)
{
    return fZubrik->Command(command, (modifiers & NSFrameKit::kShift) != 0);
}

int32_t CZubrikApplication::Idle()
{
    return CallbackResult([&] {
        fZubrik->Idle();
        for (CZubrikWindow* window : fWindows)
            window->RefreshPlayCursor();
    });
}

// ------------------------------------------------------------------ host

std::vector<std::filesystem::path> CZubrikApplication::AskForFilesToOpen()
{
    // Without an audio output the dialog still shows the files' information
    // and auditions in silence.
    CAudioCardManager* audio = fZubrik->GetAudioOutput();
    CFileAudition audition(audio != nullptr && !audio->IsUnavailable() ? &audio->GetWavePlayer() : nullptr,
                           GetPreferences());
    return NSFrameKit::AskForFilesToOpen(GetFrontWindow(), audition);
}

namespace {

class CSaveChangesResult : public NSFrameKit::ISaveChangesDialogListener {
public:
    static constexpr int32_t kNoAnswer = 666;
    void SaveChosen() override { fAnswer = IApplicationHost::kSaveChanges; }
    void DontSaveChosen() override { fAnswer = IApplicationHost::kDiscardChanges; }
    void CancelChosen() override { fAnswer = IApplicationHost::kCancelClose; }
    int32_t fAnswer = kNoAnswer;
};

} // namespace

int32_t CZubrikApplication::AskToSaveChanges(const std::u16string& name, bool quitting)
{
    CSaveChangesResult result;
    NSFrameKit::AskToSaveChanges(GetFrontWindow(), name, quitting, result);
    return result.fAnswer == CSaveChangesResult::kNoAnswer ? int32_t(kCancelClose) : result.fAnswer;
}

std::unique_ptr<CABCWaveSample> CZubrikApplication::ReadSoundFile(const std::filesystem::path& file)
{
    try {
        return LoadSoundFile(file);
    } catch (const XUnsupportedSoundFileProperties& failure) {
        ShowAlert(kAlertTable, failure.GetAlert(), DisplayName(file));
    } catch (const XUnsupportedFormat&) {
        ShowAlert(kAlertTable, NSAlerts::kUnknownFileFormat, DisplayName(file));
    }
    throw XAlertAlreadyShown();
}

void CZubrikApplication::OpenHelp(int32_t helpId)
{
    if (!fOptions.fOpenHelp)
        return;
    if (fHelpWindow == nullptr) {
        auto window = std::make_unique<CHelpWindow>();
        // Without its manual the help has nothing to show: the help alert,
        // and the program goes on.
        if (!window->Load(FindManual())) {
            ShowAlert(kAlertTable, NSAlerts::kHelpError);
            return;
        }
        fHelpWindow = std::move(window);
    }
    // Shown first, so that the page has its width when the topic is found.
    fHelpWindow->show();
    fHelpWindow->ShowTopic(helpId == NSCommands::kHelpSearch ? kHelpTopicContents : helpId);
    fHelpWindow->raise();
    fHelpWindow->activateWindow();
    if (helpId == NSCommands::kHelpSearch)
        fHelpWindow->FocusFind();
}

void CZubrikApplication::OpenWebPage(int32_t command)
{
    // The addresses the program signs its loop files with.
    const CZubrikCreatorInfo& maker = GetOwnCreatorInfo();
    const QUrl page = command == NSCommands::kWebSite
                          ? QUrl(QString::fromStdString(maker[2]))
                          : QUrl(QStringLiteral("mailto:") + QString::fromStdString(maker[3]));
    if (fOptions.fOpenHelp && !QDesktopServices::openUrl(page))
        ShowAlert(kAlertTable, NSAlerts::kHelpError);
}

bool CZubrikApplication::HandleCommand(int32_t command, CZubrikDocument* front)
{
    if (command == NSCommands::kExit) {
        NSFrameKit::CFrameKit::RequestQuit();
        return true;
    }
    if (command == NSCommands::kHelpContents || command == NSCommands::kHelpSearch) {
        OpenHelp(command);
        return true;
    }
    if (command == NSCommands::kWebSite || command == NSCommands::kTechnicalSupport) {
        OpenWebPage(command);
        return true;
    }
    if (command == NSCommands::kPreferences) {
        ShowPreferencesDialog(GetFrontWindow(), fPreferences, *fZubrik);
        return true;
    }
    CZubrikWindow* window = front == nullptr ? nullptr : FindWindow(*front);
    return window != nullptr && window->HandleCommand(command);
}

void CZubrikApplication::AbandonQuit() { NSFrameKit::CFrameKit::AbandonQuit(); }

void CZubrikApplication::PutLoopOnClipboard(const std::vector<SClipboardForm>& forms)
{
    QGuiApplication::clipboard()->setMimeData(MakeLoopMimeData(forms));
}

std::vector<uint8_t> CZubrikApplication::GetClipboardData(const std::string& flavour)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data == nullptr ? std::vector<uint8_t>() : ClipboardBytes(*data, flavour);
}

// ------------------------------------------------------------------ windows

void CZubrikApplication::OpenWindow(std::unique_ptr<CZubrikDocument> document, bool skipLeftLocatorQuestion)
{
    CZubrikDocument& opened = *document;
    auto* window = new CZubrikWindow(*this, std::move(document));
    fWindows.insert(fWindows.begin(), window);
    window->show();
    opened.OpenedInWindow(skipLeftLocatorQuestion);
}

CZubrikDocument* CZubrikApplication::GetFrontDocument()
{
    return fWindows.empty() ? nullptr : &fWindows.front()->GetDocument();
}

std::vector<CZubrikDocument*> CZubrikApplication::GetDocuments()
{
    std::vector<CZubrikDocument*> documents;
    for (CZubrikWindow* window : fWindows)
        documents.push_back(&window->GetDocument());
    return documents;
}

void CZubrikApplication::CloseWindow(CZubrikDocument& document)
{
    CZubrikWindow* window = FindWindow(document);
    if (window == nullptr)
        return;
    std::erase(fWindows, window);
    window->CloseForGood();
    for (CZubrikWindow* other : fWindows)
        other->UpdateMenus();
}

std::optional<int32_t> CZubrikApplication::AskForBars()
{
    return AskForLoopLength(GetFrontWindow(), [this] { RunWork([this] { OpenHelp(kHelpTopicLoopLength); }); });
}

std::optional<std::filesystem::path> CZubrikApplication::AskForFile(const std::u16string& suggestedName)
{
    return NSFrameKit::AskForLoopFileToSave(GetFrontWindow(), suggestedName);
}

} // namespace NSZubrik
