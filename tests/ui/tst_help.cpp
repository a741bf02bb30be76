// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The user manual: opened by F1 and by its Help item, in the interface
// language, in one window of its own.
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/HelpWindow.h"

namespace {
const QString kChineseTitle = QStringLiteral("DX470 使用说明");
const QString kEnglishTitle = QStringLiteral("DX470 user manual");
}  // namespace

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(window_.Open());
        window_.dlg->show();
        window_.dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.dlg.get()));
    }

    void cleanup() { window_.Close(); }

    void opensInTheInterfaceLanguage_data() {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("title");
        QTest::newRow("F1, Chinese") << true << false << kChineseTitle;
        QTest::newRow("F1, English") << true << true << kEnglishTitle;
        QTest::newRow("menu item, Chinese") << false << false << kChineseTitle;
        QTest::newRow("menu item, English") << false << true << kEnglishTitle;
    }

    void opensInTheInterfaceLanguage() {
        QFETCH(bool, byKey);
        QFETCH(bool, english);
        QFETCH(QString, title);
        CCalibDlg& dlg = *window_.dlg;
        if (english) dlg.Command(CommandId::kEnglish)->trigger();
        QVERIFY(dlg.Manual() == nullptr);
        if (byKey) {
            QTest::keyClick(&dlg, Qt::Key_F1);
        } else {
            dlg.Command(CommandId::kHelp)->trigger();
        }
        HelpWindow* manual = dlg.Manual();
        QVERIFY(manual != nullptr);
        QTRY_VERIFY(manual->isVisible());
        QVERIFY(!manual->isModal());
        QCOMPARE(manual->windowTitle(), title);
        QCOMPARE(manual->Browser()->documentTitle(), title);
        QVERIFY(manual->Browser()->toPlainText().contains(QStringLiteral("COM Searching...")));
        QCOMPARE(manual->Browser()->font().family(), dlg.font().family());
    }

    // Closed and asked for again: the same window, in the language of the
    // moment, and it follows a switch while open.
    void oneWindowAskedForAgain() {
        CCalibDlg& dlg = *window_.dlg;
        QTest::keyClick(&dlg, Qt::Key_F1);
        HelpWindow* manual = dlg.Manual();
        QVERIFY(manual != nullptr);
        manual->findChild<QPushButton*>()->click();
        QVERIFY(!manual->isVisible());
        dlg.Command(CommandId::kEnglish)->trigger();
        QTest::keyClick(&dlg, Qt::Key_F1);
        QCOMPARE(dlg.Manual(), manual);
        QTRY_VERIFY(manual->isVisible());
        QCOMPARE(manual->Browser()->documentTitle(), kEnglishTitle);
        dlg.Command(CommandId::kChinese)->trigger();
        QCOMPARE(manual->Browser()->documentTitle(), kChineseTitle);
        QCOMPARE(dlg.findChildren<HelpWindow*>().size(), 1);
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
