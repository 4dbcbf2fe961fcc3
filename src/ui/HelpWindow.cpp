#include "ui/HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "app/ResourceIds.h"
#include "app/StringTables.h"

namespace NSZubrik {

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QString ManualIn(const QString& folder) { return folder + QStringLiteral("/manual.md"); }

} // namespace

QString HelpTopicHeading(int32_t helpId)
{
    switch (helpId) {
    case kHelpTopicFirstSteps: return QStringLiteral("First steps");
    case kHelpTopicLoopLength: return QStringLiteral("Loop length and tempo");
    default: return {};
    }
}

QString FindManual()
{
    // An installed program finds its manual relative to itself, so that a
    // package unpacked anywhere still has its help.
    const QStringList candidates = {
        ManualIn(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/zubrik")),
        ManualIn(QStringLiteral(ZUBRIK_DOC_DIR)),
        ManualIn(QStringLiteral(ZUBRIK_SOURCE_DIR "/docs")),
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isReadable())
            return QFileInfo(candidate).canonicalFilePath();
    return {};
}

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(Text(NSStrings::kProductName) + QStringLiteral(" \u2014 ") + Text(NSStrings::kHelpWindowTitle));
    fBrowser = new QTextBrowser;
    fBrowser->setOpenExternalLinks(true);
    fFind = new QLineEdit;
    fFind->setObjectName(QStringLiteral("helpFind"));
    fFind->setClearButtonEnabled(true);
    auto* next = new QPushButton(Text(NSStrings::kHelpFindNext));
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(new QLabel(Text(NSStrings::kHelpFind)));
    findRow->addWidget(fFind, 1);
    findRow->addWidget(next);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(fBrowser, 1);
    connect(fFind, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(next, &QPushButton::clicked, this, [this] { FindNext(false); });
    auto* previous = new QShortcut(QKeySequence::FindPrevious, this);
    connect(previous, &QShortcut::activated, this, [this] { FindNext(true); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, &CHelpWindow::FocusFind);
    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(980, 760);
}

bool CHelpWindow::Load(const QString& manualFile)
{
    if (manualFile.isEmpty() || !QFileInfo(manualFile).isReadable())
        return false;
    // As a source the pictures load relative to the manual's folder.
    fBrowser->setSource(QUrl::fromLocalFile(manualFile), QTextDocument::MarkdownResource);
    FitPictures(QFileInfo(manualFile).absolutePath());
    return !fBrowser->document()->isEmpty();
}

void CHelpWindow::FitPictures(const QString& folder)
{
    // Pictures of the whole window are wider than the page, and those taken
    // at twice the density twice as wide again: each is given its size on
    // the page up front, so that the page is laid out once and a topic's
    // heading stays where it was scrolled to.
    constexpr int kWidest = 880;
    std::vector<std::pair<QTextFragment, QTextImageFormat>> pictures;
    for (QTextBlock block = fBrowser->document()->begin(); block.isValid(); block = block.next())
        for (auto part = block.begin(); !part.atEnd(); ++part)
            if (part.fragment().charFormat().isImageFormat())
                pictures.emplace_back(part.fragment(), part.fragment().charFormat().toImageFormat());
    for (auto& [fragment, format] : pictures) {
        QSizeF size = QImageReader(folder + QLatin1Char('/') + format.name()).size();
        if (size.isEmpty())
            continue;
        if (format.name().contains(QStringLiteral("@2x")))
            size /= 2;
        if (size.width() > kWidest)
            size *= kWidest / size.width();
        format.setWidth(size.width());
        format.setHeight(size.height());
        QTextCursor cursor(fBrowser->document());
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
}

void CHelpWindow::ShowTopic(int32_t helpId)
{
    const QString heading = HelpTopicHeading(helpId);
    QTextDocument& document = *fBrowser->document();
    for (QTextBlock block = document.begin(); block.isValid() && !heading.isEmpty(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.text() != heading)
            continue;
        QTextCursor cursor(block);
        fBrowser->setTextCursor(cursor);
        const QRectF place = document.documentLayout()->blockBoundingRect(block);
        fBrowser->verticalScrollBar()->setValue(int(place.top()));
        return;
    }
    fBrowser->moveCursor(QTextCursor::Start);
    fBrowser->verticalScrollBar()->setValue(0);
}

void CHelpWindow::FocusFind()
{
    fFind->setFocus(Qt::ShortcutFocusReason);
    fFind->selectAll();
}

void CHelpWindow::FindNext(bool backwards)
{
    const QString text = fFind->text();
    if (text.isEmpty())
        return;
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (fBrowser->find(text, flags))
        return;
    // Past the last match the search starts over from the other end.
    fBrowser->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    fBrowser->find(text, flags);
}

} // namespace NSZubrik
