// Every image name the screens can ask for has its file, loads, and is drawn crisp at 1x and
// 2x; and every file in assets/images/ has a name in the table.
#include <QDir>
#include <QSet>
#include <QTest>

#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"

namespace images = harbrix::ui::images;
using harbrix::ui::imageName;
using harbrix::ui::ImageStore;

namespace {

const QString kImagesDir = QStringLiteral(HARBRIX_SOURCE_DIR "/assets/images");

QStringList catalogNames() {
    QStringList names;
    for (const auto& name : images::allNames()) names << QString::fromStdString(name);
    return names;
}

}  // namespace

class ImageCatalogQtTest : public QObject {
    Q_OBJECT
  private slots:
    void noImageIsMissing() {
        QStringList missing;
        for (const QString& name : catalogNames()) {
            const bool file =
                QFile::exists(kImagesDir + QLatin1Char('/') + name + QStringLiteral(".svg"));
            if (!file || !ImageStore::shared().contains(name) ||
                ImageStore::shared().pixmap(name).isNull())
                missing << name;
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("missing: ") + missing.join(QStringLiteral(", "))));
    }

    void noFileIsOutsideTheTable() {
        const QStringList table = catalogNames();
        const QSet<QString> names(table.begin(), table.end());
        QStringList orphans;
        for (const QString& file :
             QDir(kImagesDir).entryList({QStringLiteral("*.svg")}, QDir::Files)) {
            const QString name = file.chopped(4);
            if (!names.contains(name)) orphans << name;
        }
        QVERIFY2(orphans.isEmpty(), qPrintable(QStringLiteral("not in the table: ") +
                                               orphans.join(QStringLiteral(", "))));
    }

    void namesAreUnique() {
        const QStringList names = catalogNames();
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }

    void formatsExpandOverTheirValues() {
        const QStringList names = catalogNames();
        for (const char* expected :
             {"TRANSFERS_slot_20_hover_swap", "TRANSFERS_slot_100_export_overwrite",
              "TRANSFERS_slot_50_add_pressed", "TRANSFERS_drag_image_nuke",
              "EDITOR_MIV3_slider_cap_100", "HEADER_selector_icon_NAX3_pressed",
              "HEADER_tab_settings_deselected", "TRANSFERS_select_all_disabled",
              "HEADER_empty_pedalboard", "WINDOW_background"})
            QVERIFY2(names.contains(QLatin1String(expected)), expected);
        QCOMPARE(QString::fromStdString(images::fill(images::kTransfersSlot, {"50", "rename"})),
                 QStringLiteral("TRANSFERS_slot_50_rename"));
        QCOMPARE(QString::fromStdString(images::fill(images::kTransfersSlotExport, {"20", ""})),
                 QStringLiteral("TRANSFERS_slot_20_export"));
        QCOMPARE(QString::fromStdString(images::fill(images::kSelectorIcon, {})),
                 QStringLiteral("HEADER_selector_icon_"));
    }

    void imagesAreDrawnAtThePixelRatio() {
        ImageStore& store = ImageStore::shared();
        const QString name = imageName(images::kEditorKnob);
        const QSize points = store.size(name);
        QVERIFY(!points.isEmpty());
        const QPixmap one = store.pixmap(name, 1.0);
        const QPixmap two = store.pixmap(name, 2.0);
        QCOMPARE(one.size(), points);
        QCOMPARE(two.size(), points * 2);
        QCOMPARE(two.devicePixelRatio(), 2.0);
        QCOMPARE(two.deviceIndependentSize().toSize(), points);
        QCOMPARE(store.pixmap(name, QSize(10, 10), 2.0).size(), QSize(20, 20));
        QCOMPARE(store.icon(name).availableSizes().size(), 2);
    }

    void unknownNameGivesNothing() {
        QVERIFY(!ImageStore::shared().contains(QStringLiteral("NO_such_image")));
        QVERIFY(ImageStore::shared().pixmap(QStringLiteral("NO_such_image")).isNull());
        QVERIFY(ImageStore::shared().size(QStringLiteral("NO_such_image")).isEmpty());
    }
};

QTEST_MAIN(ImageCatalogQtTest)
#include "ImageCatalogQtTest.moc"
