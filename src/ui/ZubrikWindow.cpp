#include "ui/ZubrikWindow.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/SampleProcessing.h"
#include "document/ZubrikDocument.h"
#include "ui/toolbars/DocumentToolBars.h"
#include "ui/toolbars/Knob.h"
#include "ui/DragOut.h"
#include "ui/ExportDialogs.h"
#include "ui/ProcessDialogs.h"
#include "ui/StatusBar.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/ZubrikApplication.h"
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikMenus.h"

namespace NSZubrik {

using namespace NSCommands;

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QWidget* FocusedTextField()
{
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) != nullptr || qobject_cast<QAbstractSpinBox*>(focus) != nullptr ||
        qobject_cast<QTextEdit*>(focus) != nullptr || qobject_cast<QPlainTextEdit*>(focus) != nullptr)
        return focus;
    return nullptr;
}

// A knob or fader with the keyboard focus keeps the keys that step it.
bool FocusedControlTakes(int key)
{
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<CKnob*>(focus) == nullptr && qobject_cast<QAbstractSlider*>(focus) == nullptr)
        return false;
    switch (key) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End: case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

// Cut, Copy, Paste, Clear and Select All of a focused text field.
bool SendToTextField(QWidget* field, int32_t command)
{
    const char* slot = nullptr;
    switch (command) {
    case kCut: slot = "cut"; break;
    case kCopy: slot = "copy"; break;
    case kPaste: slot = "paste"; break;
    case kClear: slot = "clear"; break;
    case kSelectAll: slot = "selectAll"; break;
    default: return false;
    }
    if (auto* spinBox = qobject_cast<QAbstractSpinBox*>(field); spinBox != nullptr && command != kSelectAll) {
        // A spin box reaches its text through its line edit.
        field = spinBox->findChild<QLineEdit*>();
        if (field == nullptr)
            return false;
        if (command == kClear) {
            static_cast<QLineEdit*>(field)->del();
            return true;
        }
    } else if (qobject_cast<QLineEdit*>(field) != nullptr && command == kClear) {
        static_cast<QLineEdit*>(field)->del();
        return true;
    }
    return QMetaObject::invokeMethod(field, slot);
}

} // namespace

CZubrikWindow::CZubrikWindow(CZubrikApplication& application, std::unique_ptr<CZubrikDocument> document)
    : fApplication(application), fDocument(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAcceptDrops(true);
    // The tool bars sit above the waveform in one column; they neither float
    // nor move, and the panels that hide take their room with them.
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    fToolBars = new CDocumentToolBars(*fDocument, column);
    fView = new CWaveformDisplayGroupView(*fDocument, column);
    layout->addWidget(fToolBars);
    layout->addWidget(fView, 1);
    setCentralWidget(column);
    fMenus = std::make_unique<CZubrikMenus>(*menuBar(), [this](int32_t command) { RunCommand(command); });
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CZubrikWindow::UpdateMenus);

    connect(fToolBars, &CDocumentToolBars::CommandRequested, this, [this](int32_t command) { RunCommand(command); });
    connect(fToolBars, &CDocumentToolBars::PlayRequested, this, [this](int32_t playMode) {
        CZubrik& zubrik = fApplication.GetApplication();
        fApplication.RunWork([&] {
            if (playMode == CZubrikDocument::kNotPlaying)
                zubrik.Stop(*fDocument);
            else
                zubrik.Play(*fDocument, playMode);
        });
    });

    fStatusBar = new CStatusBar(*fDocument, *this);
    setStatusBar(fStatusBar);
    connect(fView, &CWaveformDisplayGroupView::HintChanged, fStatusBar, &CStatusBar::ShowInfo);
    connect(fView, &CWaveformDisplayGroupView::SlicePlayRequested, this, [this](int32_t frame) {
        fApplication.RunWork(
            [&] { fApplication.GetApplication().Play(*fDocument, CZubrikDocument::kPlayingSliceAtPosition, frame); });
    });
    connect(fView, &CWaveformDisplayGroupView::SliceContextMenuRequested, this,
            [this](int32_t sliceIndex, const QPoint& position) {
                CZubrikMenus::ShowSliceContextMenu(this, *fDocument, sliceIndex, position,
                                                   [this, sliceIndex](int32_t command) {
                                                       HandleSliceCommand(command, sliceIndex);
                                                   });
            });
    connect(fView, &CWaveformDisplayGroupView::DragOutRequested, this, &CZubrikWindow::DragOut);
    PreferencesChanged();
    fApplication.GetPreferences().AddListener(this);

    const int width = fDocument->GetWindowWidth() > 200 ? fDocument->GetWindowWidth() : kDefaultWidth;
    const int height = fDocument->GetWindowHeight() > 150 ? fDocument->GetWindowHeight() : kDefaultHeight;
    resize(width, height);
    if (fDocument->IsWindowMaximised())
        setWindowState(Qt::WindowMaximized);
    fDocument->AddListener(*this);
    UpdateTitle();
    UpdateMenus();
    fView->setFocus();
    QApplication::instance()->installEventFilter(this);
}

