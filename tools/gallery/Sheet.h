// One page of the gallery: rows of captioned cells over the window background.
#pragma once

#include <QHBoxLayout>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

namespace harbrix::gallery {

class Sheet : public QWidget {
    Q_OBJECT
  public:
    // `name` is the screenshot's file name stem.
    explicit Sheet(const QString& name);

    QString name() const { return objectName(); }
    // Starts a new row under a heading.
    void row(const QString& heading);
    // Adds a widget with a caption under it to the current row.
    void cell(QWidget* widget, const QString& caption);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QVBoxLayout* rows_;
    QHBoxLayout* current_ = nullptr;
};

}  // namespace harbrix::gallery
