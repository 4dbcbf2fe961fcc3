#include "ui/DragOut.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <filesystem>

#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "io/DragOutFiles.h"

namespace NSZubrik {

namespace {

// A new folder for each drag, so that a program still reading the files of
// the last one keeps them; all live under one folder removed at exit.
std::filesystem::path NewDragFolder()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/zubrik-drag-XXXXXX"));
    static int32_t count = 0;
    const std::filesystem::path folder = std::filesystem::path(root.path().toStdString()) / std::to_string(++count);
    std::filesystem::create_directories(folder);
    return folder;
}

std::vector<int32_t> DraggedSlices(const CZubrikDocument& document, int32_t sliceIndex)
{
    const CSliceSequence& slices = document.GetSliceSequence();
    const CSlice& pressed = slices.GetSlice(sliceIndex);
    if (!pressed.IsSelected())
        return {pressed.GetPosition()};
    std::vector<int32_t> positions;
    for (int32_t i = 0; i < slices.GetCount(); ++i)
        if (slices.IsShown(slices.GetSlice(i)) && slices.GetSlice(i).IsSelected())
            positions.push_back(slices.GetSlice(i).GetPosition());
    return positions;
}

} // namespace

QMimeData* MakeDragOutData(CZubrikDocument& document, int32_t sliceIndex, bool asMidi, bool noRingOut)
{
    if (!document.AskForLoopLength())
        return nullptr;
    const std::filesystem::path folder = NewDragFolder();
    std::vector<std::filesystem::path> files;
    if (asMidi)
        files.push_back(WriteLoopMidiDragFile(document, folder, noRingOut));
    else if (sliceIndex >= 0 && sliceIndex < document.GetSliceSequence().GetCount())
        files = WriteSliceDragFiles(document, DraggedSlices(document, sliceIndex), folder, noRingOut);
    else
        files.push_back(WriteLoopDragFile(document, folder, noRingOut));
    if (files.empty())
        return nullptr;
    QList<QUrl> urls;
    for (const std::filesystem::path& file : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

} // namespace NSZubrik
