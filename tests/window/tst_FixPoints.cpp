// The fix point list and its markers: adding and removing rows within 2 to 8,
// the placement of new points, the repair of typed coordinates, the Cantor
// set's shared height, dragging markers, scrolling and the preview.

#include "WindowTestSupport.h"

#include <limits>

using namespace zvtest;

namespace {

struct Drag {
    const char* tag;
    int row;
    QPoint grab;              // pixels inside the marker
    std::vector<QPoint> path; // drawing-area pixels; released at the last
    QPoint expected;          // -1 to -99 count from the area's right or bottom edge
    bool cantor = false;      // the Cantor set: both ends keep one height
};

} // namespace

Q_DECLARE_METATYPE(Drag)

class tst_FixPoints : public QObject {
    Q_OBJECT
    FormFixture f;

    bool selected(int i) const {
        const auto k = static_cast<std::size_t>(i);
        return f.form->XPos_txt.at(k)->palette().color(QPalette::Base) == QColor(0, 255, 0) &&
               f.form->YPos_txt.at(k)->palette().color(QPalette::Base) == QColor(0, 255, 0) &&
               f.form->SelectedFixPoint == i;
    }
    bool showRows(int count) {
        std::vector<zv::FixPoint> pts;
        for (int i = 0; i < count; ++i) {
            pts.push_back({5.0 + 20 * i, 30});
        }
        return f.showCross(pts);
    }
    QPoint resolve(QPoint p) const {
        const auto rel = [](int v, int size) { return v < 0 && v > -100 ? size + v : v; };
        return {rel(p.x(), f.form->AreaWidth_txt->text().toInt()),
                rel(p.y(), f.form->AreaHeight_txt->text().toInt())};
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English));
        QVERIFY(f.open());
    }
    void init() { f.dialogs.calls.clear(); }

    // The commands stop at eight and at two rows, with one message per
    // refusal; the newest last row is the selected one.
    void rowLimits_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("clicks"); // below 0: removals
        QTest::newRow("7 + 2: one refusal") << 7 << 2;
        QTest::newRow("3 - 2: one refusal") << 3 << -2;
    }
    void rowLimits() {
        QFETCH(int, start);
        QFETCH(int, clicks);
        const int expected = clicks > 0 ? 8 : 2;
        QVERIFY(showRows(start));
        f.dialogs.calls.clear();
        for (int i = 0; i < std::abs(clicks); ++i) {
            (clicks > 0 ? f.form->AddFixPoint_btn : f.form->RemoveFixPoint_btn)->click();
        }
        QCOMPARE(f.form->findChildren<QLabel*>("FixPoint_img").size(), expected);
        QCOMPARE(f.form->findChildren<QLineEdit*>("XPos_txt").size(), expected);
        QCOMPARE(f.rows(), expected);
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(f.dialogs.calls[0].title + f.dialogs.calls[0].text,
                 clicks > 0 ? "Adding impossible:The maximal number of FixPoints is already reached"
                            : "Removing impossible:The minimal number of FixPoints is reached");
        QCOMPARE(f.dialogs.calls[0].icon, zv::MessageIcon::Exclamation);
        QCOMPARE(f.form->YPos_lbl.at(std::size_t(expected - 1))->text(),
                 QString("Y%1:").arg(expected));
        QVERIFY(f.form->FixPoint_img.at(std::size_t(expected - 1))->isVisible());
        QVERIFY(selected(expected - 1));
        // A double click on a marker adds nothing; on the drawing area it adds
        // a point as the button does.
        const QPoint marker = f.markerAt(0);
        QTest::mouseDClick(f.form->FixPoint_img[0], Qt::LeftButton, {}, QPoint(4, 4));
        QCOMPARE(f.rows(), expected);
        QCOMPARE(f.markerAt(0), marker);
        QTest::mouseDClick(f.form->Output_pic, Qt::LeftButton, {}, QPoint(180, 200));
        QCOMPARE(f.rows(), std::min(expected + 1, 8));
    }

    // A new point lies 10 pixels right of the last one at the first point's
    // height, held 10 pixels inside the area; the rows below move down.
    void addedPointPlacement_data() {
        QTest::addColumn<int>("lastX");
        QTest::addColumn<int>("expectedX");
        QTest::newRow("inside") << 50 << 60;
        QTest::newRow("4 short of the limit") << -14 << -10;
    }
    void addedPointPlacement() {
        QFETCH(int, lastX);
        QFETCH(int, expectedX);
        QVERIFY(f.showCross({{5, 120}, {double(resolve({lastX, 0}).x()), 80}}));
        const int chkTop = f.form->ConnectLast_chk->y();
        f.form->AddFixPoint_btn->click();
        const QPoint want(resolve({expectedX, 0}).x(), 120);
        QCOMPARE(f.fieldsAt(2), want);
        QCOMPARE(f.markerAt(2), want);
        QVERIFY(selected(2) && !selected(1));
        QCOMPARE(f.form->ConnectLast_chk->y() - chkTop,
                 f.form->Twips().py(1500) - f.form->Twips().py(1000));
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
        QTest::newRow("x half rounds to even, up") << true << "13.5" << 14;
        QTest::newRow("y beyond the area") << false << "999" << -10;
    }
    void coordinateRepair() {
        QFETCH(bool, isX);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        QVERIFY(f.showCross({{20, 30}, {40, 50}, {60, 70}}));
        zv::TextField* field = isX ? f.form->XPos_txt.at(1) : f.form->YPos_txt.at(1);
        f.typeAndLeave(field, typed);
        const QPoint want = resolve(isX ? QPoint(expected, 50) : QPoint(40, expected));
        QCOMPARE(f.markerAt(1), want);
        QCOMPARE(f.fieldsAt(1), want);
        QVERIFY(selected(1)); // entering the field selected its row
    }

    // Coordinates beyond any sensible size (from a file) are placed, not fatal.
    void absurdCoordinates() {
        QVERIFY(f.showCross({{std::numeric_limits<double>::infinity(), -1e30},
                             {std::numeric_limits<double>::quiet_NaN(), 10}}));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(QRect(QPoint(0, 0), resolve({-10, -10})).contains(f.markerAt(i)));
            QCOMPARE(f.fieldsAt(i), f.markerAt(i));
        }
    }

    void dragAndDrop_data() {
        const QPoint unchanged(30, 40);
        table<Drag>(
            {{"grabbed at (3, 4)", 1, {3, 4}, {{50, 50}, {100, 60}}, {97, 56}},
             {"dropped at the far corner clamps", 1, {2, 2}, {{50, 50}, {-1, -1}}, {-10, -10}},
             {"dragged out and released outside", 1, {3, 4}, {{50, 50}, {-5000, 60}}, unchanged},
             {"out and back in: the drag has ended",
              1,
              {3, 4},
              {{-5000, 60}, {100, 60}},
              unchanged},
             {"released on another marker", 1, {3, 4}, {{50, 50}, {125, 125}}, unchanged},
             {"cantor set, right end", 1, {0, 0}, {{151, 50}, {150, 40}}, {150, 40}, true}});
    }
    void dragAndDrop() {
        QFETCH(Drag, row);
        if (row.cantor) {
            f.model.CantorSet.FixPoints = {{{10, 100}, {150, 100}}};
            QVERIFY(f.selectType(zv::CantorSetType));
        } else {
            QVERIFY(f.showCross({{120, 120}, {30, 40}}));
        }
        const QPoint other = f.markerAt(1 - row.row);
        QLabel* marker = f.form->FixPoint_img.at(std::size_t(row.row));
        mouseOn(marker, QEvent::MouseButtonPress, row.grab, Qt::LeftButton);
        for (const QPoint& p : row.path) {
            mouseOn(marker, QEvent::MouseMove,
                    marker->mapFrom(f.form->Output_pic, resolve(p) + QPoint(1, 1)), Qt::LeftButton);
        }
        mouseOn(marker, QEvent::MouseButtonRelease,
                marker->mapFrom(f.form->Output_pic, resolve(row.path.back()) + QPoint(1, 1)), {});
        QCOMPARE(f.markerAt(row.row), resolve(row.expected));
        QCOMPARE(f.fieldsAt(row.row), resolve(row.expected));
        QVERIFY(selected(row.row) && !f.form->FixPointDragActive());
        QCOMPARE(f.markerAt(1 - row.row), row.cantor ? QPoint(other.x(), 40) : other);
        QCOMPARE(f.fieldsAt(1 - row.row), f.markerAt(1 - row.row));
    }

    // Both ends of the Cantor set's bar share one height when one is typed.
    void cantorTypedHeight() {
        f.model.CantorSet.FixPoints = {{{10, 100}, {150, 100}}};
        QVERIFY(f.selectType(zv::CantorSetType));
        for (const int row : {0, 1}) {
            f.typeAndLeave(f.form->YPos_txt.at(std::size_t(row)), QString::number(40 + row));
            QCOMPARE(f.markerAt(0), QPoint(10, 40 + row));
            QCOMPARE(f.markerAt(1), QPoint(150, 40 + row));
            QCOMPARE(f.fieldsAt(1 - row).y(), 40 + row);
        }
    }

    // A drag that a run overtakes (started from the keyboard while the button
    // was held) moves nothing and leaves the run's picture alone.
    void dragOvertakenByRun() {
        QVERIFY(f.showCross({{120, 120}, {30, 40}}));
        QLabel* marker = f.form->FixPoint_img.at(1);
        mouseOn(marker, QEvent::MouseButtonPress, QPoint(2, 2), Qt::LeftButton);
        f.form->ManageGlobalStates(zv::WorkingMode);
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, 0x00FF00);
        const QPoint to = marker->mapFrom(f.form->Output_pic, QPoint(101, 61));
        mouseOn(marker, QEvent::MouseMove, to, Qt::LeftButton);
        mouseOn(marker, QEvent::MouseButtonRelease, to, {});
        const int drawn = f.pixelsOf(0x00FF00, QRect(150, 150, 31, 31));
        f.form->ManageGlobalStates(zv::EditMode);
        QCOMPARE(f.markerAt(1), QPoint(30, 40));
        QVERIFY(drawn > 0 && !f.form->FixPointDragActive());
    }

    // The preview: lines between the marker centres in the fore colour with the
    // edit pen, numbers under the markers, the closing line on request.
    void preview_data() { boolRows("connectLast", "open", "closed"); }
    void preview() {
        QFETCH(bool, connectLast);
        const std::int32_t red = 0x0000FF;
        f.dialogs.colorAnswers << red << 0;
        f.form->ForeColor_pic_Click();
        QVERIFY(f.showCross({{0, 0}, {100, 0}, {100, 100}}));
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, red); // erased by the preview
        if (f.form->ConnectLast_chk->isChecked() != connectLast) {
            f.form->ConnectLast_chk->click();
        }
        f.form->DrawFixPointsPreview();
        QCOMPARE(f.pixelsOf(red, QRect(150, 150, 31, 31)), 0);
        // (5, 5)-(105, 5) and (105, 5)-(105, 105), two pixels wide.
        QCOMPARE(f.pixelsOf(red, QRect(50, 0, 1, 12)), 2);
        QCOMPARE(f.pixelsOf(red, QRect(98, 50, 14, 1)), 2);
        QCOMPARE(f.pixelsOf(red, QRect(50, 50, 12, 1)) > 0, connectLast);
        // The numbers 2 and 3 under markers 1 and 2.
        QVERIFY(f.pixelsOf(red, QRect(98, 10, 20, 16)) > 0);
        QVERIFY(f.pixelsOf(red, QRect(98, 110, 20, 16)) > 0);
        QCOMPARE(f.pixelsOf(red, QRect(98, 130, 20, 16)), 0);
        f.form->ForeColor_pic_Click();
    }
};

QTEST_MAIN(tst_FixPoints)
#include "tst_FixPoints.moc"
