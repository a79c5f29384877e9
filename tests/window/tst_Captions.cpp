// Captions in the window's own font: a label beside a field shows its whole
// text and ends before the field; the type list names the whole type; the
// status bar's help shows its whole text even in the narrowest window.

#include "WindowTestSupport.h"

#include "KeyedStatusBar.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using zvtest::FormFixture;

class tst_Captions : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void labelEndsBeforeItsField_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("field");
        for (const char* name : {"AreaWidth", "AreaHeight", "CalcDepth", "StepHeight",
                                 "ElementsCount", "DecreaseFactor", "LineLength", "Delta"}) {
            QTest::newRow(name) << QString::fromLatin1(name) + "_lbl"
                                << QString::fromLatin1(name) + "_txt";
        }
    }

    void labelEndsBeforeItsField() {
        QFETCH(QString, label);
        QFETCH(QString, field);
        const auto* l = f.find<QLabel>(label);
        const auto* t = f.find<QWidget>(field);
        QVERIFY(l && t && l->parentWidget() == t->parentWidget());
        // The ink, not the advance: a colon's advance ends in blank space.
        const int text = l->fontMetrics().tightBoundingRect(l->text()).right() + 1;
        QVERIFY2(text <= l->contentsRect().width(),
                 qPrintable(QStringLiteral("%1 px of text in %2 px").arg(text).arg(l->width())));
        QVERIFY2(l->x() + text + 2 <= t->x(),
                 qPrintable(QStringLiteral("text ends at %1, field starts at %2")
                                .arg(l->x() + text)
                                .arg(t->x())));
    }

    void typeListToolTipNamesTheType() {
        auto* list = f.find<QComboBox>("FractalType_cmb");
        for (int i : {2, 4, 0}) {
            list->setCurrentIndex(i);
            QCOMPARE(list->toolTip(), list->itemText(i));
        }
    }

    // The narrowest window: the bar closed, the drawing area at its minimum.
    // The longest help text is drawn whole (narrower): its last column of ink
    // lies inside the panel, clear of the frame.
    void helpShownWhole() {
        const QString text = QStringLiteral("arrange the Fixpoint on the left to your desire");
        auto* params = f.find<QPushButton>("Params_btn");
        if (params->property("Tag").toString() == "1") {
            params->click();
        }
        f.form->resize(10, f.form->height());
        QCoreApplication::processEvents();
        auto* help = f.find<zv::StatusPanel>("Help");
        QVERIFY(help && help->isVisible());
        QVERIFY(help->geometry().right() < f.form->width());
        help->setText(text);

        const QImage image = help->grab().toImage();
        const QRgb background = image.pixel(image.width() / 2, 1);
        const QRect inside = help->contentsRect();
        int last = -1;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            for (int y = inside.top(); y <= inside.bottom(); ++y) {
                if (qGray(image.pixel(x, y)) < qGray(background) - 80) {
                    last = x;
                }
            }
        }
        QVERIFY2(last > inside.left() + inside.width() / 3, "no text drawn");
        QVERIFY2(last < inside.right() - 1,
                 qPrintable(QStringLiteral("text runs to column %1 of %2")
                                .arg(last)
                                .arg(inside.right())));
    }
};

QTEST_MAIN(tst_Captions)
#include "tst_Captions.moc"
