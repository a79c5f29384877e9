// The numeric fields: repair when the field is left, the typing limits, the
// period that becomes a comma, select-all on focus, and the angle hint.

#include "WindowTestSupport.h"

#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>

using zvtest::FormFixture;

class tst_NumericFields : public QObject {
    Q_OBJECT
    FormFixture f;

    QLineEdit* field(const QString& name) const { return f.find<QLineEdit>(name); }
    QWidget* elsewhere() const { return f.find<QWidget>("Pause_chk"); }

    void setLocale(const QString& name) {
        QLocale::setDefault(name == "de" ? QLocale(QLocale::German, QLocale::Germany)
                                         : QLocale(QLocale::English, QLocale::UnitedStates));
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void cleanup() { setLocale("en"); }

    void repairOnLeaving_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* tag, const char* loc, const char* name, const char* typed,
                            const char* after) {
            QTest::newRow(tag) << loc << name << QString::fromUtf8(typed)
                               << QString::fromUtf8(after);
        };
        row("width empty", "en", "AreaWidth_txt", "", "200");
        row("width 800", "en", "AreaWidth_txt", "800", "700");
        row("width 700", "en", "AreaWidth_txt", "700", "700");
        row("width 199", "en", "AreaWidth_txt", "199", "200");
        row("height 150", "en", "AreaHeight_txt", "150", "250");
        row("height 601", "en", "AreaHeight_txt", "601", "600");
        row("height 600", "en", "AreaHeight_txt", "600", "600");
        row("depth letters", "en", "CalcDepth_txt", "deep", "4");
        row("depth -3", "en", "CalcDepth_txt", "-3", "0");
        row("depth 0", "en", "CalcDepth_txt", "0", "0");
        row("depth 100000", "en", "CalcDepth_txt", "100000", "100000");
        row("depth 2.5 stays as typed", "en", "CalcDepth_txt", "2.5", "2.5");
        row("step letters", "en", "StepHeight_txt", "ab", "10");
        row("step -5", "en", "StepHeight_txt", "-5", "-5");
        row("elements 1", "en", "ElementsCount_txt", "1", "2");
        row("elements 2", "en", "ElementsCount_txt", "2", "2");
        row("elements 9", "en", "ElementsCount_txt", "9", "9");
        row("decrease letters", "en", "DecreaseFactor_txt", "half", "0,5");
        row("decrease negative", "en", "DecreaseFactor_txt", "-1", "0");
        row("decrease letters de", "de", "DecreaseFactor_txt", "half", "0,5");
        row("decrease -0,25 de", "de", "DecreaseFactor_txt", "-0,25", "0");
        row("line letters", "en", "LineLength_txt", "long", "0,5");
        row("line negative", "en", "LineLength_txt", "-2", "0");
        row("line 0.75 de", "de", "LineLength_txt", "0.75", "0,75");
        row("line 0.75 en", "en", "LineLength_txt", "0.75", "0,75");
        row("delta letters", "en", "Delta_txt", "wide", "50");
        row("delta -720", "en", "Delta_txt", "-720", "-720");
        row("delta nan", "en", "Delta_txt", "nan", "50");
    }
    void repairOnLeaving() {
        QFETCH(QString, locale);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        setLocale(locale);
        f.typeAndLeave(field(name), typed, elsewhere());
        QCOMPARE(field(name)->text(), after);
    }

    // The user cannot type or paste beyond a field's limit; texts the program
    // writes are not cut.
    void typingLimits_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, const char* a, const char* b, const QString& c) {
            QTest::newRow(tag) << QString(a) << QString(b) << c;
        };
        row("area width", "AreaWidth_txt", "6543", "654");
        row("area height", "AreaHeight_txt", "4321", "432");
        row("step height", "StepHeight_txt", "123", "12");
        row("elements count", "ElementsCount_txt", "78", "7");
        row("x of fix point", "XPos_txt", "12345", "1234");
        row("depth has no limit", "CalcDepth_txt", "1234567", "1234567");
    }

    void typingLimits() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QLineEdit* e = field(name);
        e->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(e, typed);
        QCOMPARE(e->text(), shown);
        e->clear();
        e->insert(typed); // as a paste would
        QCOMPARE(e->text(), shown);
        e->setText(typed);
        QCOMPARE(e->text(), typed);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), typed.chopped(1));
        elsewhere()->setFocus(Qt::TabFocusReason);
    }

    void periodBecomesComma_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* tag, const char* a, const char* b, const QString& c) {
            QTest::newRow(tag) << QString(a) << QString(b) << c;
        };
        row("line length", "LineLength_txt", "0.75", "0,75");
        row("decrease factor", "DecreaseFactor_txt", "1.5", "1,5");
        row("delta keeps the period", "Delta_txt", "1.5", "1.5");
        row("depth keeps the period", "CalcDepth_txt", "1.5", "1.5");
    }

    void periodBecomesComma() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QLineEdit* e = field(name);
        e->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(e, typed);
        QCOMPARE(e->text(), shown);
        e->setText(typed); // a paste or the program's own text is not altered
        QCOMPARE(e->text(), typed);
        elsewhere()->setFocus(Qt::TabFocusReason);
    }

    // Whatever brings the focus, the whole text is selected, so the next key
    // replaces it.
    void selectAllOnFocus_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("tab key") << "tab";
        QTest::newRow("mouse click") << "click";
        QTest::newRow("mouse press and drag") << "drag";
    }
    void selectAllOnFocus() {
        QFETCH(QString, how);
        QLineEdit* width = field("AreaWidth_txt");
        QLineEdit* height = field("AreaHeight_txt");
        width->setText("321");
        height->setText("432");
        elsewhere()->setFocus(Qt::TabFocusReason);
        if (how == "tab") {
            width->setFocus(Qt::TabFocusReason);
            f.key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), height);
        } else {
            const QPoint inside(height->width() / 2, height->height() / 2);
            QTest::mousePress(height, Qt::LeftButton, {}, inside);
            if (how == "drag") {
                QMouseEvent move(QEvent::MouseMove, QPointF(inside + QPoint(-8, 0)),
                                 height->mapToGlobal(QPointF(inside + QPoint(-8, 0))), Qt::NoButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(height, &move);
            }
            QTest::mouseRelease(height, Qt::LeftButton, {}, inside);
            QCOMPARE(QApplication::focusWidget(), height);
        }
        QCOMPARE(height->selectedText(), QString("432"));
        QTest::keyClicks(height, "3");
        QCOMPARE(height->text(), QString("3"));
        elsewhere()->setFocus(Qt::TabFocusReason);
        QCOMPARE(height->text(), QString("250"));
    }

    void angleHint_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("degrees");
        QTest::addColumn<QString>("hint");
        const QString tail = " (should lie somewhere between -6.2 and 6.2)";
        const auto row = [](const char* tag, const char* a, const char* b, const QString& c) {
            QTest::newRow(tag) << QString(a) << QString(b) << c;
        };
        row("50 en", "en", "50", "=0.872664626111111" + tail);
        row("50 de", "de", "50", "=0,872664626111111" + tail);
        row("360 en", "en", "360", "=6.283185308" + tail);
        row("360 de", "de", "360", "=6,283185308" + tail);
        row("-90 de", "de", "-90", "=-1,570796327" + tail);
    }

    void angleHint() {
        QFETCH(QString, locale);
        QFETCH(QString, degrees);
        QFETCH(QString, hint);
        setLocale(locale);
        QLineEdit* delta = field("Delta_txt");
        delta->setText(degrees);
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), delta->mapToGlobal(QPointF(3, 3)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(delta, &move);
        QCOMPARE(delta->toolTip(), hint);
        // A text that is no number leaves the last hint.
        delta->setText("wide");
        QApplication::sendEvent(delta, &move);
        QCOMPARE(delta->toolTip(), hint);
    }
};

QTEST_MAIN(tst_NumericFields)
#include "tst_NumericFields.moc"
