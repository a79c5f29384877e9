// The fix point list and its markers: adding and removing rows within 2 to 8,
// the repair of typed coordinates, dragging markers, the Cantor set's shared
// height and the preview.

#include "WindowTestSupport.h"

#include <cmath>
#include <limits>

using namespace zvtest;

namespace {

// Row 0's point moved by typing into one of its fields or by dragging its marker.
struct Move {
    const char* tag;
    bool cantor;              // the Cantor set: both ends keep one height
    bool intoX;               // typed into X, else into Y
    const char* typed;        // nullptr: dragged along the path instead
    std::vector<QPoint> path; // drawing-area pixels; released at the last
    bool run;                 // a run starts while the button is held
    QPoint expected;          // -1 to -99 count from the area's right or bottom edge
};

} // namespace

Q_DECLARE_METATYPE(Move)

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
    void init() {
        f.dialogs.calls.clear();
        f.tick("Pause_chk", false);
    }

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
            QVERIFY(QRect(QPoint(0, 0), resolve({-10, -10})).contains(f.markerAt(i)));
            QCOMPARE(f.fieldsAt(i), f.markerAt(i));
        }
        for (const auto& [button, clicks, rows, message] :
             {std::tuple("AddFixPoint_btn", 2, 8,
                         "Adding impossible:The maximal number of FixPoints is already reached"),
              std::tuple("RemoveFixPoint_btn", 7, 2,
                         "Removing impossible:The minimal number of FixPoints is reached")}) {
            f.dialogs.calls.clear();
            for (int i = 0; i < clicks; ++i) {
                f.button(button)->click();
            }
            QCOMPARE(f.rows(), rows);
            QCOMPARE(f.dialogs.calls.size(), 1);
            QCOMPARE(f.dialogs.calls[0].title + f.dialogs.calls[0].text, QString(message));
            QVERIFY(selected(rows - 1));
            QCOMPARE(f.box("ConnectLast_chk")->y(), f.form->Twips().py(500 * rows));
        }
        QTest::mouseDClick(f.at("FixPoint_img", 0), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseRelease(f.at("FixPoint_img", 0), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseDClick(f.picture(), Qt::LeftButton, {}, QPoint(180, 200));
        QCOMPARE(f.rows(), 3);
        QCOMPARE(f.markerAt(2), QPoint(35, 30));
        QCOMPARE(f.at<QLabel>("YPos_lbl", 2)->text(), QString("Y3:"));
        QVERIFY(selected(2) && f.at("FixPoint_img", 2)->isVisible());
    }

    // A typed text is repaired as the field is left; a drag ends where it
    // was released inside the drawing area, and only there.
    void moves_data() {
        const QPoint unchanged(20, 30);
        table<Move>({
            {"x negative", false, true, "-5", {}, false, {0, 30}},
            {"x half rounds to even", false, true, "12.5", {}, false, {12, 30}},
            {"x half rounds to even, up", false, true, "13.5", {}, false, {14, 30}},
            {"cantor set, y beyond the area", true, false, "999", {}, false, {20, -10}},
            {"cantor set, dragged", true, false, nullptr, {{50, 50}, {100, 60}}, false, {97, 56}},
            {"far corner clamps", false, false, nullptr, {{-1, -1}}, false, {-10, -10}},
            {"out and back in", false, false, nullptr, {{-5000, 60}, {100, 60}}, false, unchanged},
            {"dropped on another marker", false, false, nullptr, {{45, 55}}, false, unchanged},
            {"overtaken by a run", false, false, nullptr, {{100, 60}}, true, unchanged},
        });
    }
    void moves() {
        QFETCH(Move, row);
        const auto cantor = [&] { f.model.CantorSet.FixPoints = {{{20, 30}, {40, 50}}}; };
        QVERIFY(row.cantor ? f.selectType(zv::CantorSetType, cantor)
                           : showCross({{20, 30}, {40, 50}, {60, 70}}));
        auto* marker = f.at<QLabel>("FixPoint_img", 0);
        const auto dragAndRelease = [&] {
            QPoint at;
            for (const QPoint& p : row.path) {
                at = marker->mapFrom(f.picture(), resolve(p) + QPoint(1, 1));
                mouseOn(marker, QEvent::MouseMove, at, Qt::LeftButton);
            }
            mouseOn(marker, QEvent::MouseButtonRelease, at, {});
        };
        if (row.typed != nullptr) {
            f.typeAndLeave(f.at(row.intoX ? "XPos_txt" : "YPos_txt", 0), row.typed);
        } else {
            // "overtaken by a run": a run starts while the button is held on
            // the marker, and the drag ends while it waits paused.
            mouseOn(marker, QEvent::MouseButtonPress, QPoint(3, 4), Qt::LeftButton);
            QVERIFY(f.whilePaused(dragAndRelease, row.run));
        }
        const QPoint want = resolve(row.expected);
        QCOMPARE(f.markerAt(0), want);
        QCOMPARE(f.fieldsAt(0), want);
        QVERIFY(selected(0) && !f.form->FixPointDragActive());
        QCOMPARE(f.markerAt(1), QPoint(40, row.cantor ? want.y() : 50));
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
