#include "app/Zubrik.h"

#include <algorithm>

#include "app/Alert.h"
#include "app/OldFileNotes.h"
#include "app/ResourceIds.h"
#include "app/ResultCodes.h"
#include "app/ZubrikErrors.h"
#include "audiodata/WaveSample.h"
#include "audiodata/ZubrikFile.h"
#include "document/ZubrikDocument.h"
#include "io/SoundFileReader.h"

namespace NSZubrik {

// ------------------------------------------------------------------ recent documents

void CRecentlyUsedDocuments::Add(const std::filesystem::path& file, const std::u16string& name)
{
    std::erase_if(fEntries, [&file](const SEntry& entry) { return entry.fFile == file; });
    while (fEntries.size() >= kMaximumEntries)
        fEntries.pop_back();
    fEntries.insert(fEntries.begin(), SEntry{file, name});
    Changed();
}

void CRecentlyUsedDocuments::Append(const std::filesystem::path& file, const std::u16string& name)
{
    if (fEntries.size() >= kMaximumEntries)
        return;
    fEntries.push_back(SEntry{file, name});
    Changed();
}

void CRecentlyUsedDocuments::Remove(size_t index)
{
    if (index >= fEntries.size())
        return;
    fEntries.erase(fEntries.begin() + static_cast<std::ptrdiff_t>(index));
    Changed();
}

void CRecentlyUsedDocuments::Changed()
{
    if (fListener != nullptr)
        fListener->RecentlyUsedDocumentsChanged();
}

// ------------------------------------------------------------------ application

CZubrik::CZubrik(IApplicationHost& host, IDocumentWindows& windows, IApplicationPreferences& preferences,
                 const CDocumentServices& documentServices)
    : fHost(host), fWindows(windows), fPreferences(preferences), fDocumentServices(documentServices)
{
    fDocumentServices.preferences = &fPreferences;
    fRecent.SetListener(this);
}

CZubrik::~CZubrik()
{
    StopAudio();
    fRecent.SetListener(nullptr);
}

int32_t CZubrik::Start(const std::vector<std::filesystem::path>& files)
{
    return CallbackResult([&] {
        try {
            fFirstRun = !fPreferences.Read(fRecent);
        } catch (const std::exception&) {
            fFirstRun = true;
        }
        if (files.empty())
            fWindows.OpenWindow(CZubrikDocument::CreateEmpty(fDocumentServices), false);
        else
            for (const std::filesystem::path& file : files)
                OpenDocument(file);
        if (fFirstRun)
            fHost.OpenHelp(kFirstRunHelpId);
        fStarted = true;
    });
}

int32_t CZubrik::Quit()
{
    return CallbackResult([&] {
        int32_t alert = 0;
        try {
            SaveAudioSettings();
            fPreferences.Write(fRecent);
        } catch (const XDiskFull&) {
            alert = NSAlerts::kPreferencesDiskFull;
        } catch (const XCreateFailed&) {
            alert = NSAlerts::kPreferencesNotCreated;
        } catch (const std::exception&) {
            alert = NSAlerts::kPreferencesNotSaved;
        }
        if (alert != 0)
            ShowAlert(kAlertTable, alert);
    });
}

int32_t CZubrik::NewDocument(int32_t requestCode)
{
    return CallbackResult([&] {
        const bool noWindow = fWindows.GetDocuments().empty();
        fWindows.OpenWindow(CZubrikDocument::CreateEmpty(fDocumentServices), false);
        if (requestCode == kNewDocumentAndOpenRequest && noWindow)
            for (const std::filesystem::path& file : fHost.AskForFilesToOpen())
                OpenDocument(file);
    });
}

int32_t CZubrik::OpenFiles(const std::vector<std::filesystem::path>& files)
{
    return CallbackResult([&] {
        for (const std::filesystem::path& file : files)
            OpenDocument(file);
    });
}

void CZubrik::OpenDocument(const std::filesystem::path& file)
{
    OpenDocumentFile(
        file, [this](const std::filesystem::path& sound) { return fHost.ReadSoundFile(sound); }, fPreferences,
        fDocumentServices, [this](std::unique_ptr<CZubrikDocument> document, bool fromLoopFile) {
            fWindows.OpenWindow(std::move(document), fromLoopFile);
        });
}

void CZubrik::OpenDocumentFile(const std::filesystem::path& file, const TSoundFileReader& readSoundFile,
                               IDocumentPreferences& preferences, const CDocumentServices& services,
                               const TDocumentOpened& opened)
{
    std::unique_ptr<CZubrikFile> loopFile;
    try {
        loopFile = std::make_unique<CZubrikFile>(file);
    } catch (const XZBX2UnsupportedFormat&) {
        // Not a loop file of any kind: a sound file, analysed afresh.
        opened(CZubrikDocument::CreateFromSoundFile(readSoundFile(file), file, services, ReadSliceMarkers(file)),
               false);
        return;
    }
    opened(CZubrikDocument::OpenFile(*loopFile, file, services), true);
    ShowOldFileNotes(*loopFile, preferences);
}

void CZubrik::CopyLoop(CZubrikDocument& document)
{
    if (const auto forms = MakeLoopClipboardForms(document, fPreferences.HasNoRingOut()))
        fHost.PutLoopOnClipboard(*forms);
}

void CZubrik::PasteAsNewDocument()
{
    const std::vector<uint8_t> wave = fHost.GetClipboardData(kWaveFlavour);
    if (wave.empty())
        return;
    const CPastedWaveFile file(wave);
    fWindows.OpenWindow(CZubrikDocument::CreateFromWaveSample(fHost.ReadSoundFile(file.GetPath()), fDocumentServices),
                        false);
}

void CZubrik::OpenRecent(size_t index)
{
    if (index >= fRecent.GetEntries().size())
        return;
    const std::filesystem::path file = fRecent.GetEntries()[index].fFile;
    try {
        OpenDocument(file);
    } catch (...) {
        fRecent.Remove(index);
        throw;
    }
}

bool CZubrik::CloseDocument(CZubrikDocument& document, bool quitting)
{
    if (document.GetSequencer().IsPlaying())
        document.Stop();
    if (document.NeedsSaving()) {
        const int32_t answer = fHost.AskToSaveChanges(document.GetName(), quitting);
        if (answer == IApplicationHost::kCancelClose)
            return false;
        if (answer == IApplicationHost::kSaveChanges) {
            document.Save();
            if (document.NeedsSaving())
                return false;
        }
    }
    if (document.HasFile())
        fRecent.Add(document.GetFile(), document.GetName());
    ReleaseFromPlayer(document);
    fWindows.CloseWindow(document);
    return true;
}

bool CZubrik::CloseAll()
{
    for (CZubrikDocument* document : fWindows.GetDocuments())
        if (!CloseDocument(*document, true)) {
            fHost.AbandonQuit();
            return false;
        }
    return true;
}

int32_t CZubrik::Command(int32_t command, bool extraModifier)
{
    return CallbackResult([&] {
        if (command >= kCommandFirstRecent && command < kCommandFirstRecent + int32_t(CRecentlyUsedDocuments::kMaximumEntries)) {
            OpenRecent(size_t(command - kCommandFirstRecent));
            return;
        }
        CZubrikDocument* front = fWindows.GetFrontDocument();
        switch (command) {
        case kCommandOpen:
            if (front != nullptr && front->GetSequencer().IsPlaying())
                front->Stop();
            for (const std::filesystem::path& file : fHost.AskForFilesToOpen())
                OpenDocument(file);
            return;
        case kCommandClose:
            if (front != nullptr) {
                CloseDocument(*front, false);
                return;
            }
            break;
        case kCommandPasteAsNewDocument:
            PasteAsNewDocument();
            return;
        case kCommandSaveAll:
            for (CZubrikDocument* document : fWindows.GetDocuments())
                if (document->NeedsSaving())
                    document->Save();
            return;
        default:
            if (front != nullptr && DispatchToDocument(command, extraModifier, *front))
                return;
            break;
        }
        fHost.HandleCommand(command, front);
    });
}

bool CZubrik::DispatchToDocument(int32_t command, bool extraModifier, CZubrikDocument& document)
{
    switch (command) {
    case kCommandSave: document.Save(); break;
    case kCommandSaveAs: document.SaveAs(); break;
    case kCommandUndo: document.Undo(); break;
    case kCommandRedo: document.Redo(); break;
    case kCommandDelete: document.DeleteSelectedSlices(); break;
    case kCommandSelectAll: document.SelectAll(); break;
    case kCommandCopyLoop:
    case kContextCopyLoop: CopyLoop(document); break;
    case kCommandInvertSelection:
    case kContextInvertSelection: document.InvertSelection(); break;
    case kCommandShowEnvelope: document.TogglePanel(SViewAndEditAttributes::kEnvelopePanel, extraModifier); break;
    case kCommandShowTransientShaper:
        document.TogglePanel(SViewAndEditAttributes::kTransientShaperPanel, extraModifier);
        break;
    case kCommandShowEqualizer: document.TogglePanel(SViewAndEditAttributes::kEqualizerPanel, extraModifier); break;
    case kCommandShowGrid: document.ToggleGrid(); break;
    case kCommandExportAsOneSample: document.ToggleExportAsOneSample(); break;
    case kCommandSilenceSelected: document.ToggleSilenceSelected(); break;
    case kCommandReAnalyze: document.ReAnalyze(); break;
    case kCommandAddSlicesAtGrid: document.AddSlicesAtGrid(); break;
    default: return false;
    }
    return true;
}

} // namespace NSZubrik
