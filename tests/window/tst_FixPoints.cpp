// The fix point list and its markers: adding and removing rows within 2 to 8,
// the placement of new points, the repair of typed coordinates, the Cantor
// set's shared height, scrolling, dragging markers and the preview.

#include "FixPointTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>

using namespace zvtest;

class tst_FixPoints : public QObject {
    Q_OBJECT
    FormFixture f;

    bool fieldGreen(int i) const {
        const auto k = static_cast<std::size_t>(i);
        const QColor green(0, 255, 0);
        return f.form->XPos_txt.at(k)->palette().color(QPalette::Base) == green &&
               f.form->YPos_txt.at(k)->palette().color(QPalette::Base) == green;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English));
        QVERIFY(f.open());
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
    }
    void init() { f.dialogs.calls.clear(); }

    // The add command stops at eight rows with one message per refusal.
    void addUpToLimit_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("adds");
        QTest::newRow("2 + 6 reaches 8") << 2 << 6;
        QTest::newRow("7 + 2: one refusal") << 7 << 2;
        QTest::newRow("8 + 3: three refusals") << 8 << 3;
    }
    void addUpToLimit() {
        QFETCH(int, start);
        QFETCH(int, adds);
        std::vector<zv::FixPoint> pts;
        for (int i = 0; i < start; ++i) {
            pts.push_back({10.0 * i, 20});
        }
        QVERIFY(showCross(f, pts));
        QCOMPARE(rows(f), start);
        f.dialogs.calls.clear();
        for (int i = 0; i < adds; ++i) {
            f.form->AddFixPoint_btn->click();
        }
        const int expectedRows = std::min(start + adds, 8);
        QCOMPARE(rows(f), expectedRows);
        QCOMPARE(f.form->findChildren<QLabel*>("FixPoint_img").size(), expectedRows);
        QCOMPARE(messagesTitled(f.dialogs, "Adding impossible:"), start + adds - expectedRows);
        for (const DialogCall& c : f.dialogs.calls) {
            QCOMPARE(c.text, QString("The maximal number of FixPoints is already reached"));
            QCOMPARE(c.icon, zv::MessageIcon::Exclamation);
            QCOMPARE(c.buttons, zv::MessageButtons::Ok);
        }
        // Every row is labelled by its number and has a visible marker.
        for (int i = 0; i < expectedRows; ++i) {
            QCOMPARE(f.form->XPos_lbl[i]->text(), QString("X%1:").arg(i + 1));
            QCOMPARE(f.form->YPos_lbl[i]->text(), QString("Y%1:").arg(i + 1));
            QVERIFY(f.form->FixPoint_img[i]->isVisible());
        }
    }

    void removeDownToMinimum_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("removes");
        QTest::newRow("8 - 6 reaches 2") << 8 << 6;
        QTest::newRow("3 - 2: one refusal") << 3 << 2;
        QTest::newRow("2 - 2: two refusals") << 2 << 2;
    }
    void removeDownToMinimum() {
        QFETCH(int, start);
        QFETCH(int, removes);
        std::vector<zv::FixPoint> pts;
        for (int i = 0; i < start; ++i) {
            pts.push_back({10.0 * i, 20});
        }
        QVERIFY(showCross(f, pts));
        f.dialogs.calls.clear();
        for (int i = 0; i < removes; ++i) {
            f.form->RemoveFixPoint_btn->click();
        }
        const int expectedRows = std::max(start - removes, 2);
        QCOMPARE(rows(f), expectedRows);
        QCOMPARE(f.form->findChildren<QLineEdit*>("XPos_txt").size(), expectedRows);
        QCOMPARE(messagesTitled(f.dialogs, "Removing impossible:"),
                 expectedRows - (start - removes));
        for (const DialogCall& c : f.dialogs.calls) {
            QCOMPARE(c.text, QString("The minimal number of FixPoints is reached"));
        }
        // The new last row is the selected one.
        QCOMPARE(f.form->SelectedFixPoint, expectedRows - 1);
        QVERIFY(fieldGreen(expectedRows - 1));
    }

    // A new point lies 10 pixels right of the last one at the first point's
    // height, clamped into the area.
    void addedPointPlacement_data() {
        QTest::addColumn<int>("lastX");
        QTest::addColumn<int>("firstY");
        QTest::addColumn<int>("expectedX");
        QTest::newRow("inside") << 50 << 120 << 60;
        QTest::newRow("4 short of the limit") << -14 << 30 << -10;
    }
    void addedPointPlacement() {
        QFETCH(int, lastX);
        QFETCH(int, firstY);
        QFETCH(int, expectedX);
        const int limit = areaWidth(f) - 10;
        if (lastX < 0) {
            lastX += areaWidth(f);
        }
        if (expectedX < 0) {
            expectedX += areaWidth(f);
        }
        QVERIFY(expectedX <= limit);
        QVERIFY(showCross(f, points({{5, firstY}, {lastX, 80}})));
        const int chkTop = f.form->ConnectLast_chk->y();
        f.form->AddFixPoint_btn->click();
        QCOMPARE(rows(f), 3);
        QCOMPARE(fieldsAt(f, 2), QPoint(expectedX, firstY));
        QCOMPARE(markerAt(f, 2), QPoint(expectedX, firstY));
        QCOMPARE(f.form->SelectedFixPoint, 2);
        QVERIFY(fieldGreen(2));
        QVERIFY(!fieldGreen(1));
        const int pitch = f.form->Twips().py(1500) - f.form->Twips().py(1000);
        QCOMPARE(f.form->ConnectLast_chk->y() - chkTop, pitch);
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // Leaving a coordinate field repairs its text and moves the marker.
    void coordinateRepair_data() {
        QTest::addColumn<bool>("isX");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected"); // -10: the area size less 10
        QTest::newRow("x negative") << true << "-5" << 0;
        QTest::newRow("x not a number") << true << "ab" << 0;
        QTest::newRow("x beyond the area") << true << "9999" << -10;
        QTest::newRow("x half rounds to even") << true << "12.5" << 12;
        QTest::newRow("x half rounds to even up") << true << "13.5" << 14;
        QTest::newRow("y beyond the area") << false << "999" << -10;
        QTest::newRow("y inside") << false << "37" << 37;
    }
    void coordinateRepair() {
        QFETCH(bool, isX);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        if (expected < 0) {
            expected += isX ? areaWidth(f) : areaHeight(f);
        }
        QVERIFY(showCross(f, points({{20, 30}, {40, 50}, {60, 70}})));
        zv::TextField* field = isX ? f.form->XPos_txt[1] : f.form->YPos_txt[1];
        f.typeAndLeave(field, typed, f.form->CalcDepth_txt);
        QCOMPARE(field->text(), QString::number(expected));
        const QPoint want = isX ? QPoint(expected, 50) : QPoint(40, expected);
        QCOMPARE(markerAt(f, 1), want);
        QCOMPARE(fieldsAt(f, 1), want);
        // Entering the field selected its row.
        QCOMPARE(f.form->SelectedFixPoint, 1);
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // Both ends of the Cantor set's bar share one height, whichever end moves.
    void cantorSharedHeight_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byDrag");
        QTest::newRow("typed into row 0") << 0 << false;
        QTest::newRow("row 1 dragged") << 1 << true;
    }
    void cantorSharedHeight() {
        QFETCH(int, row);
        QFETCH(bool, byDrag);
        f.model.CantorSet.FixPoints = {{{10, 100}, {150, 100}}};
        f.model.CantorSet.DrawMode = zv::RecursiveMode;
        QVERIFY(selectType(f, zv::CantorSetType));
        if (byDrag) {
            const int x = markerAt(f, row).x();
            dragMarker(f, row, QPoint(0, 0), {QPoint(x + 1, 50), QPoint(x, 40)});
        } else {
            f.typeAndLeave(f.form->YPos_txt[static_cast<std::size_t>(row)], "40",
                           f.form->CalcDepth_txt);
        }
        QCOMPARE(markerAt(f, 0), QPoint(10, 40));
        QCOMPARE(markerAt(f, 1), QPoint(150, 40));
        QCOMPARE(fieldsAt(f, 0).y(), 40);
        QCOMPARE(fieldsAt(f, 1).y(), 40);
    }

    void placeFixPointClamps_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("wantX"); // below 0: the area size plus this
        QTest::addColumn<int>("wantY");
        QTest::newRow("right and above") << 400 << -5 << -10 << 0;
        QTest::newRow("left and below") << -30 << 5000 << 0 << -10;
    }
    void placeFixPointClamps() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, wantX);
        QFETCH(int, wantY);
        const auto rel = [](int v, int size) { return v < 0 && v > -100 ? size + v : v; };
        wantX = rel(wantX, areaWidth(f));
        wantY = rel(wantY, areaHeight(f));
        QVERIFY(showCross(f, points({{0, 0}, {50, 50}})));
        f.form->PlaceFixPoint(1, x, y);
        QCOMPARE(QPoint(x, y), QPoint(wantX, wantY));
        QCOMPARE(markerAt(f, 1), QPoint(wantX, wantY));
        QCOMPARE(fieldsAt(f, 1), QPoint(wantX, wantY));
    }

    // Coordinates beyond any sensible size (from a file) are placed, not fatal.
    void absurdCoordinates_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::newRow("huge") << 1e30 << -1e30;
        QTest::newRow("not finite")
            << std::numeric_limits<double>::infinity() << std::numeric_limits<double>::quiet_NaN();
    }
    void absurdCoordinates() {
        QFETCH(double, x);
        QFETCH(double, y);
        QVERIFY(showCross(f, {{x, y}, {10, 10}}));
        const QPoint p = markerAt(f, 0);
        QVERIFY(p.x() >= 0 && p.x() <= areaWidth(f) - 10);
        QVERIFY(p.y() >= 0 && p.y() <= areaHeight(f) - 10);
        QCOMPARE(fieldsAt(f, 0), p);
    }

    // Drawing-area pixels; -1 to -99 count from the area's right or bottom edge.
    QPoint resolve(QPoint p) const {
        const auto rel = [](int v, int size) { return v < 0 && v > -100 ? size + v : v; };
        return {rel(p.x(), areaWidth(f)), rel(p.y(), areaHeight(f))};
    }

    void dragAndDrop_data() {
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<QList<QPoint>>("path"); // the pointer; released at the last
        QTest::addColumn<QPoint>("expected");
        const QPoint unchanged(30, 40);
        QTest::newRow("grabbed at (3, 4)")
            << QPoint(3, 4) << QList<QPoint>{{50, 50}, {100, 60}} << QPoint(97, 56);
        QTest::newRow("dropped at the far corner clamps")
            << QPoint(2, 2) << QList<QPoint>{{50, 50}, {-1, -1}} << QPoint(-10, -10);
        QTest::newRow("dragged out and released outside")
            << QPoint(3, 4) << QList<QPoint>{{50, 50}, {-5000, 60}} << unchanged;
        QTest::newRow("out and back in: the drag has ended")
            << QPoint(3, 4) << QList<QPoint>{{-5000, 60}, {100, 60}} << unchanged;
        QTest::newRow("released on its own place")
            << QPoint(3, 4) << QList<QPoint>{{50, 50}, {34, 44}} << unchanged;
        QTest::newRow("released on another marker")
            << QPoint(3, 4) << QList<QPoint>{{50, 50}, {125, 125}} << unchanged;
    }
    void dragAndDrop() {
        QFETCH(QPoint, grab);
        QFETCH(QList<QPoint>, path);
        QFETCH(QPoint, expected);
        QVERIFY(showCross(f, points({{120, 120}, {30, 40}})));
        std::vector<QPoint> pointer;
        for (const QPoint& p : path) {
            pointer.push_back(resolve(p));
        }
        dragMarker(f, 1, grab, pointer);
        const QPoint want = resolve(expected);
        QCOMPARE(markerAt(f, 1), want);
        QCOMPARE(fieldsAt(f, 1), want);
        QCOMPARE(f.form->SelectedFixPoint, 1);
        QVERIFY(!f.form->FixPointDragActive());
        // The other marker never moves.
        QCOMPARE(markerAt(f, 0), QPoint(120, 120));
    }

    // A drag that a run overtakes (started from the keyboard while the button
    // was held) moves nothing and leaves the run's picture alone.
    void dragOvertakenByRun_data() {
        QTest::addColumn<int>("state");
        QTest::newRow("working") << int(zv::WorkingMode);
        QTest::newRow("paused") << int(zv::PauseMode);
    }
    void dragOvertakenByRun() {
        QFETCH(int, state);
        QVERIFY(showCross(f, points({{120, 120}, {30, 40}})));
        QLabel* marker = f.form->FixPoint_img[1];
        mouseOn(marker, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton, Qt::LeftButton);
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(state));
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, 0x00FF00);
        const QPoint to = marker->mapFrom(f.form->Output_pic, QPoint(101, 61));
        mouseOn(marker, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouseOn(marker, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        const int drawn = pixelsOf(f, 0x00FF00, QRect(150, 150, 31, 31));
        f.form->ManageGlobalStates(zv::EditMode);
        QCOMPARE(markerAt(f, 1), QPoint(30, 40));
        QVERIFY(drawn > 0);
        QVERIFY(!f.form->FixPointDragActive());
    }

    // A double click on the drawing area adds a point where the add button
    // could; one on a marker adds nothing.
    void doubleClick_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("onMarker");
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<int>("messages");
        QTest::newRow("cross, 3 rows") << int(zv::CrossType) << 3 << false << 4 << 0;
        QTest::newRow("cross, 3 rows, on a marker") << int(zv::CrossType) << 3 << true << 3 << 0;
        QTest::newRow("cross, 8 rows") << int(zv::CrossType) << 8 << false << 8 << 1;
        QTest::newRow("cantor set: fixed count") << int(zv::CantorSetType) << 2 << false << 2 << 0;
    }
    void doubleClick() {
        QFETCH(int, type);
        QFETCH(int, start);
        QFETCH(bool, onMarker);
        QFETCH(int, expectedRows);
        QFETCH(int, messages);
        std::vector<zv::FixPoint> pts;
        for (int i = 0; i < start; ++i) {
            pts.push_back({5.0 + 20 * i, 30});
        }
        f.model.Cross.FixPoints = pts;
        f.model.Cross.DrawMode = zv::RecursiveMode;
        f.model.SierpinskyGadget.DrawMode = zv::RecursiveMode;
        f.model.CantorSet.DrawMode = zv::RecursiveMode;
        QVERIFY(selectType(f, type));
        f.dialogs.calls.clear();
        if (onMarker) {
            QTest::mouseDClick(f.form->FixPoint_img[1], Qt::LeftButton, {}, QPoint(4, 4));
            QCOMPARE(markerAt(f, 1), QPoint(25, 30));
        } else {
            QTest::mouseDClick(f.form->Output_pic, Qt::LeftButton, {}, QPoint(180, 200));
        }
        QCOMPARE(rows(f), expectedRows);
        QCOMPARE(messagesTitled(f.dialogs, "Adding impossible:"), messages);
    }

    // The list scrolls to its newest row whenever the rows overflow the view.
    void scrolling_data() {
        QTest::addColumn<int>("count");
        for (int n = 2; n <= 8; ++n) {
            QTest::addRow("%d rows", n) << n;
        }
    }
    void scrolling() {
        QFETCH(int, count);
        std::vector<zv::FixPoint> pts(static_cast<std::size_t>(count), {10, 10});
        QVERIFY(showCross(f, pts));
        QScrollBar* scroller = f.form->FixPointsScroller;
        QWidget* view = f.form->OutsideContainer_frm;
        QCoreApplication::processEvents();
        const int chkBottom = f.form->ConnectLast_chk->geometry().bottom();
        const bool overflows = chkBottom >= scroller->height();
        QCOMPARE(scroller->maximum() > 0, overflows);
        QCOMPARE(scroller->value(), scroller->maximum());
        // The newest row and the check box are in view.
        const QRect newest =
            f.form->XPos_txt.back()->geometry().translated(f.form->InsideContainer_frm->pos());
        QVERIFY(newest.top() >= 0 && newest.bottom() <= view->height());
        QVERIFY(f.form->ConnectLast_chk->geometry()
                    .translated(f.form->InsideContainer_frm->pos())
                    .bottom() <= view->height());
        // Back to the top shows row 0.
        scroller->setValue(0);
        QCOMPARE(f.form->InsideContainer_frm->y(), 0);
    }

    void setFixPointCount_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<int>("addMessages");
        QTest::addColumn<int>("removeMessages");
        QTest::newRow("2 -> index 9") << 2 << 9 << 8 << 2 << 0;
        QTest::newRow("3 -> index 0") << 3 << 0 << 2 << 0 << 1;
        QTest::newRow("4 -> index 3") << 4 << 3 << 4 << 0 << 0;
        QTest::newRow("absurdly many") << 2 << 2000000000 << 8 << -1 << 0;
        QTest::newRow("absurdly few") << 8 << -2000000000 << 2 << 0 << -1;
    }
    void setFixPointCount() {
        QFETCH(int, start);
        QFETCH(int, last);
        QFETCH(int, expectedRows);
        QFETCH(int, addMessages);
        QFETCH(int, removeMessages);
        std::vector<zv::FixPoint> pts(static_cast<std::size_t>(start), {10, 10});
        QVERIFY(showCross(f, pts));
        f.dialogs.calls.clear();
        f.form->LastFixPointIndex = last;
        f.form->SetFixPointCount();
        QCOMPARE(rows(f), expectedRows);
        // -1: some refusals, but a bounded number of them (no endless boxes).
        const auto check = [](int shown, int expected) {
            return expected < 0 ? shown > 0 && shown <= 16 : shown == expected;
        };
        QVERIFY(check(messagesTitled(f.dialogs, "Adding impossible:"), addMessages));
        QVERIFY(check(messagesTitled(f.dialogs, "Removing impossible:"), removeMessages));
    }

    // Tab walks the rows in order, then the check box; a label click focuses its
    // field, and a later click in the field places the cursor as in any field.
    void rowFocus() {
        QVERIFY(showCross(f, points({{1, 1}, {2, 2}, {3, 3}})));
        std::vector<QWidget*> chain;
        for (std::size_t i = 0; i < 3; ++i) {
            chain.push_back(f.form->XPos_txt[i]);
            chain.push_back(f.form->YPos_txt[i]);
        }
        chain.push_back(f.form->ConnectLast_chk);
        chain.front()->setFocus(Qt::TabFocusReason);
        for (std::size_t i = 1; i < chain.size(); ++i) {
            f.key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), chain[i]);
        }
        QTest::mouseClick(f.form->YPos_lbl[1], Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), f.form->YPos_txt[1]);
        QCOMPARE(f.form->SelectedFixPoint, 1);
        QTest::mouseClick(f.form->XPos_lbl[2], Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), f.form->XPos_txt[2]);
        QVERIFY(fieldGreen(2));
        QVERIFY(!fieldGreen(1));
        QVERIFY(f.form->XPos_txt[2]->hasSelectedText());
        QTest::mouseClick(f.form->XPos_txt[2], Qt::LeftButton, {}, QPoint(3, 5));
        QVERIFY(!f.form->XPos_txt[2]->hasSelectedText());
    }

    // The preview: lines between the marker centres in the fore colour with the
    // edit pen, numbers under the markers, the closing line on request.
    void preview_data() {
        QTest::addColumn<bool>("connectLast");
        QTest::newRow("open") << false;
        QTest::newRow("closed") << true;
    }
    void preview() {
        QFETCH(bool, connectLast);
        const std::int32_t red = 0x0000FF;
        f.dialogs.colorAnswers.enqueue(red);
        f.form->ForeColor_pic_Click();
        QVERIFY(showCross(f, points({{0, 0}, {100, 0}, {100, 100}})));
        // A drawing made before is erased by the next preview.
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, red);
        if (f.form->ConnectLast_chk->isChecked() != connectLast) {
            QTest::mouseClick(f.form->ConnectLast_chk, Qt::LeftButton, {},
                              QPoint(5, f.form->ConnectLast_chk->height() / 2));
        }
        QCOMPARE(f.form->ConnectLast_chk->isChecked(), connectLast);
        f.form->DrawFixPointsPreview();
        QCOMPARE(pixelsOf(f, red, QRect(150, 150, 31, 31)), 0);
        // (5, 5)-(105, 5) and (105, 5)-(105, 105), two pixels wide.
        QCOMPARE(pixelsOf(f, red, QRect(50, 0, 1, 12)), 2);
        QCOMPARE(pixelsOf(f, red, QRect(98, 50, 14, 1)), 2);
        // The closing line (5, 5)-(105, 105) only when asked for.
        QCOMPARE(pixelsOf(f, red, QRect(50, 50, 12, 1)) > 0, connectLast);
        // The numbers 2 and 3 under markers 1 and 2, in the fore colour.
        QVERIFY(pixelsOf(f, red, QRect(98, 10, 20, 16)) > 0);
        QVERIFY(pixelsOf(f, red, QRect(98, 110, 20, 16)) > 0);
        QCOMPARE(pixelsOf(f, red, QRect(98, 130, 20, 16)), 0);
        f.dialogs.colorAnswers.enqueue(0);
        f.form->ForeColor_pic_Click();
    }
};

QTEST_MAIN(tst_FixPoints)
#include "tst_FixPoints.moc"
