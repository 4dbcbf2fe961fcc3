// The open dialog's information pane: the information record of the file
// the dialog shows, as a sound file's (CShownSoundFileInfo) or a loop
// file's (CShownZubrikFileInfo), with a line for a file no reader takes.
#pragma once

#include <QStackedWidget>
#include <QWidget>
#include <vector>

#include "app/OpenDialogAudition.h"
#include "app/ResourceIds.h"

class QFormLayout;
class QLabel;

namespace NSFrameKit {

// The rows of the pane, named by the string entries of their names.
namespace NSShownInfoRows {
inline constexpr int32_t kKind = NSZubrik::NSStrings::kOpenDialogInfoTexts;
inline constexpr int32_t kChannels = kKind + 1;
inline constexpr int32_t kSampleRate = kKind + 2;
inline constexpr int32_t kBitDepth = kKind + 3;
inline constexpr int32_t kLength = kKind + 4;
inline constexpr int32_t kLoop = kKind + 5;
inline constexpr int32_t kSlices = kKind + 6;
inline constexpr int32_t kLoopLength = kKind + 7;
inline constexpr int32_t kTempo = kKind + 8;
inline constexpr int32_t kExportSize = kKind + 9;
inline constexpr int32_t kCompression = kKind + 10;
inline constexpr int32_t kLoopUsage = kKind + 11;
} // namespace NSShownInfoRows

// A column of named values; the subclasses name the rows.
class CShownFileInfoForm : public QWidget {
    Q_OBJECT
public:
    // The value shown in the row named by the string entry, or an empty
    // string for a row it does not have.
    QString Value(int32_t nameEntry) const;

protected:
    CShownFileInfoForm(const std::vector<int32_t>& nameEntries, QWidget* parent);
    void SetValue(int32_t nameEntry, const QString& value);
    // Channels, sample rate, depth, length and loop of a sound.
    void ShowSound(int32_t channels, int32_t sampleRate, int32_t bitDepth, int64_t frameCount,
                   bool hasLoop, int32_t loopStart, int32_t loopEnd);

private:
    std::vector<int32_t> fNameEntries;
    std::vector<QLabel*> fValues;
};

class CShownSoundFileInfo : public CShownFileInfoForm {
    Q_OBJECT
public:
    explicit CShownSoundFileInfo(QWidget* parent = nullptr);
    void Show(const NSZubrik::SoundFileInfo& info, const std::string& format);
};

class CShownZubrikFileInfo : public CShownFileInfoForm {
    Q_OBJECT
public:
    explicit CShownZubrikFileInfo(QWidget* parent = nullptr);
    void Show(const NSZubrik::CZubrikFileInfo& info, const std::u16string& kind);
};

// The pane: nothing, one of the two forms, or the unknown-format line.
class CShownFileInfoPane : public QStackedWidget {
    Q_OBJECT
public:
    explicit CShownFileInfoPane(QWidget* parent = nullptr);
    void Show(const NSZubrik::SShownFileInfo& shown);

    CShownSoundFileInfo& GetSoundFileInfo() { return *fSound; }
    CShownZubrikFileInfo& GetZubrikFileInfo() { return *fZubrik; }
    QLabel& GetUnknownText() { return *fUnknown; }

private:
    QWidget* fNothing;
    CShownSoundFileInfo* fSound;
    CShownZubrikFileInfo* fZubrik;
    QLabel* fUnknown;
};

} // namespace NSFrameKit
