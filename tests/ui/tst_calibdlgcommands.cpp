// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The ways out of the calibration window (OK and Cancel), the Write button,
// the port menu and the About box, without a device.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "ports/SerialChannel.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "ui/CAboutDlg.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/StatusPanes.h"

class TestCalibDlgCommands : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(window_.Open()); }

    void cleanup() { window_.Close(); }

    void enterOnTheExitButtonCancels() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(dlg.Control(ControlId::kExitButton), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.Session().Timer(TimerId::kSupervision)->isActive());
        QVERIFY(!dlg.Session().Timer(TimerId::kSend)->isActive());
    }

    void cancelPaths_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("File > Exit") << QStringLiteral("menu");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("Exit button") << QStringLiteral("button");
    }

    void cancelPaths() {
        QFETCH(QString, path);
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.setResult(QDialog::Accepted);
        if (path == QStringLiteral("escape")) {
            QTest::keyClick(dlg.ParamEdit(5), Qt::Key_Escape);
        } else if (path == QStringLiteral("menu")) {
            dlg.Command(CommandId::kFileExit)->trigger();
        } else if (path == QStringLiteral("close")) {
            dlg.close();
        } else {
            QTest::mouseClick(dlg.Control(ControlId::kExitButton), Qt::LeftButton);
        }
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.Session().Timer(TimerId::kSupervision)->isActive());
        QVERIFY(!dlg.Session().Timer(TimerId::kSend)->isActive());
    }

    // The OK path reads the edits back and ends without the exit steps; a
    // number outside the spin's range counts no more than it did as typed.
    void enterInAnEditReadsTheEditsBackAndAccepts() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.ParamEdit(6)->setText(QStringLiteral(" \t42 "));
        dlg.ParamEdit(11)->setText(QStringLiteral("300"));
        QTest::keyClick(dlg.ParamEdit(0), Qt::Key_Return);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.Session().Panel()[6], 42);
        QCOMPARE(dlg.Session().Panel()[11], 0);
        QVERIFY(dlg.Session().Timer(TimerId::kSupervision)->isActive());
    }

    // Edit 10 comes before edit 2 in the read-back, so the box names it.
    void enterWithAnEditThatIsNoIntegerAsksForOne() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.ParamEdit(2)->setText(QStringLiteral("x"));
        dlg.ParamEdit(10)->setText(QString());
        dlg.ParamEdit(1)->setText(QStringLiteral("8"));
        dlg.ParamEdit(1)->setFocus();
        ModalCloser closer;
        QTest::keyClick(dlg.ParamEdit(1), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(closer.seen.size(), 1);
        QCOMPARE(closer.seen.at(0).text, QStringLiteral("请键入一个整数。"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), dlg.ParamEdit(10));
        QCOMPARE(dlg.Session().Panel()[1], 8);

        dlg.ParamEdit(10)->setText(QStringLiteral("5"));
        QTest::keyClick(dlg.ParamEdit(10), Qt::Key_Return);
        QCOMPARE(closer.seen.size(), 2);
        QCOMPARE(dlg.focusWidget(), dlg.ParamEdit(2));
        QCOMPARE(dlg.ParamEdit(2)->selectedText(), QStringLiteral("x"));
        QVERIFY(dlg.isVisible());
    }

    void writeButtonRequestsTheStore() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.SetEditingEnabled(true);
        QTest::mouseClick(dlg.Control(ControlId::kWriteButton), Qt::LeftButton);
        QVERIFY(window_.dlg->Session().Record().writeRequested);
    }

    void portMenuMarksByPosition() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.Command(CommandId::SelectPort(3))->trigger();
        QCOMPARE(dlg.Menu()->PortRadioMark(), 5);
        // Nothing answers to COM3 here.
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM Open Failed!"));
        dlg.Command(CommandId::kPortOffline)->trigger();
        QCOMPARE(dlg.Menu()->PortRadioMark(), 1);
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM Stop"));
        QVERIFY(window_.dlg->Session().Record().probeStop->load());
        dlg.Command(CommandId::kPortAuto)->trigger();
        QCOMPARE(dlg.Menu()->PortRadioMark(), 0);
        QCOMPARE(ShownPaneText(dlg, 1), QStringLiteral("COM Searching..."));
    }

    // Timers go on behind the About box: the first supervision tick writes
    // pane 2 while the box is open.
    void aboutBoxKeepsTheTimersRunning() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.StatusBar()->SetPaneText(2, QString());
        ModalCloser closer;
        closer.onBox = [&dlg](QWidget*) {
            return ShownPaneText(dlg, 2) == QStringLiteral("Time:");
        };
        dlg.Command(CommandId::kHelpAbout)->trigger();
        QCOMPARE(closer.seen.size(), 1);
        QCOMPARE(closer.seen.at(0).className, QStringLiteral("CAboutDlg"));
        QCOMPARE(closer.seen.at(0).title, QStringLiteral("关于DX470"));
    }

    void aboutBoxTexts() {
        CAboutDlg about;
        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
        QVERIFY(texts.contains(QStringLiteral("DX470 v1.0 版 (0101)")));
        const auto* picture = about.findChild<QLabel*>(QStringLiteral("picture"));
        QVERIFY(picture != nullptr);
        QVERIFY(!picture->pixmap().isNull());
        const QList<QPushButton*> buttons = about.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.at(0)->text(), QStringLiteral("退出"));
    }

    // The pictures are made once: every paint uses the same two pixmaps, and
    // the background follows the language flag.
private:
    WindowFixture window_;
};

QTEST_MAIN(TestCalibDlgCommands)
#include "tst_calibdlgcommands.moc"
