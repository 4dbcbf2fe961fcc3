// The document window: one top-level window per open document, which owns
// the document. It shows the waveform group, the menu bar and the status
// bar, turns menu items and keys into document commands (through the
// application object where it dispatches them), asks to save on closing and
// opens files dropped on it.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "document/DocumentTypes.h"
#include "io/Preferences.h"

namespace NSZubrik {

class CDocumentToolBars;
class CStatusBar;
class CWaveformDisplayGroupView;
class CZubrikApplication;
class CZubrikDocument;
class CZubrikMenus;

class CZubrikWindow : public QMainWindow, public IDocumentListener, public IPreferencesListener {
    Q_OBJECT
public:
    static constexpr int kDefaultWidth = 1100;
    static constexpr int kDefaultHeight = 620;

    CZubrikWindow(CZubrikApplication& application, std::unique_ptr<CZubrikDocument> document);
    ~CZubrikWindow() override;

    CZubrikDocument& GetDocument() { return *fDocument; }
    CWaveformDisplayGroupView& GetView() { return *fView; }
    CZubrikMenus& GetMenus() { return *fMenus; }
    CDocumentToolBars& GetToolBars() { return *fToolBars; }
    CStatusBar& GetStatusBar() { return *fStatusBar; }

    // The commands the application object hands back to the front end:
    // views, processing with its dialogs, help, quitting. False for a
    // command the window does not know.
    bool HandleCommand(int32_t command);
    // The key map of the document window; false for a key it leaves alone.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    // An item of the slice context menu, for the slice it was opened on.
    void HandleSliceCommand(int32_t command, int32_t sliceIndex);
    // A drag out of the window that began on a slice (-1: on none).
    void DragOut(int32_t sliceIndex, bool asMidi);
    // Refreshes the menus from the document and the keyboard focus.
    void UpdateMenus();
    // Idle time: follows the play position while the preview plays.
    void RefreshPlayCursor();
    // Closes without asking (the application object has asked).
    void CloseForGood();

    void ParametersChanged(CZubrikDocument& document) override;
    void SlicesChanged(CZubrikDocument& document) override;
    void WaveSampleChanged(CZubrikDocument& document) override;
    void ViewAndEditAttributesChanged(CZubrikDocument& document) override;
    void UndoStateChanged(CZubrikDocument& document) override;
    void TitleChanged(CZubrikDocument& document) override;
    void PlaybackChanged(CZubrikDocument& document) override;
    // The view options follow the preferences (the Preferences dialog, the
    // View menu).
    void PreferencesChanged() override;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void RunCommand(int32_t command);
    void UpdateTitle();
    void ToggleScrollDuringPlayback();
    void ProcessCommand(int32_t command);
    void SetSensitivity(int32_t sensitivity);

    CZubrikApplication& fApplication;
    std::unique_ptr<CZubrikDocument> fDocument;
    CWaveformDisplayGroupView* fView = nullptr;
    std::unique_ptr<CZubrikMenus> fMenus;
    CDocumentToolBars* fToolBars = nullptr;
    CStatusBar* fStatusBar = nullptr;
    bool fClosing = false;
    bool fWasPlaying = false;
};

} // namespace NSZubrik
