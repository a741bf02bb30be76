// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// One calibration, one controller, against the virtual controller: a link
// that comes back with another controller gets nothing until the user has
// chosen; "Write and continue" either wrote or says it did not; a device that
// goes away ends the link at once; an earlier run's record is offered only
// whole, and as made on another controller when it was.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "files/ParamFile.h"
#include "tests/support/LinkedWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReplayLogs.h"
#include "ui/ControlIds.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
// Long enough for a frame that would go out to have gone.
constexpr int kQuietMs = 600;
constexpr int kLossMs = 500;

PanelParams SimParams() {
    PanelParams params{};
    for (int k = 0; k < kParamCount; ++k) params[k] = 10 * (k + 1);
    return params;
}

bool WriteSet(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray SetBytes(const PanelParams& params) {
    const ParamFileBytes bytes = EncodeParamFile(params);
    return {reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())};
}

QStringList Entries(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files | QDir::System);
}
}  // namespace

class TestOneController : public QObject {
    Q_OBJECT

private slots:
    void init() { linked_ = std::make_unique<LinkedWindow>(); }
    void cleanup() { linked_.reset(); }

    void linkComingBack_data() {
        QTest::addColumn<QString>("comesBack");
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("sentAfter");
        const QStringList none;
        QTest::newRow("the same") << "talk" << false << 0 << none;
        QTest::newRow("the same, restarted")
            << "restart" << false << 0 << QStringList{"rx set 3 41"};
        QTest::newRow("another, default") << "swap 50" << false << int(QMessageBox::Yes) << none;
        QTest::newRow("another, English, default")
            << "swap 50" << true << int(QMessageBox::Yes) << none;
        QTest::newRow("another, the panel sent")
            << "swap 50" << false << int(QMessageBox::No) << QStringList{"rx set 0 10"};
    }

    // Parameter 3 is raised and left unstored before the controller falls
    // silent and comes back: the same controller gets it again unasked;
    // another gets nothing while the question is open.
    void linkComingBack() {
        QFETCH(QString, comesBack);
        QFETCH(bool, english);
        QFETCH(int, answer);
        QFETCH(QStringList, sentAfter);
        QTemporaryDir data;
        linked_->window.dataHome = data.path();
        QVERIFY(linked_->Start({QStringLiteral("--params"), kParams}));
        CCalibDlg& dlg = linked_->Dlg();
        if (english) dlg.Command(CommandId::kEnglish)->trigger();
        QVERIFY(linked_->Step(3, true));
        const PanelParams before = dlg.Session().Panel();
        QVERIFY(linked_->Silence());
        const auto received = [this] {
            return linked_->sim->LinesStartingWith(QStringLiteral("rx "));
        };
        const int sentBefore = int(received().size());

        ModalDriver driver;
        bool silentBehindBox = false;
        QElapsedTimer boxOpen;
        driver.actWhen = [&] {
            if (!boxOpen.isValid()) boxOpen.start();
            silentBehindBox = received().size() == sentBefore;
            return boxOpen.elapsed() > kQuietMs && dlg.Session().Record().linkUp;
        };
        if (answer != 0) driver.Press(QMessageBox::StandardButton(answer));
        if (comesBack != QStringLiteral("talk")) linked_->sim->Command(comesBack);
        linked_->sim->Command(QStringLiteral("talk"));
        QVERIFY(linked_->window.WaitForLinkUp());
        QTest::qWait(kQuietMs);
        QCOMPARE(driver.seen.size(), answer != 0 ? 1 : 0);
        if (answer != 0) {
            const ModalDriver::Seen& box = driver.seen.at(0);
            QVERIFY(silentBehindBox);
            QCOMPARE(box.defaultButton, QMessageBox::Yes);
            QVERIFY2(box.text.contains(english ? QStringLiteral("parameters 0, 1, 2, 5, 6")
                                               : QStringLiteral("参数 0, 1, 2, 5, 6")),
                     qPrintable(box.text));
            QVERIFY(!box.text.contains(QStringLiteral(" 3,")));
            // The panel as it was is kept in the file the box names.
            const QString folder = data.filePath(QCoreApplication::applicationName());
            const QStringList kept = Entries(folder, QStringLiteral("panel-*.tq4"));
            QCOMPARE(kept.size(), 1);
            QVERIFY(box.text.contains(kept.first()));
            QFile keptFile(QDir(folder).filePath(kept.first()));
            QVERIFY(keptFile.open(QIODevice::ReadOnly));
            QCOMPARE(keptFile.readAll(), SetBytes(before));
        }
        const bool loaded = answer == int(QMessageBox::Yes);
        QCOMPARE(dlg.Session().Panel()[0], loaded ? 50 : 10);
        QCOMPARE(dlg.Session().Panel()[3], loaded ? 50 : 41);
        QCOMPARE(linked_->Marked().isEmpty(), loaded);
        QTRY_COMPARE_WITH_TIMEOUT(received().mid(sentBefore, sentAfter.size()), sentAfter,
                                  LinkedWindow::kWireTimeoutMs);
        if (sentAfter.isEmpty()) QCOMPARE(received().size(), sentBefore);
    }

