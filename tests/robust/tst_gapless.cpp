// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window started twenty times against a controller that streams its
// frames byte by byte at 9600 baud with no pause between them, and left
// alone. Petrol times stay in cells 0..3, so a read one byte late would take
// the petrol time's high byte for an index. Each time: nothing at all is sent
// to the controller, the panel shows the controller's own values, and the
// readouts show nearly every frame exactly as sent (the lambda reading never
// changes and the petrol time only moves in whole steps through 0..1016, so a
// frame read across two frames shows as another lambda or an odd petrol time).
#include <QLineEdit>
#include <QTest>

#include "tests/robust/ProcessFigures.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"

namespace {
constexpr int kPort = 1;
constexpr int kStarts = 20;
constexpr int kLinkTimeoutMs = 15000;
constexpr int kWatchMs = 2000;
constexpr double kShownShare = 0.95;
const QString kParams =
    QStringLiteral("90,93,96,99,102,105,108,111,114,117,120,123,126,129,132,140");
constexpr int kPetrolStep = 8;
constexpr int kPetrolMax = 1016;
constexpr int kUsPerPetrolUnit = 4;
const std::string kLambdaText = "1,75";   // 23040 of 65535
constexpr int kMsPerFrameAtLineRate = 6;  // 6.25: a lower bound of frames is fine

PanelParams ParamsOf(const QString& list) {
    PanelParams params{};
    const QStringList values = list.split(QLatin1Char(','));
    for (int k = 0; k < kParamCount; ++k) params[k] = values.at(k).toInt();
    return params;
}

// Whether a petrol readout is a time the controller sent.
bool IsSentPetrol(QString text) {
    bool ok = false;
    const int us = text.remove(QLatin1Char(',')).toInt(&ok);
    const int raw = us / kUsPerPetrolUnit;
    return ok && us % kUsPerPetrolUnit == 0 && raw <= kPetrolMax && raw % kPetrolStep == 0;
}
}  // namespace

class TestGapless : public QObject {
    Q_OBJECT

private slots:
    void init() {}

    void leftAloneItSendsNothingAndReadsFramesAsSent() {
        SimProcess sim({QStringLiteral("--bytewise"), QStringLiteral("--gap"), QStringLiteral("0"),
                        QStringLiteral("--params"), kParams, QStringLiteral("--petrol-max"),
                        QString::number(kPetrolMax), QStringLiteral("--lambda"),
                        QStringLiteral("23040")});
        QVERIFY(sim.Start());
        const std::string device = sim.PortPath().toStdString();
        const PanelParams expected = ParamsOf(kParams);
        long worstMisread = 0;
        double worstShare = 1.0;
        for (int start = 0; start < kStarts; ++start) {
            WindowFixture window;
            QVERIFY(window.OpenLinkedTo(device, kPort, ProbeTimings{}));
            CCalibDlg& dlg = *window.dlg;
            QCOMPARE(dlg.Session().Panel(), expected);

            long shown = 0;
            long misread = 0;
            // Every frame the window shows, whether or not it is painted.
            auto check = connect(
                &dlg.Session(), &CalibrationSession::readoutsShown, this,
                [&](const WindowOps::Readouts& readouts) {
                    ++shown;
                    const bool asSent = IsSentPetrol(QString::fromStdString(readouts.petrolText)) &&
                                        readouts.lambdaText == kLambdaText;
                    if (!asSent) ++misread;
                });
            // Frames shown are counted between the controller's two counts.
            const long sentBefore = sim.SentCount();
            const long shownBefore = shown;
            QTest::qWait(kWatchMs);
            const long sent = sim.SentCount() - sentBefore;
            shown -= shownBefore;
            disconnect(check);

            QVERIFY2(sent >= kWatchMs / kMsPerFrameAtLineRate / 2,
                     qPrintable(QStringLiteral("the controller sent %1 frames").arg(sent)));
            const double share = double(shown) / double(sent);
            worstShare = std::min(worstShare, share);
            worstMisread = std::max(worstMisread, misread);
            QVERIFY2(misread == 0, qPrintable(QStringLiteral("start %1: %2 of %3 frames misread")
                                                  .arg(start)
                                                  .arg(misread)
                                                  .arg(shown)));
            QVERIFY2(
                share >= kShownShare,
                qPrintable(
                    QStringLiteral("start %1: %2 of %3 shown").arg(start).arg(shown).arg(sent)));
            QCOMPARE(dlg.Session().Panel(), expected);
        }
        qInfo(
            "%d starts: worst share shown %.3f, misread %ld; frames received by the controller: "
            "%lld",
            kStarts, worstShare, worstMisread,
            static_cast<long long>(sim.LinesStartingWith(QStringLiteral("rx ")).size()));
        QCOMPARE(sim.LinesStartingWith(QStringLiteral("rx ")), QStringList());
    }
};

QTEST_MAIN(TestGapless)
#include "tst_gapless.moc"
