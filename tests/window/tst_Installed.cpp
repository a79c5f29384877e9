// The window as a user of an installed copy meets it: the first start, which
// finds no settings of the user's yet, and captions that fit their controls
// also where the window's condensed font family is not installed (ctest runs
// this a second time with that family hidden from fontconfig).

#include "../DataRows.h"
#include "../HostileFiles.h"
#include "QtDialogs.h"
#include "WindowTestSupport.h"

#include <QtWidgets>

using namespace zvtest;

namespace {

const QString Condensed = QStringLiteral("DejaVu Sans Condensed");

// A caption as drawn: "&&" is an ampersand, a single "&" marks the access key.
QString shown(QString text) {
    return text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&');
}

struct Fit {
    int room, needed; // pixels; a caption that wraps counts its lines' height instead
};

// The room a control's caption has and how much of it the caption needs;
// nothing for a control without a caption to check.
std::optional<Fit> fitOf(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    QString text;
    int room = 0;
    if (w->inherits("zv::StatusPanel")) {
        return {}; // the status bar's texts are the run's, cut short by design
    } else if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->wordWrap()) {
        text = label->text();
        room = label->contentsRect().width();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<const QCheckBox*>(w)      ? QStyle::SE_CheckBoxContents
            : qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                   : QStyle::SE_PushButtonContents;
        const QRect rect = button->style()->subElementRect(contents, &option, button);
        if (w->inherits("zv::WrappingCheckBox") && !text.isEmpty()) {
            return Fit{rect.height(),
                       fm.boundingRect(rect, Qt::TextWordWrap, shown(text)).height()};
        }
        room = rect.width();
    } else if (const auto* list = qobject_cast<const QComboBox*>(w);
               list && list->currentIndex() == 0) {
        // At the narrowest only the start of a long type name shows (the tool
        // tip has it whole); the first type's name fits the window as it starts.
        QStyleOptionComboBox option;
        option.initFrom(list);
        text = list->currentText();
        const QStyle::SubControl field = QStyle::SC_ComboBoxEditField;
        room = list->style()->subControlRect(QStyle::CC_ComboBox, &option, field, list).width();
    } else if (const auto* frame = qobject_cast<const QGroupBox*>(w)) {
        text = frame->title();
        room = frame->width();
    }
    return text.isEmpty() ? std::nullopt
                          : std::optional(Fit{room, fm.boundingRect(shown(text)).right() + 1});
}

} // namespace

class InstalledTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString config_;

private slots:
    void initTestCase() {
        QVERIFY(root_.isValid());
        // The user's own folders, as the installed program finds them.
        QCoreApplication::setApplicationName("zorvandine");
        qputenv("XDG_CONFIG_HOME", root_.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", root_.filePath("data").toLocal8Bit());
        config_ = root_.filePath("config/zorvandine/User.ini");
        QVERIFY(QDir().mkpath(QFileInfo(config_).path()));
    }

    // A first start finds no User.ini. Installed (the factory settings in
    // share/zorvandine, the user's in the configuration folder) that is no
    // loss and needs no box, and the second start brings back what the
    // first close stored; beside a portable program the file is lost, and so
    // is an own User.ini that is damaged.
    void firstStart_data() {
        // ownSettings: the user's User.ini, none when null
        columns<bool, QByteArray, int>("installed", "ownSettings", "boxes");
        QTest::newRow("installed, the user's first start") << true << QByteArray() << 0;
        QTest::newRow("installed, the user's User.ini damaged") << true << QByteArray("0\n") << 1;
        QTest::newRow("portable, User.ini lost") << false << QByteArray() << 1;
    }
    void firstStart() {
        QFETCH(bool, installed);
        QFETCH(QByteArray, ownSettings);
        QFETCH(int, boxes);
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin"),
                      factory = installed ? prefix.filePath("share/zorvandine") : bin;
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(factory) &&
                QFile::copy(FormFixture::factoryIni(), factory + "/Default.ini"));
        QFile::remove(config_);
        QVERIFY(ownSettings.isNull() || writeBytes(config_, ownSettings));

        FormFixture first, second;
        first.create(bin);
        QCOMPARE(first.dialogs.calls.size(), boxes);
        QCOMPARE(first.dialogs.calls.value(0).title, boxes ? "Bad Error:" : "");
        // Not the shown type's: its record is written as the model holds it.
        first.model.LSystem.Delta = 33;
        QVERIFY(first.form->close());
        second.create(bin);
        QCOMPARE(second.dialogs.calls.size(), 0);
        QCOMPARE(second.model.LSystem.Delta, 33.0);
        QCOMPARE(QFileInfo::exists(config_), installed);
    }

    // Every caption fits its control: a clipped one reads "Cantor Se" or
    // "Pause after each o". With the condensed family hidden the window must
    // notice the substitute and narrow it.
    void captionsFit() {
        if (qEnvironmentVariableIsSet("ZV_TEST_FAMILY_HIDDEN")) {
            QVERIFY2(QFontInfo(QFont(Condensed)).family() != Condensed,
                     "the fontconfig file of this run did not hide the family");
        } else if (QFontInfo(QFont(Condensed)).family() != Condensed) {
            QSKIP("\"DejaVu Sans Condensed\" is not installed (package fonts-dejavu-extra)");
        }
        FormFixture window; // a portable copy with its settings
        QVERIFY(window.open());
        QStringList clipped;
        int captions = 0;
        for (const QWidget* w : window.form->findChildren<QWidget*>()) {
            const std::optional<Fit> fit = fitOf(w);
            captions += fit.has_value();
            if (fit && fit->needed > fit->room) {
                clipped << QStringLiteral("%1 needs %2 pixels, has %3 (font %4, stretch %5)")
                               .arg(w->objectName(), QString::number(fit->needed),
                                    QString::number(fit->room), QFontInfo(w->font()).family(),
                                    QString::number(w->font().stretch()));
            }
        }
        QVERIFY(captions > 0);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));
    }

    // The file dialogs are left to the desktop where it has its own (Qt
    // decides that from the platform theme and never does it for a subclass
    // or with DontUseNativeDialog); the modes and the overwrite question
    // follow the request.
    void fileDialog_data() {
        columns<bool, bool>("save", "confirmOverwrite");
        QTest::newRow("open") << false << true;
        QTest::newRow("save, asking before overwriting") << true << true;
        QTest::newRow("save, not asking") << true << false;
    }
    void fileDialog() {
        QFETCH(bool, save);
        QFETCH(bool, confirmOverwrite);
        const auto dialog = zv::createFileDialog(
            nullptr, {"", root_.path(), "*.prm", "prm", confirmOverwrite}, save);
        QCOMPARE(dialog->metaObject(), &QFileDialog::staticMetaObject);
        QVERIFY(!dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !confirmOverwrite);
    }
};

QTEST_MAIN(InstalledTest)
#include "tst_Installed.moc"