    void writeAndContinue_data() {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("says");
        QTest::newRow("echoed") << QString() << QString();
        QTest::newRow("not echoed") << "noecho"
                                    << "did not confirm";
        QTest::newRow("unplugged") << "unplug"
                                   << "link was lost";
    }

    // Three values still to go when Exit is answered with "Write and
    // continue": written, the program ends; not, it stays with its marks and
    // says why, and no store frame went out.
    void writeAndContinue() {
        QFETCH(QString, trouble);
        QFETCH(QString, says);
        QVERIFY(linked_->Start({QStringLiteral("--params"), kParams}));
        CCalibDlg& dlg = linked_->Dlg();
        dlg.Command(CommandId::kEnglish)->trigger();
        if (trouble == QStringLiteral("noecho")) linked_->sim->Command(trouble);
        for (const int k : {3, 4, 5}) QTest::mouseClick(dlg.Spin(k)->UpArrow(), Qt::LeftButton);
        if (trouble == QStringLiteral("unplug")) {
            QTimer::singleShot(kLossMs,
                               [this] { linked_->sim->Command(QStringLiteral("unplug")); });
        }
        ModalDriver driver;
        driver.Press(QMessageBox::Save).Press(QMessageBox::Ok);
        QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        const bool written = trouble.isEmpty();
        QCOMPARE(dlg.isVisible(), !written);
        QCOMPARE(driver.seen.size(), written ? 1 : 2);
        if (written) {
            QTRY_VERIFY(linked_->sim->ReceivedOnce().contains(QStringLiteral("rx store")));
            return;
        }
        QVERIFY2(driver.seen.at(1).text.contains(says), qPrintable(driver.seen.at(1).text));
        QCOMPARE(linked_->Marked(), QList<int>({3, 4, 5}));
        QTest::qWait(kQuietMs);
        QVERIFY(!linked_->sim->ReceivedOnce().contains(QStringLiteral("rx store")));
    }

    void deviceGone_data() {
        QTest::addColumn<bool>("replaying");
        QTest::newRow("while linked") << false;
        QTest::newRow("during a replay") << true;
    }

    // The link ends as the device goes, not when its silence is noticed; a
    // replay gives back a link that is down.
    void deviceGone() {
        QFETCH(bool, replaying);
        QVERIFY(linked_->Start({QStringLiteral("--params"), kParams}));
        CCalibDlg& dlg = linked_->Dlg();
        QVERIFY(linked_->Step(3, true));
        if (replaying) QVERIFY(PlayLog(dlg, ShortLog()));
        linked_->sim->Command(QStringLiteral("unplug"));
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Session().Record().linkUp, kLossMs);
        dlg.EndReplay();
        QCOMPARE(linked_->window.LinkStatusText(), QStringLiteral("COM Waiting..."));
        QVERIFY(!dlg.Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(!dlg.Spin(3)->isEnabled());
        QCOMPARE(linked_->Marked(), QList<int>{3});
    }

