// The application object: start and quit, the documents open in windows,
// dispatch of command numbers to the front document or to itself, the list
// of recently used documents, and the catch-all that turns every failure in
// a callback into a result code for the front end.
//
// The front end (GUI toolkit or command line) owns the event loop and the
// windows; it reaches the application through the callbacks below and
// supplies its own side through IApplicationHost and IDocumentWindows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/DocumentTypes.h"
#include "io/ClipboardExchange.h"
#include "engine/AudioCardManager.h"

namespace NSZubrik {

class CABCWaveSample;
class CZubrikDocument;

// Told of every change of the recently used documents.
class IRecentlyUsedDocumentsListener {
public:
    virtual ~IRecentlyUsedDocumentsListener() = default;
    virtual void RecentlyUsedDocumentsChanged() = 0;
};

// At most eight files, most recent first.
class CRecentlyUsedDocuments {
public:
    static constexpr size_t kMaximumEntries = 8;
    struct SEntry {
        std::filesystem::path fFile;
        std::u16string fName;
    };
    void SetListener(IRecentlyUsedDocumentsListener* listener) { fListener = listener; }
    // Every entry of the same file goes; the oldest goes while eight or more
    // remain; the new entry comes first.
    void Add(const std::filesystem::path& file, const std::u16string& name);
    // As stored, oldest last (for reading the preferences).
    void Append(const std::filesystem::path& file, const std::u16string& name);
    void Remove(size_t index);
    const std::vector<SEntry>& GetEntries() const { return fEntries; }

private:
    void Changed();
    std::vector<SEntry> fEntries;
    IRecentlyUsedDocumentsListener* fListener = nullptr;
};

// The preferences as the application sees them: the document's view of them
// plus reading and writing the preferences file and the recent documents.
class IApplicationPreferences : public IDocumentPreferences {
public:
    // False when no preferences file could be read (a first run).
    virtual bool Read(CRecentlyUsedDocuments& recent) = 0;
    virtual void Write(const CRecentlyUsedDocuments& recent) = 0;
    // The audio device's settings as its library saves them ("AUDI"); empty
    // when none were saved. Preferences without the chunk keep nothing.
    virtual const std::vector<uint8_t>& GetAudioSettings() const;
    virtual void SetAudioSettings(std::vector<uint8_t> settings) { (void)settings; }
    // The device rate, for documents made from now on.
    virtual void SetOutputSampleRate(int32_t rate) { (void)rate; }
};

// The document windows, kept by the front end.
class IDocumentWindows {
public:
    virtual ~IDocumentWindows() = default;
    // Makes a window that takes the document over.
    virtual void OpenWindow(std::unique_ptr<CZubrikDocument> document, bool skipLeftLocatorQuestion) = 0;
    // The document of the front window, or null.
    virtual CZubrikDocument* GetFrontDocument() = 0;
    virtual std::vector<CZubrikDocument*> GetDocuments() = 0;
    // Closes the window of the document (the document goes with it).
    virtual void CloseWindow(CZubrikDocument& document) = 0;
};

// The rest of the front end's side.
class IApplicationHost {
public:
    enum ESaveChangesAnswer : int32_t { kSaveChanges = 45, kDiscardChanges = 46, kCancelClose = 47 };

    virtual ~IApplicationHost() = default;
    // The open dialog; empty when cancelled.
    virtual std::vector<std::filesystem::path> AskForFilesToOpen() = 0;
    // "Save changes to the document "^0" before closing?" (or "... before
    // quitting?").
    virtual int32_t AskToSaveChanges(const std::u16string& name, bool quitting) = 0;
    // Reads a WAVE or AIFF file into a new wave sample.
    virtual std::unique_ptr<CABCWaveSample> ReadSoundFile(const std::filesystem::path& file) = 0;
    virtual void OpenHelp(int32_t helpId) = 0;
    // A command the core does not handle (views, clipboard, dialogs);
    // false when the front end does not know it either.
    virtual bool HandleCommand(int32_t command, CZubrikDocument* front) = 0;
    // Calls off a quit under way, if there is one.
    virtual void AbandonQuit() = 0;
    // Replaces what the system clipboard holds with the forms of a copied
    // loop (key and complete file each). A front end without a clipboard
    // drops them.
    virtual void PutLoopOnClipboard(const std::vector<SClipboardForm>& forms) { (void)forms; }
    // The clipboard's file of the given four-character kind; empty when it
    // holds none.
    virtual std::vector<uint8_t> GetClipboardData(const std::string& flavour)
    {
        (void)flavour;
        return {};
    }
};

class CZubrik : public IRecentlyUsedDocumentsListener, public IAudioCardManagerListener {
public:
    static constexpr int32_t kFirstRunHelpId = 13;
    static constexpr int32_t kNewDocumentAndOpenRequest = 5003;
    enum ECommand : int32_t {
        kCommandOpen = 50004,
        kCommandClose = 50005,
        kCommandSave = 50006,
        kCommandSaveAs = 50007,
        kCommandUndo = 50009,
        kCommandRedo = 50010,
        kCommandCopyLoop = 50012,
        kCommandPasteAsNewDocument = 50013,
        kCommandDelete = 50014,
        kCommandSelectAll = 50015,
        kCommandSaveAll = 20105,
        kCommandFirstRecent = 20150,
        kCommandInvertSelection = 20208,
        kCommandShowEnvelope = 20301,
        kCommandShowTransientShaper = 20302,
        kCommandShowEqualizer = 20303,
        kCommandShowGrid = 20307,
        kCommandExportAsOneSample = 20401,
        kCommandSilenceSelected = 20402,
        kCommandReAnalyze = 20408,
        kCommandAddSlicesAtGrid = 20409,
        kContextInvertSelection = 1733,
        kContextCopyLoop = 1741,
    };

