#include "ui/ZubrikMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "platform/framekit/FrameKitDialogs.h"
#include "ui/ZubrikCommands.h"

namespace NSZubrik {

namespace {

using namespace NSCommands;

struct SItem {
    int32_t fTextEntry;  // 0: a separator
    int32_t fCommand;
    int32_t fList = kProgramStringList;
};

struct SMenu {
    int32_t fTitleEntry;
    std::vector<SItem> fItems;
};

const std::vector<SMenu>& MenuTable()
{
    static const std::vector<SMenu> menus = {
        {20100,
         {{20101, kOpen}, {20102, kClose}, {0, 0}, {20103, kSave}, {20104, kSaveAs}, {20105, kSaveAll}, {0, 0},
          {20106, kExport}, {0, 0}, {NSSharedStrings::kExit, kExit, kSharedStringList}}},
        {20200,
         {{20201, kUndo}, {20202, kRedo}, {0, 0}, {20203, kCut}, {20204, kCopy}, {20205, kPaste}, {20206, kClear},
          {0, 0}, {20207, kSelectAll}, {20208, kInvertSelection}, {0, 0},
          {NSSharedStrings::kPreferences, kPreferences, kSharedStringList}}},
        {20300,
         {{20301, kShowEnvelope}, {20302, kShowTransientShaper}, {20303, kShowEqualizer}, {0, 0},
          {20304, kMagnifyToFit}, {20305, kMagnifyToFitLoop}, {20306, kJumpToCursor}, {0, 0}, {20307, kShowGrid},
          {20308, kScrollDuringPlayback}}},
        {20400,
         {{20401, kExportAsOneSample}, {20402, kSilenceSelected}, {0, 0}, {20403, kNormalize},
          {20404, kConvertToMono}, {20405, kConvertSampleFormat}, {20406, kCropLoop}, {20407, kRemoveDC}, {0, 0},
          {20408, kReAnalyze}, {20409, kAddSlicesAtGrid}}},
        {20500, {{20501, kHelpContents}, {20502, kHelpSearch}, {0, 0}, {20503, kWebSite}, {20504, kTechnicalSupport}}},
    };
    return menus;
}

// Commands whose items are check items.
bool IsCheckItem(int32_t command)
{
    switch (command) {
    case kShowEnvelope:
    case kShowTransientShaper:
    case kShowEqualizer:
    case kShowGrid:
    case kScrollDuringPlayback:
    case kExportAsOneSample:
    case kSilenceSelected: return true;
    default: return false;
    }
}

} // namespace

CZubrikMenus::CZubrikMenus(QMenuBar& menuBar, TCommandHandler handler) : fHandler(std::move(handler))
{
    for (const SMenu& table : MenuTable()) {
        const NSFrameKit::SItemText title = NSFrameKit::ParseItemText(GetString(kProgramStringList, table.fTitleEntry));
        QMenu* menu = menuBar.addMenu(title.fText);
        fMenus[table.fTitleEntry] = menu;
        for (const SItem& item : table.fItems) {
            if (item.fTextEntry == 0) {
                QAction* separator = menu->addSeparator();
                // The recent documents go above the last separator of the
                // File menu, the one before Exit.
                if (table.fTitleEntry == 20100)
                    fRecentSeparator = separator;
                continue;
            }
            Add(*menu, GetString(item.fList, item.fTextEntry), item.fCommand);
        }
    }
    fFileMenu = fMenus[20100];
}

QAction* CZubrikMenus::Add(QMenu& menu, const std::string& text, int32_t command)
{
    const NSFrameKit::SItemText item = NSFrameKit::ParseItemText(text);
    QAction* action = menu.addAction(item.fText);
    action->setShortcut(item.fShortcut);
    action->setCheckable(IsCheckItem(command));
    action->setData(command);
    QObject::connect(action, &QAction::triggered, action, [this, command] { fHandler(command); });
    fActions.emplace(command, action);
    return action;
}

QAction* CZubrikMenus::Find(int32_t command) const
{
    const auto found = fActions.find(command);
    return found == fActions.end() ? nullptr : found->second;
}

QMenu* CZubrikMenus::FindMenu(int32_t titleEntry) const
{
    const auto found = fMenus.find(titleEntry);
    return found == fMenus.end() ? nullptr : found->second;
}

void CZubrikMenus::SetItemText(int32_t command, int32_t textEntry)
{
    const NSFrameKit::SItemText item = NSFrameKit::ParseItemText(GetString(kProgramStringList, textEntry));
    QAction* action = Find(command);
    action->setText(item.fText);
    action->setShortcut(item.fShortcut);
}

void CZubrikMenus::SetStepText(int32_t command, bool possible, int32_t namedEntry, const std::u16string& name,
                               int32_t impossibleEntry)
{
    QAction* action = Find(command);
    if (possible) {
        const std::string utf8Name = QString::fromStdU16String(name).toStdString();
        action->setText(QStringLiteral("&") +
                        QString::fromStdString(GetString(kProgramStringList, namedEntry, {utf8Name})));
    } else {
        SetItemText(command, impossibleEntry);
    }
    action->setEnabled(possible);
}

void CZubrikMenus::Update(const CZubrikDocument& document, const SMenuState& state)
{
    const bool field = state.fTextFieldFocused;
    // Undo and Redo name the step they would take.
    SetStepText(kUndo, document.CanUndo(), NSStrings::kUndoMenuItem, document.GetUndoName(), 20211);
    SetStepText(kRedo, document.CanRedo(), NSStrings::kRedoMenuItem, document.GetRedoName(), 20212);

    // A focused text field takes the clipboard items under their plain names.
    SetItemText(kCopy, field ? 20214 : 20204);
    SetItemText(kPaste, field ? 20215 : 20205);
    SetItemText(kClear, field ? 20216 : 20206);
    const bool anyShown = document.CountShownSlices() > 0;
    Find(kCut)->setEnabled(field);
    // Copy Loop and Paste as New Document work on any document.
    Find(kCopy)->setEnabled(true);
    Find(kPaste)->setEnabled(true);
    Find(kClear)->setEnabled(field || document.CountShownSelectedSlices() > 0);
    Find(kSelectAll)->setEnabled(field || anyShown);
    Find(kInvertSelection)->setEnabled(anyShown);

    const SViewAndEditAttributes& view = document.GetViewAndEditAttributes();
    Find(kShowEnvelope)->setChecked(view.fEnvelopeShown);
    Find(kShowTransientShaper)->setChecked(view.fTransientShaperShown);
    Find(kShowEqualizer)->setChecked(view.fEqualizerShown);
    Find(kShowGrid)->setChecked(view.fGridShown);
    Find(kScrollDuringPlayback)->setChecked(state.fScrollDuringPlayback);
    Find(kExportAsOneSample)->setChecked(document.IsExportAsOneSample());
    Find(kSilenceSelected)->setChecked(document.GetParameters().fSilenceSelected);
    UpdateRecent(state);
}

void CZubrikMenus::UpdateRecent(const SMenuState& state)
{
    // Later, not now: the item being chosen may be among them.
    for (QAction* action : fRecentActions) {
        fActions.erase(action->data().toInt());
        fFileMenu->removeAction(action);
        action->deleteLater();
    }
    fRecentActions.clear();
    if (state.fRecent == nullptr || fRecentSeparator == nullptr)
        return;
    int32_t index = 0;
    for (const CRecentlyUsedDocuments::SEntry& entry : *state.fRecent) {
        const int32_t command = kFirstRecent + index;
        QString name = QString::fromStdU16String(entry.fName);
        name.replace('&', QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(index + 1).arg(name), fFileMenu);
        action->setData(command);
        action->setToolTip(QString::fromStdString(entry.fFile.string()));
        QObject::connect(action, &QAction::triggered, action, [this, command] { fHandler(command); });
        fFileMenu->insertAction(fRecentSeparator, action);
        fActions[command] = action;
        fRecentActions.push_back(action);
        ++index;
    }
    if (!fRecentActions.empty()) {
        auto* separator = new QAction(fFileMenu);
        separator->setSeparator(true);
        separator->setData(0);
        fFileMenu->insertAction(fRecentActions.front(), separator);
        fRecentActions.insert(fRecentActions.begin(), separator);
    }
}

void CZubrikMenus::ShowSliceContextMenu(QWidget* parent, const CZubrikDocument& document, int32_t sliceIndex,
                                        const QPoint& globalPosition, const TCommandHandler& handler)
{
    const CSliceSequence& slices = document.GetSliceSequence();
    if (sliceIndex < 0 || sliceIndex >= slices.GetCount())
        return;
    const CSlice& slice = slices.GetSlice(sliceIndex);
    static constexpr int32_t kCommands[] = {kContextCopyLoop,          kContextSetLeftLocator,  kContextSetRightLocator,
                                            kContextSetLoop,           kContextJumpToCursor,    kContextMagnifyToFit,
                                            kContextMagnifyToFitLoop,  kContextMagnifyToFitSlice, kContextSelectAll,
                                            kContextInvertSelection,   kContextLocked,          kContextMuted,
                                            kContextDelete};
    QMenu menu(parent);
    int32_t entry = NSStrings::kSliceContextMenu;
    for (int32_t command : kCommands) {
        if (command == kContextJumpToCursor || command == kContextSelectAll || command == kContextLocked ||
            command == kContextDelete)
            menu.addSeparator();
        QAction* action = menu.addAction(QString::fromStdString(GetString(kProgramStringList, entry++)));
        action->setData(command);
        if (command == kContextLocked || command == kContextMuted) {
            action->setCheckable(true);
            action->setChecked(command == kContextLocked ? slice.IsLocked() : slice.IsMuted());
        }
        QObject::connect(action, &QAction::triggered, &menu, [&handler, command] { handler(command); });
    }
    menu.exec(globalPosition);
}

} // namespace NSZubrik
