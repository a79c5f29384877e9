// The window as a user of an installed copy meets it: the first start, which
// finds no settings of the user's yet, and captions that fit their controls
// also where the window's condensed font family is not installed (ctest runs
// this a second time with that family hidden from fontconfig).

#include "FakeDialogs.h"
#include "FileMod.h"
#include "MainForm.h"
#include "QtDialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

using zvtest::FakeDialogs;

const QString Condensed = QStringLiteral("DejaVu Sans Condensed");

QString factorySettings() {
    return QCoreApplication::applicationDirPath() + "/Default.ini";
}

bool copyTo(const QString& folder, const QString& name) {
    return QDir().mkpath(folder) && QFile::copy(factorySettings(), folder + "/" + name);
}

// A caption as drawn: "&&" is an ampersand, a single "&" marks the access key.
QString shown(QString text) {
    return text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&');
}

// The room a control's caption has, and how much of it the caption needs
// (pixels); a caption that wraps counts its lines' height instead.
struct Fit {
    int room = 0;
    int needed = 0;
};

Fit fitOf(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return {label->contentsRect().width(), fm.boundingRect(shown(label->text())).right() + 1};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<const QCheckBox*>(w)      ? QStyle::SE_CheckBoxContents
            : qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents
                                                   : QStyle::SE_PushButtonContents;
        const QRect rect = button->style()->subElementRect(contents, &option, button);
        const QString text = shown(button->text());
        if (w->inherits("zv::WrappingCheckBox")) {
            return {rect.height(), fm.boundingRect(rect, Qt::TextWordWrap, text).height()};
        }
        return {rect.width(), fm.boundingRect(text).right() + 1};
    }
    if (const auto* list = qobject_cast<const QComboBox*>(w)) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        return {field.width(), fm.boundingRect(list->currentText()).right() + 1};
    }
    const auto* frame = qobject_cast<const QGroupBox*>(w);
    return {frame->width(), fm.boundingRect(shown(frame->title())).right() + 1};
}

bool hasCaption(const QWidget* w) {
    if (w->inherits("zv::StatusPanel")) {
        return false; // the status bar's texts are the run's, cut short by design
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return !label->text().isEmpty() && !label->wordWrap();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return !button->text().isEmpty();
    }
    if (const auto* list = qobject_cast<const QComboBox*>(w)) {
        // At the narrowest only the start of a long name shows (the tool tip
        // has it whole); the first type's name fits the window as it starts.
        return list->currentIndex() == 0;
    }
    const auto* frame = qobject_cast<const QGroupBox*>(w);
    return frame != nullptr && !frame->title().isEmpty();
}

} // namespace

class InstalledTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString config_;
    zv::ParameterModel model_;
    FakeDialogs dialogs_;
    std::unique_ptr<zv::MainForm> form_;
    QList<QPointer<QWidget>> captioned_;

    // A fresh window on the program folder; the settings are read then.
    std::unique_ptr<zv::MainForm> start(const QString& programFolder, zv::ParameterModel& model,
                                        FakeDialogs& dialogs) {
        return std::make_unique<zv::MainForm>(model, dialogs, programFolder);
    }

