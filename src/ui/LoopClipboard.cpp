#include "ui/LoopClipboard.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

namespace NSZubrik {

QStringList MimeTypesOf(const std::string& flavour)
{
    if (flavour == kMIDIFlavour)
        return {QStringLiteral("audio/midi"), QStringLiteral("audio/x-midi")};
    if (flavour == kWaveFlavour)
        return {QStringLiteral("audio/wav"), QStringLiteral("audio/x-wav"), QStringLiteral("audio/wave"),
                QStringLiteral("audio/vnd.wave")};
    if (flavour == kLoopFileFlavour)
        return {QStringLiteral("application/x-zubrik-loop")};
    return {};
}

QMimeData* MakeLoopMimeData(const std::vector<SClipboardForm>& forms)
{
    auto* data = new QMimeData;
    for (const SClipboardForm& form : forms) {
        if (form.fBytes.empty())
            continue;
        const QByteArray bytes(reinterpret_cast<const char*>(form.fBytes.data()), qsizetype(form.fBytes.size()));
        for (const QString& type : MimeTypesOf(form.fFlavour))
            data->setData(type, bytes);
    }
    return data;
}

namespace {

std::vector<uint8_t> ToBytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const uint8_t*>(bytes.constData()),
            reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size()};
}

std::vector<uint8_t> FirstWaveFile(const QMimeData& data)
{
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive) &&
            !path.endsWith(QStringLiteral(".wave"), Qt::CaseInsensitive))
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            return ToBytes(file.readAll());
    }
    return {};
}

} // namespace

std::vector<uint8_t> ClipboardBytes(const QMimeData& data, const std::string& flavour)
{
    for (const QString& type : MimeTypesOf(flavour))
        if (data.hasFormat(type)) {
            const QByteArray bytes = data.data(type);
            if (!bytes.isEmpty())
                return ToBytes(bytes);
        }
    if (flavour == kWaveFlavour && data.hasUrls())
        return FirstWaveFile(data);
    return {};
}

} // namespace NSZubrik
