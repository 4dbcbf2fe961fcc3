// The document window's menu bar: every item with its text, shortcut,
// enabled and check state, refreshed from the document, the preferences and
// the keyboard focus; and the slice context menu.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "app/Zubrik.h"

class QAction;
class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

namespace NSZubrik {

class CZubrikDocument;

// What the menus show besides the document.
struct SMenuState {
    bool fTextFieldFocused = false;
    bool fScrollDuringPlayback = true;
    const std::vector<CRecentlyUsedDocuments::SEntry>* fRecent = nullptr;
};

class CZubrikMenus {
public:
    using TCommandHandler = std::function<void(int32_t command)>;

    // Fills the menu bar; every item calls handler with its command number.
    CZubrikMenus(QMenuBar& menuBar, TCommandHandler handler);

    void Update(const CZubrikDocument& document, const SMenuState& state);

    // The item of a command (the first, for commands with several texts).
    QAction* Find(int32_t command) const;
    QMenu* FindMenu(int32_t titleEntry) const;

    // The slice context menu for one slice, each item calling handler.
    static void ShowSliceContextMenu(QWidget* parent, const CZubrikDocument& document, int32_t sliceIndex,
                                     const QPoint& globalPosition, const TCommandHandler& handler);

private:
    QAction* Add(QMenu& menu, const std::string& text, int32_t command);
    void SetItemText(int32_t command, int32_t textEntry);
    // Undo or Redo: named after the step, or the "can't" text and disabled.
    void SetStepText(int32_t command, bool possible, int32_t namedEntry, const std::u16string& name,
                     int32_t impossibleEntry);
    void UpdateRecent(const SMenuState& state);

    TCommandHandler fHandler;
    std::map<int32_t, QAction*> fActions;
    std::map<int32_t, QMenu*> fMenus;
    QMenu* fFileMenu = nullptr;
    QAction* fRecentSeparator = nullptr;
    std::vector<QAction*> fRecentActions;
};

} // namespace NSZubrik
