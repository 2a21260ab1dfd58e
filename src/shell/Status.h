// The editor's collapsible status panel: a title, a subtitle and status groups over a
// background, with a button that compresses it into a narrow strip of short texts. The
// panel records its wide geometry once, the first time it is shown in a window.
#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

#include "shell/StatusGroup.h"

namespace harbrix {

class Preset;
class Status;

namespace ui {
class Label;
}

class StatusDelegate {
  public:
    virtual ~StatusDelegate() = default;
    // The preset the editor shows; none leaves the highlights as they are.
    virtual std::shared_ptr<Preset> selectedPreset() = 0;
    virtual void itemClicked(const QString& item, const QString& group) = 0;
    virtual void statusDidCompress(Status* status) = 0;
};

class Status : public QWidget, public StatusGroupDelegate {
    Q_OBJECT
  public:
    // The panel of that layout ("MIV3Status"); none for an empty or unknown name.
    static Status* status(const QString& name, QWidget* parent = nullptr);

    explicit Status(QWidget* parent = nullptr);

    // Brings the groups' highlights up to date; the base panel has nothing to show.
    virtual void sync() {}

    StatusDelegate* delegate() const { return delegate_; }
    void setDelegate(StatusDelegate* delegate) { delegate_ = delegate; }
    const std::vector<StatusGroup*>& groups() const { return groups_; }

    bool compressed() const { return compressed_; }
    void setCompressed(bool compressed);
    // The compress button's action.
    void compress();

    // Set by the layout file.
    void setCompressedX(int x) { compressedX_ = x; }
    void setCompressedWidth(int width) { compressedWidth_ = width; }
    int initialX() const { return initialX_; }
    int initialWidth() const { return initialWidth_; }
    bool initialMetricsRecorded() const { return initialMetricsRecorded_; }

    ui::Label* title() const { return title_; }
    ui::Label* subtitle() const { return subtitle_; }
    QAbstractButton* compressButton() const { return compressButton_; }

    void itemClicked(const QString& item, const QString& group) override;

  protected:
    // Called by a loader once the layout is set up: empties the texts, replaces the
    // compress button and takes the groups in display order.
    void didLoad(ui::Label* title, ui::Label* subtitle, QWidget* background,
                 QAbstractButton* compressButton, std::vector<StatusGroup*> groups);
    void showEvent(QShowEvent* event) override;

  private:
    void recordInitialMetrics();

    StatusDelegate* delegate_ = nullptr;
    std::vector<StatusGroup*> groups_;
    ui::Label* title_ = nullptr;
    ui::Label* subtitle_ = nullptr;
    QPointer<QWidget> background_;
    QPointer<QAbstractButton> compressButton_;
    bool compressed_ = false;
    int initialX_ = 0;
    int initialWidth_ = 0;
    int compressedX_ = 0;
    int compressedWidth_ = 0;
    bool initialMetricsRecorded_ = false;
};

}  // namespace harbrix
