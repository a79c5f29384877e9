// Window layout: the size limits with the parameter bar open and closed, the
// window size for a typed drawing-area size, and opening and closing the bar.

#include "WindowTestSupport.h"

#include "OutputPicture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

using zvtest::FormFixture;

class tst_MainFormLayout : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::OutputPicture* output() const { return f.find<zv::OutputPicture>("Output_pic"); }
    QLineEdit* field(const char* name) const { return f.find<QLineEdit>(name); }

    void setBar(bool open) {
        auto* params = f.find<QPushButton>("Params_btn");
        if ((params->property("Tag").toString() == "1") != open) {
            params->click();
        }
        QCOMPARE(params->property("Tag").toString(), open ? QString("1") : QString("0"));
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    // A window dragged beyond a limit snaps back to it; the limits keep the
    // drawing area between 200 x 250 and 700 x 600 pixels, bar open or closed.
    void sizeLimits_data() {
        QTest::addColumn<bool>("barOpen");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("areaWidth");
        QTest::addColumn<QString>("areaHeight");
        for (const bool open : {true, false}) {
            const char* bar = open ? "bar open" : "bar closed";
            QTest::addRow("%s, too narrow", bar) << open << 50 << 400 << "200"
                                                 << "";
            QTest::addRow("%s, too wide", bar) << open << 3000 << 400 << "700"
                                               << "";
            QTest::addRow("%s, too low", bar) << open << 600 << 40 << ""
                                              << "250";
            QTest::addRow("%s, too high", bar) << open << 600 << 3000 << ""
                                               << "600";
        }
    }
    void sizeLimits() {
        QFETCH(bool, barOpen);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, areaWidth);
        QFETCH(QString, areaHeight);
        setBar(barOpen);
        f.form->resize(width, height);
        QCoreApplication::processEvents();
        if (!areaWidth.isEmpty()) {
            QCOMPARE(field("AreaWidth_txt")->text(), areaWidth);
            QCOMPARE(output()->innerWidth(), areaWidth.toInt());
            QCOMPARE(output()->width(), areaWidth.toInt() + 2);
        }
        if (!areaHeight.isEmpty()) {
            QCOMPARE(field("AreaHeight_txt")->text(), areaHeight);
            QCOMPARE(output()->innerHeight(), areaHeight.toInt());
        }
        // The bar's frames lie beside the drawing area, and both columns end
        // level with it.
        auto* common = f.find<QGroupBox>("CommonParameter_frm");
        auto* fixPoints = f.find<QGroupBox>("FixPoints_frm");
        const QRect area = output()->geometry();
        QVERIFY(common->x() > area.right());
        QCOMPARE(common->geometry().bottom(), area.bottom());
        QVERIFY(qAbs(fixPoints->geometry().bottom() - area.bottom()) <= 1);
        QVERIFY(f.form->height() > area.bottom());
        auto* scroller = f.find<QScrollBar>("FixPointsScroller");
        QCOMPARE(scroller->height(), scroller->parentWidget()->height());
        // With the bar closed its frames lie beyond the window's right edge.
        QCOMPARE(common->x() < f.form->width(), barOpen);
    }

    // Leaving an area field sizes the window so the drawing area gets the typed
    // size, or the limit that cuts it.
    void typedAreaSize_data() {
        QTest::addColumn<bool>("barOpen");
        QTest::addColumn<QString>("widthText");
        QTest::addColumn<QString>("heightText");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (const bool open : {true, false}) {
            const char* bar = open ? "bar open" : "bar closed";
            QTest::addRow("%s, 700 x 600", bar) << open << "700"
                                                << "600" << 700 << 600;
            QTest::addRow("%s, 800 x 601", bar) << open << "800"
                                                << "601" << 700 << 600;
            QTest::addRow("%s, 200 x 250", bar) << open << "200"
                                                << "250" << 200 << 250;
            QTest::addRow("%s, 333 x 444", bar) << open << "333"
                                                << "444" << 333 << 444;
        }
    }
    void typedAreaSize() {
        QFETCH(bool, barOpen);
        QFETCH(QString, widthText);
        QFETCH(QString, heightText);
        QFETCH(int, width);
        QFETCH(int, height);
        setBar(barOpen);
        auto* next = f.find<QWidget>("CalcDepth_txt");
        f.typeAndLeave(field("AreaWidth_txt"), widthText, next);
        f.typeAndLeave(field("AreaHeight_txt"), heightText, next);
        QCOMPARE(output()->innerWidth(), width);
        QCOMPARE(output()->innerHeight(), height);
        QCOMPARE(field("AreaWidth_txt")->text(), QString::number(width));
        QCOMPARE(field("AreaHeight_txt")->text(), QString::number(height));
        QCOMPARE(output()->canvas().width(), width);
        QCOMPARE(output()->canvas().height(), height);
    }

    // Closing the bar narrows the window by 4200 twips and keeps the drawing
    // area; opening it restores the window.
    void parameterBar_data() {
        QTest::addColumn<int>("areaWidth");
        QTest::newRow("200") << 200;
        QTest::newRow("700") << 700;
    }
    void parameterBar() {
        QFETCH(int, areaWidth);
        setBar(true);
        f.typeAndLeave(field("AreaWidth_txt"), QString::number(areaWidth),
                       f.find<QWidget>("CalcDepth_txt"));
        auto* params = f.find<QPushButton>("Params_btn");
        const int openWidth = f.form->width();
        const int barPixels = f.form->Twips().px(4200);

        params->click();
        QCoreApplication::processEvents();
        QCOMPARE(params->text(), QString(">>& "));
        QCOMPARE(params->property("Tag").toString(), QString("0"));
        QCOMPARE(f.form->ParamBarWidth, std::int16_t(0));
        QCOMPARE(f.form->width(), openWidth - barPixels);
        QCOMPARE(output()->innerWidth(), areaWidth);

        params->click();
        QCoreApplication::processEvents();
        QCOMPARE(params->text(), QString("<<& "));
        QCOMPARE(params->property("Tag").toString(), QString("1"));
        QCOMPARE(f.form->ParamBarWidth, std::int16_t(4200));
        QCOMPARE(f.form->width(), openWidth);
        QCOMPARE(output()->innerWidth(), areaWidth);
    }

    void unknownTagDoesNothing() {
        auto* params = f.find<QPushButton>("Params_btn");
        params->setProperty("Tag", "x");
        const QSize before = f.form->size();
        f.form->Params_btn_Click();
        QCOMPARE(f.form->size(), before);
        QCOMPARE(params->text(), QString("<<& "));
        params->setProperty("Tag", "1");
    }

    // The top row ends where the drawing area ends, whatever its width.
    void topRowFollowsDrawingArea_data() {
        QTest::addColumn<bool>("barOpen");
        QTest::addColumn<int>("areaWidth");
        QTest::newRow("open, 200") << true << 200;
        QTest::newRow("closed, 200") << false << 200;
        QTest::newRow("closed, 700") << false << 700;
    }
    void topRowFollowsDrawingArea() {
        QFETCH(bool, barOpen);
        QFETCH(int, areaWidth);
        setBar(barOpen);
        f.typeAndLeave(field("AreaWidth_txt"), QString::number(areaWidth),
                       f.find<QWidget>("CalcDepth_txt"));
        auto* params = f.find<QPushButton>("Params_btn");
        const int areaRight = output()->geometry().right();
        QVERIFY(qAbs(params->geometry().right() - (areaRight + f.form->Twips().px(100))) <= 1);
        QCOMPARE(f.find<QPushButton>("Draw_btn")->geometry().right() + 1, params->x());
        // The whole button stays inside the window.
        QVERIFY(params->geometry().right() < f.form->width());
    }

    // A minimized window is not laid out; restoring it lays it out.
    void minimizedWindow() {
        setBar(true);
        f.form->showMinimized();
        QCoreApplication::processEvents();
        if (!f.form->isMinimized()) {
            QSKIP("this platform does not minimize windows");
        }
        f.form->resize(60, 60);
        QCoreApplication::processEvents();
        QCOMPARE(f.form->width(), 60);
        f.form->showNormal();
        QCoreApplication::processEvents();
        QVERIFY(!f.form->isMinimized());
        QCOMPARE(field("AreaWidth_txt")->text(), QString("200"));
        QCOMPARE(field("AreaHeight_txt")->text(), QString("250"));
        QCOMPARE(output()->innerWidth(), 200);
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    }

    void ignoreResizeSkipsLayout() {
        setBar(true);
        f.form->IgnoreResize = true;
        f.form->resize(50, 50);
        QCoreApplication::processEvents();
        QCOMPARE(f.form->width(), 50);
        f.form->IgnoreResize = false;
        f.form->Form_Resize();
        QCOMPARE(field("AreaWidth_txt")->text(), QString("200"));
        QCOMPARE(field("AreaHeight_txt")->text(), QString("250"));
    }
};

QTEST_MAIN(tst_MainFormLayout)
#include "tst_MainFormLayout.moc"