    // None of the three is owned; all must outlive the application object.
    CZubrik(IApplicationHost& host, IDocumentWindows& windows, IApplicationPreferences& preferences,
            const CDocumentServices& documentServices = GetDefaultDocumentServices());
    ~CZubrik() override;
    CZubrik(const CZubrik&) = delete;
    CZubrik& operator=(const CZubrik&) = delete;

    // ---- Callbacks; each returns 12000 or the result code of its failure ----
    // Reads the preferences and opens the files, or the empty start-up
    // document when there are none.
    int32_t Start(const std::vector<std::filesystem::path>& files);
    // Writes the preferences, telling of a failure and going on.
    int32_t Quit();
    int32_t NewDocument(int32_t requestCode);
    int32_t OpenFiles(const std::vector<std::filesystem::path>& files);
    // extraModifier: Shift was held.
    int32_t Command(int32_t command, bool extraModifier = false);

    // Asks to save a document that needs it, then closes its window. False
    // when the window stays open.
    bool CloseDocument(CZubrikDocument& document, bool quitting);
    // Closes every window in turn; false (and the quit called off) when one
    // stays open.
    bool CloseAll();

    // ---- Audio output (owned here; the window plays through these) ----
    // Opens the sound card: the device saved in the preferences, else the
    // default device and then every device in order. A saved device that is
    // gone gives alert 1113, one that cannot be opened 1110, and no device
    // at all 1000; the program goes on without sound. The front end calls it
    // once after Start.
    int32_t StartAudio();
    // Saves the device's settings into the preferences and closes it (Quit
    // saves them too); the destructor calls it. A saved device that was
    // missing or failed at start stays saved (it may be back next time)
    // until the user chooses another with SelectAudioDevice.
    void StopAudio();
    // Null before StartAudio and after StopAudio.
    CAudioCardManager* GetAudioOutput() { return fAudio; }
    // Plays the document: its sequencer becomes what the sound card plays,
    // then the play command of that mode (CZubrikDocument::EPlayMode;
    // frame for kPlayingSliceAtPosition) is posted. The listener (may be
    // null) hears on the GUI thread when playing starts and, from Idle,
    // when it stops. Without a working device nothing happens.
    int32_t Play(CZubrikDocument& document, int32_t playMode, int32_t frame = 0,
                 IWavePlayerListener* listener = nullptr);
    // The document's "Stop": stops and waits when it plays, else moves its
    // cursor back, as the sequencer's Stop does.
    int32_t Stop(CZubrikDocument& document);
    // The playing document's peaks since the last call (meter views).
    struct SPeaks {
        float fLeft = 0.0f;
        float fRight = 0.0f;
        bool fClipped = false;
    };
    SPeaks TakePeaks(CZubrikDocument& document);
    // Idle time between events: the device library, and the wave player,
    // which reports the end of playing from here.
    void Idle();
    // The application became inactive / active again.
    void Suspend();
    void Resume();
    // The audio page of the preferences: opens the device of that name at
    // that rate and buffer size (0: the device's rate, the usual buffer;
    // alerts 1113 or 1110 when it cannot). Documents follow a new rate.
    int32_t SelectAudioDevice(const std::string& name, int32_t sampleRate = 0, int32_t bufferFrames = 0);
    // The player lets go of a document that is about to be destroyed
    // (CloseDocument does this; a front end that destroys a document
    // another way calls it first).
    void ReleaseFromPlayer(CZubrikDocument& document);
    // A new device rate reaches every document's sequencer.
    void AudioCardManagerChanged() override;

    // The one way a file becomes a document, for the window and the command
    // line alike: a loop file keeps its slices and settings, any other file
    // is read by readSoundFile and analysed afresh. opened takes the document
    // (fromLoopFile: it came from a loop file) before the old-file notes of a
    // loop file show.
    using TSoundFileReader = std::function<std::unique_ptr<CABCWaveSample>(const std::filesystem::path&)>;
    using TDocumentOpened = std::function<void(std::unique_ptr<CZubrikDocument> document, bool fromLoopFile)>;
    static void OpenDocumentFile(const std::filesystem::path& file, const TSoundFileReader& readSoundFile,
                                 IDocumentPreferences& preferences, const CDocumentServices& services,
                                 const TDocumentOpened& opened);

    bool IsStarted() const { return fStarted; }
    bool IsFirstRun() const { return fFirstRun; }
    CRecentlyUsedDocuments& GetRecentlyUsedDocuments() { return fRecent; }
    void RecentlyUsedDocumentsChanged() override {}

private:
    void OpenDocument(const std::filesystem::path& file);
    void OpenRecent(size_t index);
    // Copy Loop: the three forms onto the clipboard, or nothing when the
    // copy was cancelled.
    void CopyLoop(CZubrikDocument& document);
    // Paste as New Document: the clipboard's WAVE form, read with every check
    // of an opened sound file, as a new analysed "Untitled" document.
    void PasteAsNewDocument();
    // False for a command that is not a document command.
    bool DispatchToDocument(int32_t command, bool extraModifier, CZubrikDocument& document);
    void OpenSavedAudioDevice();
    // Into the preferences: the open device's settings, unless the saved
    // device was missing at start and the user has not chosen another.
    void SaveAudioSettings();

    IApplicationHost& fHost;
    IDocumentWindows& fWindows;
    IApplicationPreferences& fPreferences;
    CDocumentServices fDocumentServices;
    CRecentlyUsedDocuments fRecent;
    bool fFirstRun = false;
    bool fStarted = false;
    CAudioCardManager* fAudio = nullptr;
    bool fKeepSavedAudioSettings = false;
};

} // namespace NSZubrik
