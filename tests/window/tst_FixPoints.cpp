// The fix point list and its markers: adding and removing rows within 2 to 8,
// the repair of typed coordinates, dragging markers, the Cantor set's shared
// height and the preview.

#include "../DataRows.h"
#include "WindowTestSupport.h"

#include <cmath>
#include <limits>

using namespace zvtest;

class tst_FixPoints : public QObject {
    Q_OBJECT
    FormFixture f;

    // Row i alone shows the selected row's green fields.
    bool selected(int i) const {
        for (const QWidget* e : f.all("XPos_txt") + f.all("YPos_txt")) {
            const bool green = e->palette().color(QPalette::Base) == QColor(Qt::green);
            if (green != (e->property("Index").toInt() == i)) {
                return false;
            }
        }
        return true;
    }
    // A marker's top-left corner in drawing-area pixels, and its row's fields.
    QPoint markerAt(int i) const { return f.at("FixPoint_img", i)->pos() - QPoint(1, 1); }
    QPoint fieldsAt(int i) const {
        return {f.at<QLineEdit>("XPos_txt", i)->text().toInt(),
                f.at<QLineEdit>("YPos_txt", i)->text().toInt()};
    }
    // The cross offers only its recursive mode, whatever its record holds.
    bool showCross(const std::vector<zv::FixPoint>& pts) {
        return f.selectType(zv::CrossType, [&] { f.model.Cross.FixPoints = pts; });
    }
    QPoint resolve(QPoint p) const {
        const auto rel = [](int v, int size) { return v < 0 && v > -100 ? size + v : v; };
        return {rel(p.x(), f.field("AreaWidth_txt")->text().toInt()),
                rel(p.y(), f.field("AreaHeight_txt")->text().toInt())};
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English));
        QVERIFY(f.open());
    }
    void init() { f.dialogs.calls.clear(); }

    // Seven rows, three of them from a broken file, are placed inside the area.
    // The commands then stop at eight and at two rows with one message each. A
    // double click on a marker adds nothing, on the drawing area it adds as
    // the button does: 10 pixels right of the last point, at the first one's
    // height, as the selected row.
    void rowLimits() {
        const double inf = std::numeric_limits<double>::infinity();
        QVERIFY(
            showCross({{5, 30}, {25, 40}, {inf, -1e30}, {std::nan(""), 1e30}, {1e30, 9}, {}, {}}));
        for (int i = 0; i < 7; ++i) {
            QVERIFY(QRect(QPoint(0, 0), resolve({-10, -10})).contains(markerAt(i)));
            QCOMPARE(fieldsAt(i), markerAt(i));
        }
        for (const auto& [button, clicks, rows, message] :
             {std::tuple(
                  "AddFixPoint_btn", 2, 8,
                  "box Adding impossible: The maximal number of FixPoints is already reached"),
              std::tuple("RemoveFixPoint_btn", 7, 2,
                         "box Removing impossible: The minimal number of FixPoints is reached")}) {
            f.dialogs.calls.clear();
            for (int i = 0; i < clicks; ++i) {
                f.button(button)->click();
            }
            QCOMPARE(f.rows(), rows);
            QCOMPARE(f.dialogs.shown(), QStringList{message});
            QVERIFY(selected(rows - 1));
            QCOMPARE(f.box("ConnectLast_chk")->y(), f.form->Twips().py(500 * rows));
        }
        QTest::mouseDClick(f.at("FixPoint_img", 0), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseRelease(f.at("FixPoint_img", 0), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseDClick(f.picture(), Qt::LeftButton, {}, QPoint(180, 200));
        QCOMPARE(f.rows(), 3);
        QCOMPARE(markerAt(2), QPoint(35, 30));
        QCOMPARE(f.at<QLabel>("YPos_lbl", 2)->text(), QString("Y3:"));
        QVERIFY(selected(2) && f.at("FixPoint_img", 2)->isVisible());
    }

    // A typed text is repaired as the field is left; a drag ends where it
    // was released inside the drawing area, and only there.
    // Row 0's point is moved by typing into its field (X or Y) or, where no
    // field is named, by dragging its marker along the path (drawing-area
    // pixels, released at the last) in the state a run has reached by then.
    // Coordinates from -1 to -99 count from the area's right or bottom edge.
    void moves_data() {
        columns<bool, QString, QString, QList<QPoint>, int, QPoint>("cantor", "field", "typed",
                                                                    "path", "state", "expected");
        using Path = QList<QPoint>;
        const QPoint unchanged(20, 30);
        row("x negative", false, "XPos_txt", "-5", Path(), 0, QPoint(0, 30));
        row("x half rounds to even", false, "XPos_txt", "12.5", Path(), 0, QPoint(12, 30));
        row("x half rounds to even, up", false, "XPos_txt", "13.5", Path(), 0, QPoint(14, 30));
        row("cantor set, y beyond the area", true, "YPos_txt", "999", Path(), 0, QPoint(20, -10));
        row("cantor set, dragged", true, "", "", Path{{50, 50}, {100, 60}}, 0, QPoint(97, 56));
        row("far corner clamps", false, "", "", Path{{-1, -1}}, 0, QPoint(-10, -10));
        row("out and back in", false, "", "", Path{{-5000, 60}, {100, 60}}, 0, unchanged);
        row("dropped on another marker", false, "", "", Path{{45, 55}}, 0, unchanged);
        row("overtaken by a run", false, "", "", Path{{100, 60}}, +zv::PauseMode, unchanged);
    }
    void moves() {
        QFETCH(bool, cantor); // the Cantor set: both ends keep one height
        QFETCH(QString, field);
        QFETCH(QList<QPoint>, path);
        QFETCH(int, state);
        const auto cantorSet = [&] { f.model.CantorSet.FixPoints = {{{20, 30}, {40, 50}}}; };
        QVERIFY(cantor ? f.selectType(zv::CantorSetType, cantorSet)
                       : showCross({{20, 30}, {40, 50}, {60, 70}}));
        auto* marker = f.at<QLabel>("FixPoint_img", 0);
        const auto dragAndRelease = [&] {
            QPoint at;
            for (const QPoint& p : path) {
                at = marker->mapFrom(f.picture(), resolve(p) + QPoint(1, 1));
                mouseOn(marker, QEvent::MouseMove, at, Qt::LeftButton);
            }
            mouseOn(marker, QEvent::MouseButtonRelease, at, {});
        };
        if (!field.isEmpty()) {
            QFETCH(QString, typed);
            f.typeAndLeave(f.at(field, 0), typed);
        } else {
            // "overtaken by a run": a run starts while the button is held on
            // the marker, and the drag ends while it waits paused.
            mouseOn(marker, QEvent::MouseButtonPress, QPoint(3, 4), Qt::LeftButton);
            QVERIFY(f.during(state, dragAndRelease));
        }
        QFETCH(QPoint, expected);
        const QPoint want = resolve(expected);
        QCOMPARE(markerAt(0), want);
        QCOMPARE(fieldsAt(0), want);
        QVERIFY(selected(0) && !f.form->FixPointDragActive());
        QCOMPARE(markerAt(1), QPoint(40, cantor ? want.y() : 50));
    }

    // The preview: lines between the marker centres in the fore colour with the
    // edit pen, numbers under the markers, the closing line on request.
    void preview_data() { boolRows("connectLast", "open", "closed"); }
    void preview() {
        QFETCH(bool, connectLast);
        const std::int32_t red = 0x0000FF;
        f.dialogs.colorAnswers << red;
        QTest::mouseClick(f.find("ForeColor_pic"), Qt::LeftButton);
        QVERIFY(showCross({{0, 0}, {100, 0}, {100, 100}}));
        f.tick("ConnectLast_chk", !connectLast);
        f.canvas().Box(150, 150, 180, 180, red); // erased by the preview
        f.box("ConnectLast_chk")->click();
        QCOMPARE(f.pixelsOf(red, QRect(150, 150, 31, 31)), 0);
        // (5, 5)-(105, 5) and (105, 5)-(105, 105), two pixels wide.
        QCOMPARE(f.pixelsOf(red, QRect(50, 0, 1, 12)), 2);
        QCOMPARE(f.pixelsOf(red, QRect(98, 50, 14, 1)), 2);
        QCOMPARE(f.pixelsOf(red, QRect(50, 50, 12, 1)) > 0, connectLast);
        // The numbers 2 and 3 under markers 1 and 2.
        QVERIFY(f.pixelsOf(red, QRect(98, 10, 20, 16)) > 0);
        QVERIFY(f.pixelsOf(red, QRect(98, 110, 20, 16)) > 0);
    }
};

QTEST_MAIN(tst_FixPoints)
#include "tst_FixPoints.moc"
