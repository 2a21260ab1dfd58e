// Folder and file choosers.
#include "transfers/FileChooser.h"

#include <QFileDialog>
#include <QPointer>

namespace harbrix::FileChooser {
namespace {

void show(QFileDialog* dialog, Answer answer) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, answer](int result) {
        const QStringList chosen = dialog->selectedFiles();
        answer(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.first() : QString());
    });
    dialog->open();
}

}  // namespace

void chooseFolder(QWidget* window, Answer answer) {
    auto* dialog = new QFileDialog(window);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, QStringLiteral("Save"));
    dialog->setWindowTitle(QStringLiteral("Import Presets"));
    show(dialog, std::move(answer));
}

void chooseFile(QWidget* window, const QString& extension, Answer answer) {
    auto* dialog = new QFileDialog(window);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Preset files (*.%1)").arg(extension));
    dialog->setWindowTitle(QStringLiteral("Stage a Preset File"));
    show(dialog, std::move(answer));
}

}  // namespace harbrix::FileChooser