CZubrikWindow::~CZubrikWindow()
{
    fApplication.GetPreferences().RemoveListener(this);
    fDocument->RemoveListener(*this);
    // The views read the document until they go.
    delete fView;
    fView = nullptr;
    delete fToolBars;
    fToolBars = nullptr;
    delete fStatusBar;
    fStatusBar = nullptr;
}

void CZubrikWindow::RunCommand(int32_t command)
{
    // The edit commands go to a focused text field before the document.
    if (command >= kCut && command <= kSelectAll)
        if (QWidget* field = FocusedTextField(); field != nullptr && SendToTextField(field, command))
            return;
    uint32_t modifiers = NSFrameKit::kNoModifier;
    if (QApplication::keyboardModifiers() & Qt::ShiftModifier)
        modifiers |= NSFrameKit::kShift;
    fApplication.WindowActivated(*this);
    fApplication.RunCommand(command, modifiers);
}

// ------------------------------------------------------------------ commands

bool CZubrikWindow::HandleCommand(int32_t command)
{
    switch (command) {
    case kMagnifyToFit:
    case kContextMagnifyToFit: fView->MagnifyToFit(); return true;
    case kMagnifyToFitLoop:
    case kContextMagnifyToFitLoop: fView->MagnifyToFitLoop(); return true;
    case kJumpToCursor:
    case kContextJumpToCursor: fView->JumpToCursor(); return true;
    case kScrollDuringPlayback: ToggleScrollDuringPlayback(); return true;
    case kExport:
        ExportFromWindow(this, *fDocument, fApplication.GetPreferences(), fApplication.GetLengthyServices());
        return true;
    case kNormalize:
    case kConvertToMono:
    case kConvertSampleFormat:
    case kCropLoop:
    case kRemoveDC: ProcessCommand(command); return true;
    default: return false;
    }
}

void CZubrikWindow::ProcessCommand(int32_t command)
{
    CZubrikPreferences& preferences = fApplication.GetPreferences();
    CSampleProcessor processor(*fDocument);
    switch (command) {
    case kNormalize: processor.Normalize(); break;
    case kConvertToMono:
        if (std::optional<int32_t> source = AskForMonoSource(this, preferences.GetConversionMode())) {
            preferences.SetConversionMode(*source);
            processor.ConvertToMono(static_cast<EMonoSource>(*source));
        }
        break;
    case kConvertSampleFormat:
        if (auto format = AskForSampleFormat(this, preferences.GetConversionSampleRate(),
                                             preferences.GetConversionBitDepth())) {
            preferences.SetConversionSampleRate(format->first);
            preferences.SetConversionBitDepth(format->second);
            processor.ConvertSampleFormat(format->first, format->second);
        }
        break;
    case kCropLoop: processor.CropLoop(); break;
    case kRemoveDC: processor.RemoveDC(); break;
    default: break;
    }
    fDocument->Notify();
}

