// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window and its adapters: the remembered one heard first and kept when
// the link comes up, looked for after it went away until it really opens,
// the looking ended by the user's port choice, and the port menu and status
// tooltip naming what each port is. Made-up adapters on pseudo-terminals,
// with the virtual controller.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ports/AdapterMemory.h"
#include "ports/RememberedAdapter.h"
#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PtyPair.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/StatusPanes.h"

namespace {
using PortChoice = WindowOps::PortChoice;
constexpr int kSimPort = 2;
// The adapter's name when nothing else is named: the first free one.
constexpr int kAdapterPort = 3;
const std::string kSerial = "A50285BI";
// Longer than two looks, so a look that should open nothing has had its chance.
constexpr int kLooksMs = 1200;
}  // namespace

class TestAdapters : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> window_;
    std::unique_ptr<SimProcess> adapterSim_;
    PtyPair occupied_;

    // COM1 busy with a silent port, so the adapter's free name comes after
    // the table's COM2; the adapter talks through a controller of its own.
    void PlugAdapter() {
        window_->ports.Set(1, occupied_.SlavePath());
        adapterSim_ = StartedSim();
        QVERIFY(adapterSim_);
        window_->adapters->Plug(MadeUpFtdi(adapterSim_->PortPath().toStdString(), kSerial));
    }

    // The adapter pulled out, the window looking for it.
    void PullAdapterOut() {
        adapterSim_->Command(QStringLiteral("unplug"));
        window_->adapters->Unplug(MadeUpFtdi("", kSerial));
        QTRY_VERIFY(window_->dlg->Session().Adapter().IsLooking());
    }

    QString PlugAdapterBackIn() {
        adapterSim_->Command(QStringLiteral("plug"));
        const QString device = adapterSim_->WaitForNewPort();
        window_->adapters->Plug(MadeUpFtdi(device.toStdString(), kSerial));
        return device;
    }

