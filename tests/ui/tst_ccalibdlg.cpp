// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The calibration window on its own, without a device: start-up state,
// colours, the spin-edits, the keyboard filter, the display operations and the
// background.
#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/LiveBar.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
const QColor kQtRed(255, 0, 0);
const int kReadoutIds[] = {ControlId::kPetrolReadout, ControlId::kGasReadout,
                           ControlId::kLambdaReadout};
const int kBarIds[] = {ControlId::kPetrolBar, ControlId::kGasBar, ControlId::kLambdaBar};

QList<QLineEdit*> NineteenEdits(const CCalibDlg& dlg) {
    QList<QLineEdit*> edits;
    for (const int id : kReadoutIds) edits.append(qobject_cast<QLineEdit*>(dlg.Control(id)));
    for (int k = 0; k < kParamCount; ++k) edits.append(dlg.ParamEdit(k));
    return edits;
}
}  // namespace

class TestCalibDlg : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(window_.Open()); }

    void cleanup() { window_.Close(); }

    void windowJustOpened() {
        CCalibDlg& dlg = *window_.dlg;
        QVERIFY(dlg.initialised);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("DX470 参数标定软件 V2"));
        for (int k = 0; k < kParamCount; ++k) {
            QCOMPARE(dlg.ParamEdit(k)->text(), QStringLiteral("0"));
            QCOMPARE(dlg.Session().Panel()[k], 0);
            QVERIFY(!dlg.Spin(k)->isEnabled());
            QCOMPARE(dlg.Spin(k)->Position(), 0);
            QVERIFY(dlg.Control(ControlId::CellMarker(k))->isHidden());
        }
        QVERIFY(!dlg.Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(!dlg.Command(CommandId::kFileOpen)->isEnabled());
        QVERIFY(!dlg.Command(CommandId::kFileSave)->isEnabled());
        QCOMPARE(ShownStatusColour(dlg), kQtRed);
        QCOMPARE(ShownPaneText(dlg, 0), QString());
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM Searching..."));
        QCOMPARE(ShownPaneText(dlg, 2), QString());
        QCOMPARE(dlg.focusWidget(), dlg.Control(ControlId::kExitButton));
        for (const int id : kReadoutIds) {
            QCOMPARE(qobject_cast<QLineEdit*>(dlg.Control(id))->text(), QString());
        }
        for (const int id : kBarIds) QCOMPARE(dlg.Bar(id)->Position(), 0);
        QCOMPARE(dlg.Menu()->PortRadioMark(), 0);
        QVERIFY(dlg.Command(CommandId::kChinese)->isChecked());
        QVERIFY(!dlg.Command(CommandId::kEnglish)->isChecked());
        QVERIFY(dlg.Session().Timer(TimerId::kSupervision)->isActive());
        QCOMPARE(dlg.Session().Timer(TimerId::kSupervision)->interval(), 200);
        QCOMPARE(dlg.Session().Timer(TimerId::kSend)->interval(), 100);
        QVERIFY(!dlg.Session().Channel().IsOpen());
    }

    void barsAndColoursAsSetUp() {
        const CCalibDlg& dlg = *window_.dlg;
        QCOMPARE(dlg.Bar(ControlId::kPetrolBar)->Maximum(), 4096);
        QCOMPARE(dlg.Bar(ControlId::kGasBar)->Maximum(), 16384);
        QCOMPARE(dlg.Bar(ControlId::kLambdaBar)->Maximum(), 255);
        QCOMPARE(dlg.Bar(ControlId::kPetrolBar)->BarColour(), QColor(255, 255, 0));
        QCOMPARE(dlg.Bar(ControlId::kGasBar)->BarColour(), QColor(0, 255, 255));
        QCOMPARE(dlg.Bar(ControlId::kLambdaBar)->BarColour(), QColor(30, 210, 0));
        for (const int id : kBarIds) QCOMPARE(dlg.Bar(id)->BackgroundColour(), QColor(Qt::black));
        const auto* petrol = qobject_cast<QLineEdit*>(dlg.Control(ControlId::kPetrolReadout));
        QCOMPARE(petrol->palette().color(QPalette::Text), QColor(255, 255, 0));
        QCOMPARE(petrol->palette().color(QPalette::Base), QColor(Qt::black));
        const auto* lambda = qobject_cast<QLineEdit*>(dlg.Control(ControlId::kLambdaReadout));
        QCOMPARE(lambda->palette().color(QPalette::Text), kQtRed);
        QCOMPARE(dlg.ParamEdit(7)->palette().color(QPalette::Base), QColor(Qt::white));
        const auto* label = qobject_cast<QLabel*>(dlg.Control(ControlId::kGasLabel));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(10, 60, 245));
        QVERIFY(label->font().bold());
        QVERIFY(!label->autoFillBackground());
        const auto* marker = qobject_cast<QLabel*>(dlg.Control(ControlId::CellMarker(5)));
        QCOMPARE(marker->palette().color(QPalette::WindowText), kQtRed);
        QCOMPARE(marker->text(), QStringLiteral("▲"));
    }

    // 373 x 233 units of the program's own 16-pixel Song face are 746 x 466
    // pixels.
    void clientAreaInDialogUnitsOfThePinnedFace() {
        const QString family = QFontInfo(window_.dlg->font()).family();
        QCOMPARE(family, QStringLiteral("AR PL UMing DX470"));
        QCOMPARE(window_.dlg->ClientRect().size(), QSize(746, 466));
        QCOMPARE(window_.dlg->minimumSize(), window_.dlg->maximumSize());
        QVERIFY(!window_.dlg->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(window_.dlg->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    }

    void spinArrowStepsWithinRange() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.SetEditingEnabled(true);
        dlg.ShowParameter(3, 120);
        QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
        QCOMPARE(dlg.Control(1085)->property("text").toString(), QStringLiteral("121"));
        QCOMPARE(dlg.Session().Panel()[3], 121);

        dlg.ShowParameter(3, 255);
        QCOMPARE(dlg.Session().Panel()[3], 255);
        QTest::mouseClick(dlg.Spin(3)->UpArrow(), Qt::LeftButton);
        QCOMPARE(dlg.ParamEdit(3)->text(), QStringLiteral("255"));
        QCOMPARE(dlg.Session().Panel()[3], 255);

        dlg.ShowParameter(3, 0);
        QTest::mouseClick(dlg.Spin(3)->DownArrow(), Qt::LeftButton);
        QCOMPARE(dlg.ParamEdit(3)->text(), QStringLiteral("0"));
        QCOMPARE(dlg.Session().Panel()[3], 0);
    }

    void spinKeysStepOnlyWhileEnabled() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QLineEdit* edit = dlg.ParamEdit(12);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QTest::mouseClick(dlg.Spin(12)->UpArrow(), Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("0"));

        dlg.SetEditingEnabled(true);
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("2"));
        QCOMPARE(dlg.Session().Panel()[12], 2);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(dlg.Session().Panel()[12], 1);
    }

    void typedCharactersAreDroppedInAllNineteenEdits() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QGuiApplication::clipboard()->setText(QStringLiteral("9"));
        for (QLineEdit* edit : NineteenEdits(dlg)) {
            edit->setText(QStringLiteral("7"));
            edit->setCursorPosition(1);
            QTest::keyClick(edit, Qt::Key_5);
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Space);
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("喷"),
                                Qt::NoModifier);
            QCOMPARE(edit->text(), QStringLiteral("7"));
        }
        for (int k = 0; k < kParamCount; ++k) QCOMPARE(dlg.Session().Panel()[k], 7);
    }

    void deleteArrowsAndShiftInsertStillReachTheEdits() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QLineEdit* edit = dlg.ParamEdit(4);
        dlg.ShowParameter(4, 42);
        QCOMPARE(dlg.Session().Panel()[4], 42);
        edit->setCursorPosition(2);
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("2"));
        QCOMPARE(dlg.Session().Panel()[4], 2);
        QGuiApplication::clipboard()->setText(QStringLiteral("5"));
        edit->setCursorPosition(1);
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(edit->text(), QStringLiteral("25"));
        QCOMPARE(dlg.Session().Panel()[4], 25);
    }

    void disableEditingLeavesTheEditsEnabled() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.SetEditingEnabled(true);
        for (int k = 0; k < kParamCount; ++k) QVERIFY(dlg.Spin(k)->isEnabled());
        QVERIFY(dlg.Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(dlg.Command(CommandId::kFileOpen)->isEnabled());
        QVERIFY(dlg.Command(CommandId::kFileSave)->isEnabled());
        dlg.SetEditingEnabled(false);
        for (int k = 0; k < kParamCount; ++k) {
            QVERIFY(!dlg.Spin(k)->isEnabled());
            QVERIFY(dlg.ParamEdit(k)->isEnabled());
        }
        QVERIFY(!dlg.Control(ControlId::kWriteButton)->isEnabled());
        QVERIFY(!dlg.Command(CommandId::kFileOpen)->isEnabled());
        QVERIFY(!dlg.Command(CommandId::kFileSave)->isEnabled());
    }

    // The session clears the live display: readouts, bars, marker and the
    // status colour go; the panel and the status texts stay.
    void clearLiveDisplay() {
        CCalibDlg& dlg = *window_.dlg;
        CalibrationSession& session = dlg.Session();
        for (int k = 0; k < kParamCount; ++k) dlg.ShowParameter(k, 10 + k);
        emit session.readoutsShown({"1,234", 100, "1,234", 100, "1,234", 100});
        emit session.cellMarkerShown(6);
        emit session.statusColourShown(WindowOps::StatusColour::LinkUp);
        emit session.linkStatusShown(WindowOps::LinkStatus::Up, QStringLiteral("COM OK.."));

        emit session.liveDisplayCleared();

        for (int k = 0; k < kParamCount; ++k) {
            QCOMPARE(dlg.ParamEdit(k)->text(), QString::number(10 + k));
            QVERIFY(dlg.Control(ControlId::CellMarker(k))->isHidden());
        }
        for (const int id : kReadoutIds) {
            QCOMPARE(qobject_cast<QLineEdit*>(dlg.Control(id))->text(), QString());
        }
        for (const int id : kBarIds) QCOMPARE(dlg.Bar(id)->Position(), 0);
        QCOMPARE(ShownStatusColour(dlg), kQtRed);
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM OK.."));
    }

    // Pasted text that is no number within 0..255 does not reach the panel:
    // the parameter keeps its last valid value.
    void textThatIsNoPositionKeepsTheLastValidValue_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("above the range") << QStringLiteral("300");
        QTest::newRow("letters") << QStringLiteral("12a");
        QTest::newRow("empty") << QString();
        QTest::newRow("negative") << QStringLiteral("-1");
    }

    void textThatIsNoPositionKeepsTheLastValidValue() {
        QFETCH(QString, text);
        CCalibDlg& dlg = *window_.dlg;
        dlg.ShowParameter(3, 120);
        dlg.ParamEdit(3)->setText(text);
        QCOMPARE(dlg.Session().Panel()[3], 120);
        QCOMPARE(dlg.Spin(3)->QueryPosition(), SpinButton::kQueryFailed + 120);
        dlg.ParamEdit(3)->setText(QStringLiteral("77"));
        QCOMPARE(dlg.Session().Panel()[3], 77);
    }

    void pasteOfANumberOutOfRangeKeepsTheLastValidValue() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.ShowParameter(9, 31);
        QGuiApplication::clipboard()->setText(QStringLiteral("300"));
        dlg.ParamEdit(9)->selectAll();
        QTest::keyClick(dlg.ParamEdit(9), Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(dlg.ParamEdit(9)->text(), QStringLiteral("300"));
        QCOMPARE(dlg.Session().Panel()[9], 31);
    }

    void backgroundPicturesAreMadeOnce() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const qint64 chineseKey = dlg.BackgroundPicture().cacheKey();
        QCOMPARE(dlg.BackgroundPicture().size(), QSize(758, 447));
        dlg.ApplyEnglishTexts();
        const qint64 englishKey = dlg.BackgroundPicture().cacheKey();
        QVERIFY(englishKey != chineseKey);
        const QImage english = dlg.grab(dlg.ClientRect()).toImage();
        dlg.ApplyChineseTexts();
        QCOMPARE(dlg.BackgroundPicture().cacheKey(), chineseKey);
        const QImage chinese = dlg.grab(dlg.ClientRect()).toImage();
        QVERIFY(english != chinese);
        dlg.ApplyEnglishTexts();
        QCOMPARE(dlg.BackgroundPicture().cacheKey(), englishKey);
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestCalibDlg)
#include "tst_ccalibdlg.moc"
