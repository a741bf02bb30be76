// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Loading a parameter set while the link to the virtual controller is up:
// exactly the parameters that differ from the controller's go out, lowest
// first, at the pace of the send scheduler, checked where they arrive.
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/SendWatch.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "tests/ui/ParamFileTestSupport.h"

using namespace ParamFileTest;

namespace {
constexpr int kPort = 3;
constexpr int kLinkTimeoutMs = 15000;

const QString kControllerParams =
    QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160");
}  // namespace

class TestParamFileSim : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        window_.Close();
        sim_.reset();
    }

    // Parameters 0, 2, 3, 6, 7, 8, 10, 12 and 13 are the controller's own;
    // 4 and 9 lie outside the range and arrive as 255 and 0.
    void loadingSendsTheDifferingParametersInOrderAndPace() {
        StartLinkedWindow();
        CCalibDlg& dlg = *window_.dlg;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.tq4"));
        QVERIFY(WriteBytes(path, LittleEndian({10, 21, 30, 40, 300, 0, 70, 80, 90, -7, 110, 200,
                                               130, 140, 141, 161})));
        const QStringList expected{
            QStringLiteral("rx set 1 21"),   QStringLiteral("rx set 4 255"),
            QStringLiteral("rx set 5 0"),    QStringLiteral("rx set 9 0"),
            QStringLiteral("rx set 11 200"), QStringLiteral("rx set 14 141"),
            QStringLiteral("rx set 15 161"),
        };
        QCOMPARE(sim_->LinesStartingWith(QStringLiteral("rx set")), QStringList());

        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(
            PanelShows(dlg, {10, 21, 30, 40, 255, 0, 70, 80, 90, 0, 110, 200, 130, 140, 141, 161}));

        const QString wrong =
            SendWatch::Check(SendWatch::Watch(*sim_, 0, expected.size()), expected);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        sim_->Command(QStringLiteral("dump"));
        QTRY_VERIFY(!sim_->LinesStartingWith(QStringLiteral("params ")).isEmpty());
        QCOMPARE(sim_->LinesStartingWith(QStringLiteral("params ")).constLast(),
                 QStringLiteral("params 10 21 30 40 255 0 70 80 90 0 110 200 130 140 141 161"));
    }

private:
    void StartLinkedWindow() {
        sim_ = std::make_unique<SimProcess>(
            QStringList{QStringLiteral("--params"), kControllerParams});
        QVERIFY(sim_->Start());
        QVERIFY(window_.OpenLinkedTo(sim_->PortPath().toStdString(), kPort));
        QCOMPARE(int(window_.dlg->Session().Channel().PortNumber()), kPort);
        QTRY_VERIFY(window_.dlg->Session().Record().panelLoaded);
        for (int k = 0; k < kParamCount; ++k)
            QCOMPARE(window_.dlg->Session().Panel()[k], 10 * (k + 1));
    }

    std::unique_ptr<SimProcess> sim_;
    WindowFixture window_;
};

QTEST_MAIN(TestParamFileSim)
#include "tst_paramfilesim.moc"