void CZubrikWindow::DragOut(int32_t sliceIndex, bool asMidi)
{
    QMimeData* data = nullptr;
    fApplication.RunWork([&] {
        data = MakeDragOutData(*fDocument, sliceIndex, asMidi, fApplication.GetPreferences().HasNoRingOut());
    });
    if (data == nullptr)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

void CZubrikWindow::HandleSliceCommand(int32_t command, int32_t sliceIndex)
{
    const CSliceSequence& slices = fDocument->GetSliceSequence();
    if (sliceIndex < 0 || sliceIndex >= slices.GetCount())
        return;
    const int32_t frame = slices.GetSlice(sliceIndex).GetPosition();
    const bool selected = slices.GetSlice(sliceIndex).IsSelected();
    switch (command) {
    case kContextMagnifyToFitSlice: fView->MagnifyToFitSlice(sliceIndex); return;
    case kContextSelectAll: RunCommand(kSelectAll); return;
    case kContextMagnifyToFit:
    case kContextMagnifyToFitLoop:
    case kContextJumpToCursor:
    case kContextCopyLoop:
    case kContextInvertSelection: RunCommand(command); return;
    default: break;
    }
    fApplication.RunWork([&] {
        switch (command) {
        case kContextSetLeftLocator: fDocument->SetLeftLocatorToSlice(frame); break;
        case kContextSetRightLocator: fDocument->SetRightLocatorToSlice(frame); break;
        case kContextSetLoop: fDocument->SetLoopAroundSlice(frame); break;
        case kContextLocked: fDocument->LockSlices(frame); break;
        case kContextMuted: fDocument->MuteSlices(frame); break;
        case kContextDelete:
            if (!selected)
                fDocument->SelectSlice(frame, false);
            fDocument->DeleteSelectedSlices();
            break;
        default: break;
        }
    });
}

void CZubrikWindow::ToggleScrollDuringPlayback()
{
    CZubrikPreferences& preferences = fApplication.GetPreferences();
    // Every window's view and menu hear of it as listeners of the
    // preferences.
    preferences.SetScrollDuringPlayback(!preferences.GetScrollDuringPlayback());
}

void CZubrikWindow::SetSensitivity(int32_t sensitivity)
{
    fApplication.RunWork([&] { fDocument->SetSensitivity(std::clamp(sensitivity, 0, 99)); });
}

// ------------------------------------------------------------------ keys

bool CZubrikWindow::HandleKey(int key, Qt::KeyboardModifiers modifiers)
{
    CZubrikDocument& document = *fDocument;
    CZubrikSequencer& sequencer = document.GetSequencer();
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    const bool hasSlices = sequencer.GetSegmentCount() > 0 || document.CountShownSlices() > 0;
    auto run = [this](auto&& work) {
        fApplication.RunWork(work);
        return true;
    };
    CZubrik& zubrik = fApplication.GetApplication();
    auto play = [&](int32_t mode) { return run([&] { zubrik.Play(document, mode); }); };
    if (keypad && (key == Qt::Key_Enter || key == Qt::Key_Return))
        return play(CZubrikDocument::kPlayingLoop);
    if (key == Qt::Key_Space && !ctrl) {
        if (sequencer.IsPlaying())
            return run([&] { zubrik.Stop(document); });
        return play(CZubrikDocument::kPlayingLoop);
    }
    if ((key == Qt::Key_Up && !keypad) || (keypad && (key == Qt::Key_8 || key == Qt::Key_Up)))
        return play(CZubrikDocument::kPlayingCurrentSlice);
    if (keypad && (key == Qt::Key_7 || key == Qt::Key_Home))
        return play(CZubrikDocument::kPlayingPreviousSlice);
    if (keypad && (key == Qt::Key_9 || key == Qt::Key_PageUp))
        return play(CZubrikDocument::kPlayingCurrentSliceAndAdvance);
    if (keypad && (key == Qt::Key_0 || key == Qt::Key_Insert))
        return run([&] { zubrik.Stop(document); });
    if (ctrl && !keypad && key >= Qt::Key_1 && key <= Qt::Key_4)
        return run([&] { document.SetTool(SViewAndEditAttributes::kArrowTool + (key - Qt::Key_1)); });
    if (ctrl && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
        fView->MagnifyIn();
        return true;
    }
    if (ctrl && key == Qt::Key_Minus) {
        fView->MagnifyOut();
        return true;
    }
    if (ctrl)
        return false;
    if (key == Qt::Key_Backspace)
        return run([&] { document.DeleteSelectedSlices(); });
    if ((key == Qt::Key_Left && !keypad) || (keypad && (key == Qt::Key_4 || key == Qt::Key_Left)))
        return run([&] { if (hasSlices) sequencer.CursorToPrevious(); });
    if ((key == Qt::Key_Right && !keypad) || (keypad && (key == Qt::Key_6 || key == Qt::Key_Right)))
        return run([&] { if (hasSlices) sequencer.CursorToNext(); });
    if (keypad && (key == Qt::Key_1 || key == Qt::Key_End))
        return run([&] { if (hasSlices) sequencer.CursorToLoopStart(); });
    if (keypad && (key == Qt::Key_2 || key == Qt::Key_Down))
        return run([&] { if (hasSlices) sequencer.CursorToLoopEnd(); });
    if (keypad && (key == Qt::Key_3 || key == Qt::Key_5 || key == Qt::Key_PageDown || key == Qt::Key_Clear))
        return true;
    const int32_t sensitivity = document.GetSliceSequence().GetSensitivity();
    if (!keypad && key >= Qt::Key_0 && key <= Qt::Key_9) {
        SetSensitivity((key - Qt::Key_0) * 11);
        return true;
    }
    if (key == Qt::Key_Plus) {
        SetSensitivity(std::min(99, sensitivity + 1));
        return true;
    }
    if (key == Qt::Key_Minus) {
        SetSensitivity(std::max(0, sensitivity - 1));
        return true;
    }
    if (key == Qt::Key_F) {
        ToggleScrollDuringPlayback();
        return true;
    }
    return false;
}

bool CZubrikWindow::eventFilter(QObject* receiver, QEvent* event)
{
    // The window's keys come first wherever the focus is inside it, except
    // in a text field, which keeps its own keys; the views' children (scroll
    // bars and the like) would otherwise take the arrows and digits.
    if (event->type() == QEvent::KeyPress && receiver->isWidgetType() &&
        static_cast<QWidget*>(receiver)->window() == this && FocusedTextField() == nullptr) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!FocusedControlTakes(key->key()) && HandleKey(key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(receiver, event);
}

// ------------------------------------------------------------------ state

void CZubrikWindow::UpdateMenus()
{
    SMenuState state;
    state.fTextFieldFocused = FocusedTextField() != nullptr;
    state.fScrollDuringPlayback = fApplication.GetPreferences().GetScrollDuringPlayback();
    state.fRecent = &fApplication.GetApplication().GetRecentlyUsedDocuments().GetEntries();
    fMenus->Update(*fDocument, state);
}

void CZubrikWindow::UpdateTitle()
{
    setWindowTitle(QString::fromStdU16String(fDocument->GetName()) + QStringLiteral("[*] \u2014 ") +
                   Text(NSStrings::kProductName));
    setWindowModified(fDocument->NeedsSaving());
}

void CZubrikWindow::RefreshPlayCursor()
{
    const CZubrikSequencer& sequencer = fDocument->GetSequencer();
    const bool playing = sequencer.IsPlaying();
    if (!playing && !fWasPlaying)
        return;
    fWasPlaying = playing;
    fView->SetPlayCursor(playing && sequencer.IsShownPositionValid() ? sequencer.GetShownPosition() : -1);
}

void CZubrikWindow::ParametersChanged(CZubrikDocument&) {}

void CZubrikWindow::SlicesChanged(CZubrikDocument&) { UpdateMenus(); }

void CZubrikWindow::WaveSampleChanged(CZubrikDocument&) { fView->MagnifyToFit(); }

void CZubrikWindow::ViewAndEditAttributesChanged(CZubrikDocument&)
{
    UpdateMenus();
}

void CZubrikWindow::UndoStateChanged(CZubrikDocument&) { UpdateMenus(); }

void CZubrikWindow::TitleChanged(CZubrikDocument&) { UpdateTitle(); }

void CZubrikWindow::PlaybackChanged(CZubrikDocument&) { RefreshPlayCursor(); }

void CZubrikWindow::PreferencesChanged()
{
    const CZubrikPreferences& preferences = fApplication.GetPreferences();
    fView->SetScrollDuringPlayback(preferences.GetScrollDuringPlayback());
    fView->SetShowChannelsSummed(preferences.GetViewStereoAsSum());
    fView->SetWaveStyle({preferences.GetWaveformColor(), preferences.GetContrast(), preferences.GetDisplayStyle()});
    fView->SetShowingFrames(preferences.GetPositionUnit() == 1);
    fToolBars->SetLargeIcons(preferences.GetLargeToolbarIcons());
    UpdateMenus();
}

// ------------------------------------------------------------------ window events

void CZubrikWindow::CloseForGood()
{
    fClosing = true;
    close();
    deleteLater();
}

void CZubrikWindow::closeEvent(QCloseEvent* event)
{
    if (fClosing) {
        event->accept();
        return;
    }
    // The application object asks to save and closes the window itself.
    event->ignore();
    fApplication.CloseRequested(*this);
}

void CZubrikWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        fApplication.WindowActivated(*this);
    QMainWindow::changeEvent(event);
}

void CZubrikWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!isMaximized())
        fDocument->SetWindowSize(width(), height(), false);
    else
        fDocument->SetWindowSize(fDocument->GetWindowWidth(), fDocument->GetWindowHeight(), true);
}

void CZubrikWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CZubrikWindow::dropEvent(QDropEvent* event)
{
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.emplace_back(url.toLocalFile().toStdString());
    if (files.empty())
        return;
    event->acceptProposedAction();
    fApplication.OpenFiles(files);
}

} // namespace NSZubrik
