// The release notes view.
#include "shell/ReleaseNotes.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QThread>

#include "shell/AppearanceWatcher.h"

namespace harbrix {

ReleaseNotes::ReleaseNotes(const QFont& font, const QRect& frame, QWidget* parent)
    : QTextEdit(parent) {
    setGeometry(frame);
    setFont(font);
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);
    // The text keeps 10 points clear of the scroller.
    setViewportMargins(0, 0, 10, 0);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
    connect(UIMode::watcher(), &UIMode::UIModeChanged, this, [this](const QVariantMap& info) {
        render(info.value(QStringLiteral("dark")).toBool());
    });
    render(UIMode::dark());
}

ReleaseNotes* ReleaseNotes::releaseNotesWithFont(const QFont& font, const QRect& frame,
                                                 QWidget* parent) {
    if (font.family().isEmpty()) return nullptr;
    return new ReleaseNotes(font, frame, parent);
}

void ReleaseNotes::replaceLines(const QStringList& lines) {
    if (thread() != QThread::currentThread()) {
        QMetaObject::invokeMethod(
            this, [this, lines] { replaceLines(lines); }, Qt::BlockingQueuedConnection);
        return;
    }
    lines_ = lines;
    render(UIMode::dark());
}

void ReleaseNotes::render(bool dark) {
    const QString bullet = QString::fromUtf8(kBullet);
    const QString content = bullet + lines_.join(QStringLiteral("\n") + bullet);
    // Wrapped lines start under the text, not under the bullet: the tab stop and the indent
    // sit one bullet and two spaces in (a tab's own width is the text system's choice).
    const QFontMetricsF metrics(font());
    const qreal indent =
        metrics.horizontalAdvance(QString(bullet.front())) + 2 * metrics.horizontalAdvance(' ');
    clear();
    QTextBlockFormat paragraph;
    paragraph.setAlignment(Qt::AlignLeft);
    paragraph.setTabPositions({QTextOption::Tab(indent, QTextOption::LeftTab)});
    paragraph.setLeftMargin(indent);
    paragraph.setTextIndent(-indent);
    QTextCharFormat characters;
    characters.setForeground(dark ? Qt::white : Qt::black);
    characters.setFont(font());
    QTextCursor cursor(document());
    cursor.setBlockFormat(paragraph);
    cursor.setBlockCharFormat(characters);
    // Each line its own paragraph, all in the same format.
    const QStringList paragraphs = content.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) cursor.insertBlock(paragraph, characters);
        cursor.insertText(paragraphs[i], characters);
    }
}

QColor ReleaseNotes::textColor() const {
    const QTextBlock first = document()->firstBlock();
    if (!first.isValid() || first.begin().atEnd()) return {};
    return first.begin().fragment().charFormat().foreground().color();
}

}  // namespace harbrix
