// The document window's slim tool bar: the four tools and the Sensitivity
// control, each reaching the same document command as its key.
#pragma once

#include <QToolBar>
#include <array>
#include <functional>

class QAction;
class QSlider;
class QSpinBox;

namespace NSZubrik {

class CZubrikDocument;

class CDocumentToolBar : public QToolBar {
public:
    // run carries out a document command inside the window's catch-all.
    CDocumentToolBar(CZubrikDocument& document, std::function<void(std::function<void()>)> run, QWidget* parent);

    // Shows the document's tool and Sensitivity.
    void Refresh();
    QSpinBox& GetSensitivityField() { return *fSensitivityField; }

private:
    void SetSensitivity(int value);

    CZubrikDocument& fDocument;
    std::function<void(std::function<void()>)> fRun;
    std::array<QAction*, 4> fTools{};
    QSlider* fSensitivity = nullptr;
    QSpinBox* fSensitivityField = nullptr;
    bool fRefreshing = false;
};

} // namespace NSZubrik
