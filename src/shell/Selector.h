// The device chooser under the header's drop-down button: one pedal icon with its caption
// per connected pedal, the current one shaded, in a rounded panel that points at the button.
// Choosing a pedal tells the delegate its serial number; Escape asks it to close.
#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <vector>

#include "link/DeviceDelegate.h"

namespace harbrix {

class SelectorDelegate {
  public:
    virtual ~SelectorDelegate() = default;
    virtual void deviceSelected(const QString& serial) = 0;
    virtual void closeSelector() = 0;
};

class Selector : public QWidget {
    Q_OBJECT
  public:
    struct Entry {
        QString image;
        QString nickname;
        QString serial;
    };

    // Room around the icons and the pointer's size, in points.
    static constexpr int kMargin = 20;
    static constexpr int kButtonHeight = 142;
    static constexpr int kPointerHeight = 12;
    static constexpr int kPointerInset = 22;
    static constexpr int kHeight = kButtonHeight + 2 * kMargin + kPointerHeight + 10;

    explicit Selector(QWidget* parent = nullptr);

    // "MIV III" and "NAX III"; empty for other models.
    static QString caption(const std::string& modelName);

    // Lays out one button per device; an empty list or an index past its end changes
    // nothing, and a device without name, images, caption or serial stops the layout there.
    void refresh(const std::vector<DeviceRef>& devices, std::size_t current);
    void open();
    void close();

    SelectorDelegate* delegate() const { return delegate_; }
    void setDelegate(SelectorDelegate* delegate) { delegate_ = delegate; }
    const std::vector<Entry>& devices() const { return devices_; }
    std::size_t current() const { return current_; }
    std::vector<QAbstractButton*> buttons() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void deviceButtonClicked(QAbstractButton* button);

    SelectorDelegate* delegate_ = nullptr;
    std::vector<Entry> devices_;
    std::size_t current_ = 0;
};

}  // namespace harbrix
