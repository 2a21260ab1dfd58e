// A view showing one named image, at its own size (centred) or stretched over the view.
#pragma once

#include <QString>
#include <QWidget>

namespace harbrix::ui {

class ImageView : public QWidget {
    Q_OBJECT
  public:
    enum class Scaling { Natural, Stretch };

    explicit ImageView(const QString& imageName = QString(), QWidget* parent = nullptr);

    QString imageName() const { return imageName_; }
    void setImageName(const QString& name);
    Scaling scaling() const { return scaling_; }
    void setScaling(Scaling scaling);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString imageName_;
    Scaling scaling_ = Scaling::Natural;
};

}  // namespace harbrix::ui
