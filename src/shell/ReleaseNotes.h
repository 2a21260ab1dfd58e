// The release notes of the update window: one bullet per line of the release's changes, in
// black on light and white on dark, re-coloured when the appearance changes. A borderless,
// transparent, read-only text view whose vertical scroller shows only when needed.
#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>
#include <QTextEdit>

namespace harbrix {

class ReleaseNotes : public QTextEdit {
    Q_OBJECT
  public:
    // The bullet every line starts with.
    static constexpr const char* kBullet = "\u2022\t";

    // None without a font.
    static ReleaseNotes* releaseNotesWithFont(const QFont& font, const QRect& frame,
                                              QWidget* parent = nullptr);

    // Shows the lines as bullets; an empty list still shows one bullet. Any thread.
    void replaceLines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }
    // The colour the text is drawn in.
    QColor textColor() const;

  private:
    ReleaseNotes(const QFont& font, const QRect& frame, QWidget* parent);
    void render(bool dark);

    QStringList lines_;
};

}  // namespace harbrix
