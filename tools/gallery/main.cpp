// harbrix-gallery: every widget of the user-interface kit in each of its states.
//   harbrix-gallery                   shows the pages in a window
//   harbrix-gallery --screenshot DIR  writes PAGE@1x.png and PAGE@2x.png for every page
// Screenshots run offscreen; each pixel ratio runs in a child process of its own, because Qt
// fixes the scale factor when the application starts.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Sheets.h"
#include "platform/Bundle.h"
#include "ui/Fonts.h"

namespace {

std::vector<harbrix::gallery::Sheet*> allSheets() {
    using namespace harbrix::gallery;
    std::vector<Sheet*> sheets = {valueControls(), buttons(), textAndColours(),
                                  transfers(),     editor(),  header()};
    for (Sheet* sheet : imageSheets()) sheets.push_back(sheet);
    return sheets;
}

// Runs this program again for one pixel ratio; true when it succeeded.
bool runAtScale(const std::string& directory, int scale) {
    const std::string self = harbrix::Bundle::executablePath();
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setenv("QT_SCALE_FACTOR", std::to_string(scale).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        const std::string scaleText = std::to_string(scale);
        execl(self.c_str(), self.c_str(), "--screenshot", directory.c_str(), "--scale",
              scaleText.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int screenshots(const QString& directory, int scale) {
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(directory));
        return 1;
    }
    int written = 0;
    for (auto* sheet : allSheets()) {
        sheet->adjustSize();
        sheet->show();
        QCoreApplication::processEvents();
        const QString file =
            QStringLiteral("%1/%2@%3x.png").arg(directory, sheet->name()).arg(scale);
        if (!sheet->grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        ++written;
        delete sheet;
    }
    std::printf("%d screenshots at %dx in %s\n", written, scale, qPrintable(directory));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string directory;
    int scale = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc) {
            directory = argv[++i];
        } else if (arg == "--scale" && i + 1 < argc) {
            scale = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: harbrix-gallery [--screenshot DIR]\n");
            return 2;
        }
    }
    if (!directory.empty() && scale == 0) {
        for (const int ratio : {1, 2})
            if (!runAtScale(directory, ratio)) return 1;
        return 0;
    }

    QApplication app(argc, argv);
    harbrix::ui::fonts::install();
    if (!directory.empty()) return screenshots(QString::fromStdString(directory), scale);

    QTabWidget window;
    window.setWindowTitle(QStringLiteral("Harbrix widget gallery"));
    for (auto* sheet : allSheets()) {
        auto* scroller = new QScrollArea;
        scroller->setWidget(sheet);
        window.addTab(scroller, sheet->name());
    }
    window.resize(1200, 800);
    window.show();
    return app.exec();
}