private slots:
    void init() {
        window_ = std::make_unique<WindowFixture>();
        window_->adapters = std::make_shared<MadeUpAdapters>();
    }
    void cleanup() {
        window_.reset();
        adapterSim_.reset();
    }

    void rememberedAdapterIsHeardFirst_data() {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<bool>("onAdapter");
        QTest::newRow("present") << "present" << true;
        QTest::newRow("present but silent: the search goes on") << "silent" << false;
        QTest::newRow("absent: search as without") << "absent" << false;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("broken settings file") << "broken" << false;
    }

    // And the port the link comes up on is the one remembered afterwards.
    void rememberedAdapterIsHeardFirst() {
        QFETCH(QString, remembered);
        QFETCH(bool, onAdapter);
        auto tableSim = StartedSim();
        QVERIFY(tableSim);
        window_->ports.Set(kSimPort, tableSim->PortPath().toStdString());
        PlugAdapter();
        const AdapterMemory memory(window_->SettingsFile());
        PortEntry adapter = MadeUpFtdi(adapterSim_->PortPath().toStdString(), kSerial);
        adapter.comPort = kAdapterPort;
        if (remembered == QStringLiteral("present")) memory.Save(IdentityOf(adapter));
        if (remembered == QStringLiteral("silent")) {
            memory.Save(IdentityOf(adapter));
            adapterSim_->Command(QStringLiteral("silent"));
        }
        if (remembered == QStringLiteral("absent")) memory.Save(IdentityOf(MadeUpFtdi("", "ZZ9")));
        if (remembered == QStringLiteral("broken")) {
            QDir().mkpath(QFileInfo(window_->SettingsFile()).path());
            QFile file(window_->SettingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            const char junk[] = "[adapter]\nkind=serial-number\nvendorId=banana\n\xff\x00\x01";
            file.write(junk, sizeof junk);
        }

        QVERIFY(window_->Open());
        QVERIFY(window_->WaitForLinkUp());
        const SimProcess& heard = onAdapter ? *adapterSim_ : *tableSim;
        QCOMPARE(window_->dlg->Session().Channel().DevicePath(), heard.PortPath());
        const AdapterIdentity linked =
            onAdapter ? IdentityOf(adapter)
                      : AdapterIdentity{.comPort = kSimPort, .builtInName = false};
        QCOMPARE(memory.Load(), std::optional(linked));
    }

    void lostAdapterOpensOnceItReallyOpens() {
        PlugAdapter();
        ModalCloser closer;
        QVERIFY(window_->Open());
        QVERIFY(window_->WaitForLinkUp());
        PullAdapterOut();
        // Back, but not yet a serial port that opens (a plain file here).
        QTemporaryDir folder;
        const QString notYet = folder.filePath(QStringLiteral("ttyUSB0"));
        QFile(notYet).open(QIODevice::WriteOnly);
        window_->adapters->Plug(MadeUpFtdi(notYet.toStdString(), kSerial));
        QTest::qWait(kLooksMs);
        QVERIFY(!window_->dlg->Session().Channel().IsOpen());
        QVERIFY(window_->dlg->Session().Adapter().IsLooking());

        const QString device = PlugAdapterBackIn();
        QTRY_COMPARE(window_->dlg->Session().Channel().DevicePath(), device);
        QVERIFY(window_->dlg->Session().Channel().IsOpen());
        QVERIFY(!window_->dlg->Session().Adapter().IsLooking());
        QVERIFY(window_->WaitForLinkUp());
        for (const auto& box : closer.seen) QFAIL(qPrintable(box.text));
    }

    void portChoiceEndsTheLooking_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("OFFLINE") << CommandId::kPortOffline;
        QTest::newRow("another port") << CommandId::SelectPort(5);
    }

    void portChoiceEndsTheLooking() {
        QFETCH(int, command);
        PlugAdapter();
        QVERIFY(window_->Open());
        QVERIFY(window_->WaitForLinkUp());
        PullAdapterOut();
        window_->Choose(command);
        QVERIFY(!window_->dlg->Session().Adapter().IsLooking());
        PlugAdapterBackIn();
        QTest::qWait(kLooksMs);
        QVERIFY(!window_->dlg->Session().Channel().IsOpen());
    }

    // Chosen by hand as COM3, the adapter comes back as COM4 (COM3 is taken
    // meanwhile): the radio mark follows the port really open, so choosing
    // the marked item opens the adapter again, not what now is COM3.
    void handChosenMarkFollowsTheAdapter() {
        PtyPair silent;
        window_->ports.Set(kSimPort, silent.SlavePath());
        PlugAdapter();
        QVERIFY(window_->Open());
        QVERIFY(window_->WaitForLinkUp());
        window_->Choose(CommandId::SelectPort(kAdapterPort));
        QVERIFY(window_->WaitForLinkUp());
        MenuBar& menu = *window_->dlg->Menu();
        QCOMPARE(menu.PortRadioMark(), MenuBar::PortPosition({PortChoice::Kind::Port, 3}));
        PullAdapterOut();
        PtyPair newcomer;
        window_->ports.Set(kAdapterPort, newcomer.SlavePath());
        const QString device = PlugAdapterBackIn();
        QTRY_COMPARE(window_->dlg->Session().Channel().DevicePath(), device);
        QCOMPARE(int(window_->dlg->Session().Channel().PortNumber()), kAdapterPort + 1);
        QCOMPARE(menu.PortRadioMark(),
                 MenuBar::PortPosition({PortChoice::Kind::Port, kAdapterPort + 1}));
    }

    void menuAndTooltipNameWhatEachPortIs() {
        PtyPair silent;
        window_->ports.Set(kSimPort, silent.SlavePath());
        PlugAdapter();
        QTemporaryDir folder;
        PortEntry beyondTable = MadeUpFtdi(folder.filePath("ttyUSB9").toStdString(), "", "1-4");
        beyondTable.description = "QinHeng CH340";
        window_->adapters->Plug(beyondTable);
        QVERIFY(window_->Open());
        QVERIFY(window_->WaitForLinkUp());

        MenuBar& menu = *window_->dlg->Menu();
        emit menu.PortMenu()->aboutToShow();
        const auto label = [&](int port) {
            return menu.Command(CommandId::SelectPort(port))->text();
        };
        QCOMPARE(label(1),
                 QStringLiteral("COM1 — ") + QString::fromStdString(occupied_.SlavePath()));
        QCOMPARE(label(kSimPort),
                 QStringLiteral("COM2 — ") + QString::fromStdString(silent.SlavePath()));
        QCOMPARE(label(kAdapterPort), QStringLiteral("COM3 — FTDI FT232R A50285BI"));
        QCOMPARE(label(4), QStringLiteral("COM4 — QinHeng CH340"));
        QCOMPARE(label(5), QStringLiteral("COM5"));
        QCOMPARE(window_->dlg->StatusBar()->Pane(kStatusPane)->toolTip(),
                 QStringLiteral("COM3 — FTDI FT232R A50285BI"));
    }
};

QTEST_MAIN(TestAdapters)
#include "tst_adapters.moc"