    void earlierRecord_data() {
        QTest::addColumn<QByteArray>("panel");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("defaultButton");  // NoButton: not offered at all
        QTest::addColumn<QString>("leftBehind");
        PanelParams changed = SimParams();
        changed[3] = 41;
        // Parameter 0 stored as 11 and not changed since: made elsewhere.
        PanelParams otherStored = SimParams();
        otherStored[0] = 11;
        PanelParams otherPanel = changed;
        otherPanel[0] = 11;
        PanelParams tooHigh = changed;
        tooHigh[9] = 300;
        PanelParams negative = changed;
        negative[9] = -1;
        PanelParams wrapped = SimParams();
        wrapped[9] = 65656;
        const QByteArray stored = SetBytes(SimParams());
        QTest::newRow("made here") << SetBytes(changed) << stored << int(QMessageBox::Yes) << "";
        QTest::newRow("made on another controller")
            << SetBytes(otherPanel) << SetBytes(otherStored) << int(QMessageBox::Ignore) << "kept-";
        QByteArray noise(64, '\0');
        for (int i = 0; i < noise.size(); ++i) noise[i] = char(0x5A ^ (i * 37));
        QTest::newRow("64 bytes of noise")
            << noise << stored << int(QMessageBox::NoButton) << "damaged-";
        QTest::newRow("300") << SetBytes(tooHigh) << stored << int(QMessageBox::NoButton)
                             << "damaged-";
        QTest::newRow("-1") << SetBytes(negative) << stored << int(QMessageBox::NoButton)
                            << "damaged-";
        QTest::newRow("65656 in the stored set")
            << SetBytes(changed) << SetBytes(wrapped) << int(QMessageBox::NoButton) << "damaged-";
        QTest::newRow("63 bytes") << SetBytes(changed).left(63) << stored
                                  << int(QMessageBox::NoButton) << "damaged-";
    }

    // The answer given is the default one; whatever it is, nothing reaches a
    // controller the record was not made on.
    void earlierRecord() {
        QFETCH(QByteArray, panel);
        QFETCH(QByteArray, stored);
        QFETCH(int, defaultButton);
        QFETCH(QString, leftBehind);
        QTemporaryDir data;
        const QString folder = data.filePath(QCoreApplication::applicationName());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(WriteSet(folder + QStringLiteral("/unstored-panel.tq4"), panel));
        QVERIFY(WriteSet(folder + QStringLiteral("/stored-set.tq4"), stored));
        linked_->window.dataHome = data.path();
        ModalDriver driver;
        if (defaultButton != QMessageBox::NoButton)
            driver.Press(QMessageBox::StandardButton(defaultButton));
        QVERIFY(linked_->Start({QStringLiteral("--params"), kParams}));
        QTest::qWait(kQuietMs);
        const bool offered = defaultButton != QMessageBox::NoButton;
        QCOMPARE(driver.seen.size(), offered ? 1 : 0);
        if (offered) QCOMPARE(int(driver.seen.at(0).defaultButton), defaultButton);
        const bool restored = defaultButton == QMessageBox::Yes;
        QCOMPARE(linked_->sim->ReceivedOnce(),
                 restored ? QStringList{"rx set 3 41"} : QStringList());
        QCOMPARE(Entries(folder, QStringLiteral("unstored-panel.tq4")).size(), restored ? 1 : 0);
        if (leftBehind.isEmpty()) return;
        QCOMPARE(Entries(folder, leftBehind + QStringLiteral("*-unstored-panel.tq4")).size(), 1);
        if (leftBehind == QStringLiteral("damaged-")) {
            QVERIFY(ShownPaneText(linked_->Dlg(), 0).contains(QStringLiteral("damaged-")));
            return;
        }
        // Kept for later: offered again at the next start.
        linked_->Close();
        linked_->window.dataHome = data.path();
        driver.Press(QMessageBox::Ignore);
        QVERIFY(linked_->Start({QStringLiteral("--params"), kParams}));
        QTRY_COMPARE(driver.seen.size(), 2);
        QCOMPARE(driver.seen.at(1).text, driver.seen.at(0).text);
    }

private:
    // A short log in the window's documents folder.
    QString ShortLog() {
        const QString folder = linked_->window.DocumentsFolder();
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(QStringLiteral("held.msl"));
        return WriteLog(path, {LogFrameAt(0), LogFrameAt(5'000'000)}) ? path : QString();
    }

    std::unique_ptr<LinkedWindow> linked_;
};

QTEST_MAIN(TestOneController)
#include "tst_onecontroller.moc"
