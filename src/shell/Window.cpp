// The main window.
#include "shell/Window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "shell/Background.h"
#include "ui_Header.h"

namespace harbrix {
namespace {

// Scrolls by the pointer and by following the keyboard focus; the keys themselves stay the
// controls' and the window's, as they were without it.
class ContentScroll : public QScrollArea {
  public:
    using QScrollArea::QScrollArea;

  protected:
    void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
};

}  // namespace

Window::Window() : form_(std::make_unique<Ui::Header>()) {
    setWindowTitle(QStringLiteral("Harbrix"));
    content_ = new Background;
    content_->setFixedSize(kWidth, kHeight);
    scroll_ = new ContentScroll(this);
    scroll_->setObjectName(QStringLiteral("windowScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setAlignment(Qt::AlignCenter);
    // Round a content view smaller than the window: the background's own darkest tone.
    QPalette around = scroll_->palette();
    around.setColor(QPalette::Window, QColor(0x17, 0x17, 0x1B));
    scroll_->setPalette(around);
    scroll_->setBackgroundRole(QPalette::Window);
    scroll_->setWidget(content_);
    setCentralWidget(scroll_);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    header_ = new QWidget(content_);
    form_->setupUi(header_);
    header_->setGeometry(0, 0, kWidth, kHeaderHeight);

    fileMenu_ = menuBar()->addMenu(QStringLiteral("File"));
    editMenu_ = menuBar()->addMenu(QStringLiteral("Edit"));
    const struct {
        QMenu* menu;
        Screen::Command command;
        const char* title;
        QKeySequence shortcut;
    } commands[] = {
        {fileMenu_, Screen::Command::save, "Save", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {fileMenu_, Screen::Command::saveAs, "Save As...",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {editMenu_, Screen::Command::undo, "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {editMenu_, Screen::Command::redo, "Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {editMenu_, Screen::Command::cut, "Cut", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {editMenu_, Screen::Command::copy, "Copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {editMenu_, Screen::Command::paste, "Paste", QKeySequence(Qt::CTRL | Qt::Key_V)},
    };
    for (const auto& c : commands) {
        if (c.command == Screen::Command::cut) c.menu->addSeparator();
        QAction* action = c.menu->addAction(QString::fromUtf8(c.title));
        action->setShortcut(c.shortcut);
        commands_[c.command] = action;
    }
    // Opens at the design size; on a smaller screen the system fits the window to it, and
    // the content scrolls.
    resize(kWidth, kHeight + menuBar()->sizeHint().height());
    // Whatever takes the keyboard is scrolled into view, so Tab never goes out of sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && content_->isAncestorOf(now)) scroll_->ensureWidgetVisible(now, 8, 8);
    });
}

QAction* Window::commandAction(Screen::Command command) const {
    const auto found = commands_.find(command);
    return found == commands_.end() ? nullptr : found->second;
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