private slots:
    void initTestCase() {
        QVERIFY(root_.isValid());
        // The user's own folders, as the installed program finds them.
        QCoreApplication::setApplicationName("zorvandine");
        qputenv("XDG_CONFIG_HOME", root_.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", root_.filePath("data").toLocal8Bit());
        config_ = root_.filePath("config/zorvandine/User.ini");

        const QString portable = root_.filePath("shown");
        QVERIFY(copyTo(portable, "Default.ini") && copyTo(portable, "User.ini"));
        form_ = start(portable, model_, dialogs_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        for (QWidget* w : form_->findChildren<QWidget*>()) {
            if (hasCaption(w)) {
                captioned_.append(w);
            }
        }
    }

    // A first start finds no User.ini. Installed (the factory settings in
    // share/zorvandine, the user's in the configuration folder) that is no
    // loss and needs no box, and the second start brings back what the
    // first close stored; beside a portable program the file is lost, and so
    // is an own User.ini that is damaged.
    void firstStart_data() {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("ownSettings"); // the user's User.ini; none when null
        QTest::addColumn<int>("boxes");
        QTest::newRow("installed, the user's first start") << true << QByteArray() << 0;
        QTest::newRow("installed, the user's User.ini damaged") << true << QByteArray("0\n") << 1;
        QTest::newRow("portable, User.ini lost") << false << QByteArray() << 1;
    }
    void firstStart() {
        QFETCH(bool, installed);
        QFETCH(QByteArray, ownSettings);
        QFETCH(int, boxes);
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(copyTo(installed ? prefix.filePath("share/zorvandine") : bin, "Default.ini"));
        QFile::remove(config_);
        if (!ownSettings.isNull()) {
            QVERIFY(QDir().mkpath(QFileInfo(config_).absolutePath()));
            QFile own(config_);
            QVERIFY(own.open(QIODevice::WriteOnly) && own.write(ownSettings) > 0);
        }

        zv::ParameterModel model;
        FakeDialogs dialogs;
        auto form = start(bin, model, dialogs);
        QCOMPARE(dialogs.calls.size(), boxes);
        for (const zvtest::DialogCall& call : dialogs.calls) {
            QCOMPARE(call.title, "Bad Error:");
        }
        // Not the shown type's: its record is written as the model holds it.
        model.LSystem.Delta = 33;
        QVERIFY(form->close());
        form.reset();

        zv::ParameterModel again;
        FakeDialogs secondDialogs;
        form = start(bin, again, secondDialogs);
        QCOMPARE(secondDialogs.calls.size(), 0);
        QCOMPARE(again.LSystem.Delta, 33.0);
        QVERIFY(form->close());
        QCOMPARE(QFileInfo::exists(config_), installed);
    }

    // Every caption fits its control: a clipped one reads "Cantor Se" or
    // "Pause after each o". With the condensed family hidden the window must
    // notice the substitute and narrow it.
    void captionsFit_data() {
        if (qEnvironmentVariableIsSet("ZV_TEST_FAMILY_HIDDEN")) {
            QVERIFY2(QFontInfo(QFont(Condensed)).family() != Condensed,
                     "the fontconfig file of this run did not hide the family");
        } else if (QFontInfo(QFont(Condensed)).family() != Condensed) {
            QSKIP("\"DejaVu Sans Condensed\" is not installed (package fonts-dejavu-extra)");
        }
        QVERIFY(!captioned_.isEmpty());
        QTest::addColumn<int>("index");
        for (int i = 0; i < captioned_.size(); ++i) {
            QTest::newRow(qPrintable(captioned_[i]->objectName() + QString::number(i))) << i;
        }
    }
    void captionsFit() {
        QFETCH(int, index);
        const QWidget* w = captioned_.at(index);
        QVERIFY(w != nullptr);
        const Fit fit = fitOf(w);
        if (fit.needed > fit.room) {
            QFAIL(qPrintable(QStringLiteral("%1 needs %2 pixels, has %3 (font %4, stretch %5)")
                                 .arg(w->objectName())
                                 .arg(fit.needed)
                                 .arg(fit.room)
                                 .arg(QFontInfo(w->font()).family())
                                 .arg(w->font().stretch())));
        }
    }

    // The file dialogs are left to the desktop where it has its own (Qt
    // decides that from the platform theme and never does it for a subclass
    // or with DontUseNativeDialog); the German title, the filter, the suffix
    // and the overwrite question stay what the request says.
    void fileDialog_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("confirmOverwrite");
        QTest::newRow("open") << false << true;
        QTest::newRow("save, asking before overwriting") << true << true;
        QTest::newRow("save, not asking") << true << false;
    }
    void fileDialog() {
        QFETCH(bool, save);
        QFETCH(bool, confirmOverwrite);
        const zv::FileDialogRequest request{"Paramaterdatei speichern:", root_.path(),
                                            "Parameter-Dateien (*.prm)", save ? "prm" : "",
                                            confirmOverwrite};
        const auto dialog = zv::createFileDialog(nullptr, request, save);
        QCOMPARE(dialog->metaObject(), &QFileDialog::staticMetaObject);
        QVERIFY(!dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->windowTitle(), request.title);
        QCOMPARE(dialog->nameFilters(), QStringList{request.filter});
        QCOMPARE(dialog->defaultSuffix(), request.defaultSuffix);
        QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(dialog->testOption(QFileDialog::DontConfirmOverwrite), !confirmOverwrite);
    }

    void cleanupTestCase() { form_.reset(); }
};

QTEST_MAIN(InstalledTest)
#include "tst_Installed.moc"
