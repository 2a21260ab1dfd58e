// The main window.
#include "shell/Window.h"

#include <QApplication>
#include <QCloseEvent>

#include "shell/Background.h"
#include "ui_Header.h"

namespace harbrix {

Window::Window() : form_(std::make_unique<Ui::Header>()) {
    setWindowTitle(QStringLiteral("Harbrix"));
    content_ = new Background(this);
    content_->setFixedSize(kWidth, kHeight);
    setCentralWidget(content_);
    header_ = new QWidget(content_);
    form_->setupUi(header_);
    header_->setGeometry(0, 0, kWidth, kHeaderHeight);
}

Window::~Window() = default;

QRect Window::screenArea() const {
    return QRect(0, kHeaderHeight, content_->width(), content_->height() - kHeaderHeight);
}

void Window::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    event->accept();
    // After the window has closed: the application ends with it.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace harbrix
