// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// A whole calibration through the session, with no window at all, against
// the virtual controller: the link comes up and loads the panel, a change
// and Write reach the controller, the controller falls silent and comes
// back, and another controller on the line is held until the answer.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "link/ControllerLink.h"
#include "session/CalibrationSession.h"
#include "tests/support/SimProcess.h"

namespace {
constexpr int kPort = 3;
constexpr int kLinkTimeoutMs = 10000;
constexpr int kWireTimeoutMs = 5000;
// Silence is noticed 2.2 to 2.4 s after the last frame.
constexpr int kLossTimeoutMs = 4000;
constexpr ProbeTimings kFastSearch{std::chrono::milliseconds(30), std::chrono::milliseconds(10)};
const QString kParams = QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
}  // namespace

class TestCalibrationSession : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(home_.isValid());
        qputenv("XDG_DATA_HOME", home_.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral("config")).toUtf8());
        sim_ = StartedSim({QStringLiteral("--params"), kParams});
        QVERIFY(sim_);
        const std::string device = sim_->PortPath().toStdString();
        session_ = std::make_unique<CalibrationSession>(
            [device](int port) { return port == kPort ? device : std::string(); }, kFastSearch);
    }

    void cleanup() {
        session_.reset();
        sim_.reset();
    }

    void aWholeCalibration() {
        CalibrationSession& session = *session_;
        QSignalSpy panel(&session, &CalibrationSession::panelValueChanged);
        QSignalSpy unstored(&session, &CalibrationSession::unstoredChanged);
        QSignalSpy other(&session, &CalibrationSession::otherControllerFound);
        QSignalSpy linkUp(&session, &CalibrationSession::linkUpChanged);
        session.Start();
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        QCOMPARE(session.Panel()[15], 160);
        QCOMPARE(panel.size(), 16);

        QVERIFY(!session.SetPanelValue(3, 256));
        QVERIFY(session.SetPanelValue(3, 41));
        QCOMPARE(unstored.takeLast().at(0).value<ParamMask>(), ParamMask{0x0008});
        QTRY_COMPARE_WITH_TIMEOUT(sim_->ReceivedOnce(), QStringList{"rx set 3 41"}, kWireTimeoutMs);
        session.RequestWrite();
        QTRY_COMPARE_WITH_TIMEOUT(sim_->ReceivedOnce(), QStringList({"rx set 3 41", "rx store"}),
                                  kWireTimeoutMs);
        QCOMPARE(session.Unstored(), ParamMask{0});

        sim_->Command(QStringLiteral("silent"));
        QVERIFY(QTest::qWaitFor([&] { return !session.IsUp(); }, kLossTimeoutMs));
        QVERIFY(!session.Editing());
        sim_->Command(QStringLiteral("talk"));
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        QVERIFY(session.Editing());
        QCOMPARE(other.size(), 0);
        QCOMPARE(session.Panel()[3], 41);
        QList<bool> told;
        for (const QList<QVariant>& signal : linkUp) told.append(signal.at(0).toBool());
        QCOMPARE(told, QList<bool>({true, false, true}));
    }

    // Another controller comes back: nothing is sent until the answer, and
    // its values load the panel.
    void anotherControllerIsHeldUntilAnswered() {
        CalibrationSession& session = *session_;
        QSignalSpy other(&session, &CalibrationSession::otherControllerFound);
        session.Start();
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        QVERIFY(session.SetPanelValue(2, 33));
        QVERIFY(session.CanUndo());
        QTRY_COMPARE_WITH_TIMEOUT(sim_->ReceivedOnce(), QStringList{"rx set 2 33"}, kWireTimeoutMs);
        const qsizetype sent = sim_->LinesStartingWith(QStringLiteral("rx ")).size();
        sim_->Command(QStringLiteral("silent"));
        QVERIFY(QTest::qWaitFor([&] { return !session.IsUp(); }, kLossTimeoutMs));
        sim_->Command(QStringLiteral("swap 70"));
        sim_->Command(QStringLiteral("talk"));
        QVERIFY(other.wait(kLinkTimeoutMs));
        // Parameter 2, changed and not stored, tells nothing either way.
        QCOMPARE(other.at(0).at(0).value<ParamMask>(), ParamMask(0xFFFF & ~(1U << 6) & ~(1U << 2)));
        QVERIFY(!session.Editing());
        QTest::qWait(1000);
        QCOMPARE(sim_->LinesStartingWith(QStringLiteral("rx ")).size(), sent);
        session.ChooseControllerValues();
        QCOMPARE(session.Panel()[0], 70);
        QVERIFY(session.Editing());
        QCOMPARE(session.Unstored(), ParamMask{0});
        // Undo would send the first controller's value to this one.
        QVERIFY(!session.CanUndo());
    }

    // Several values are one step, refused whole when one is out of range;
    // undo sends the old values back, redo the new. A port command forgets
    // the history: its steps were for the panel as it was.
    void theHistoryHasAStepPerChangeAndEndsWithThePort() {
        CalibrationSession& session = *session_;
        session.Start();
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        PanelParams values = session.Panel();
        values[1] = 21;
        values[2] = 256;
        QVERIFY(!session.SetPanelValues(values, 0x0006));
        QCOMPARE(session.Panel()[1], 20);
        QVERIFY(!session.CanUndo());
        values[2] = 31;
        QVERIFY(session.SetPanelValues(values, 0x0006));
        QTRY_COMPARE_WITH_TIMEOUT(sim_->ReceivedOnce(), QStringList({"rx set 1 21", "rx set 2 31"}),
                                  kWireTimeoutMs);
        session.Undo();
        QCOMPARE(session.Panel()[1], 20);
        QCOMPARE(session.Panel()[2], 30);
        QVERIFY(!session.CanUndo());
        QTRY_COMPARE_WITH_TIMEOUT(
            sim_->ReceivedOnce(),
            QStringList({"rx set 1 21", "rx set 2 31", "rx set 1 20", "rx set 2 30"}),
            kWireTimeoutMs);
        session.Redo();
        QCOMPARE(session.Panel()[2], 31);
        QVERIFY(session.CanUndo());
        session.SelectPort(kPort);
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        QVERIFY(!session.CanUndo());
        QVERIFY(!session.CanRedo());
    }

    // "Write and continue" through the session: the change, its echo, the
    // store, and the outcome told once.
    void writingThePanelTellsHowItWent() {
        CalibrationSession& session = *session_;
        QSignalSpy written(&session, &CalibrationSession::panelWritten);
        session.Start();
        QVERIFY(QTest::qWaitFor([&] { return session.IsUp(); }, kLinkTimeoutMs));
        session.SetPanelValue(9, 101);
        session.WritePanel();
        QVERIFY(written.wait(kWireTimeoutMs));
        QCOMPARE(written.size(), 1);
        QCOMPARE(written.at(0).at(0).value<CalibrationSession::WriteOutcome>(),
                 CalibrationSession::WriteOutcome::Written);
        QTRY_COMPARE(sim_->ReceivedOnce(), QStringList({"rx set 9 101", "rx store"}));
    }

private:
    QTemporaryDir home_;
    std::unique_ptr<SimProcess> sim_;
    std::unique_ptr<CalibrationSession> session_;
};

QTEST_GUILESS_MAIN(TestCalibrationSession)
#include "tst_calibrationsession.moc"
