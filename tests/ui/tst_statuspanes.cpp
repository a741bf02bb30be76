// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The status panes as a screen reader gets them: each read by the text it
// shows and described by what it is, in both languages; a new state of the
// link announced once, not its moving dots nor the clock's every second.
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QTest>

#include "tests/support/LinkedWindow.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/StatusPanes.h"

namespace {
// How long the link's dots are watched: they move every 200 ms.
constexpr int kDotsWatchMs = 1200;

// What a screen reader was told: the pane's name each time it changed.
struct Announcement {
    QObject* pane;
    QString name;
};
QList<Announcement> announcements;

void Listen(QAccessibleEvent* event) {
    QObject* pane = event->object();
    QAccessibleInterface* accessible = event->accessibleInterface();
    if (event->type() != QAccessible::NameChanged || pane == nullptr || accessible == nullptr ||
        qobject_cast<StatusPanes*>(pane->parent()) == nullptr) {
        return;
    }
    announcements.append({pane, accessible->text(QAccessible::Name)});
}

QString Read(QWidget* pane, QAccessible::Text text = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(pane)->text(text);
}

QStringList AnnouncedIn(const QObject* pane) {
    QStringList names;
    for (const Announcement& announcement : announcements) {
        if (announcement.pane == pane) names << announcement.name;
    }
    return names;
}
}  // namespace

class TestStatusPanes : public QObject {
    Q_OBJECT

private slots:
    // As when a screen reader runs: Qt sends events only then. Only the
    // platform can say so; QAccessible::setActive() merely passes it on.
    void initTestCase() {
        QAccessible::installUpdateHandler(Listen);
        QPlatformAccessibility* platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(platform != nullptr);
        platform->setActive(true);
        QVERIFY(QAccessible::isActive());
    }

    void init() {
        QVERIFY(window_.Open());
        // Offline the window leaves the panes alone, and the test alone
        // changes them.
        window_.Choose(CommandId::kPortOffline);
        window_.dlg->FlushDisplay();
        announcements.clear();
    }

    void cleanup() {
        window_.Close();
        linked_.Close();
    }

    void paneIsReadByItsTextAndDescribedByWhatItIs_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("zh message")
            << false << 0 << QStringLiteral("已添加标记 1") << QStringLiteral("消息栏");
        QTest::newRow("zh link") << false << 1 << QStringLiteral("COM OK...")
                                 << QStringLiteral("连接状态");
        QTest::newRow("zh time") << false << 2 << QStringLiteral("Time:00:19")
                                 << QStringLiteral("连接时间");
        QTest::newRow("en message")
            << true << 0 << QStringLiteral("Mark 2 added") << QStringLiteral("Messages");
        QTest::newRow("en link") << true << 1 << QStringLiteral("Replay")
                                 << QStringLiteral("Link status");
        QTest::newRow("en time") << true << 2 << QStringLiteral("Time:01:02")
                                 << QStringLiteral("Connection time");
    }

    void paneIsReadByItsTextAndDescribedByWhatItIs() {
        QFETCH(bool, english);
        QFETCH(int, pane);
        QFETCH(QString, text);
        QFETCH(QString, description);
        if (english) window_.dlg->Command(CommandId::kEnglish)->trigger();
        StatusPanes* status = window_.dlg->StatusBar();
        status->SetPaneText(pane, text);
        QCOMPARE(Read(status->Pane(pane)), text);
        QCOMPARE(Read(status->Pane(pane), QAccessible::Description), description);
        status->SetPaneText(pane, QString());
        QCOMPARE(Read(status->Pane(pane)), QString());
    }

    // The port the link uses, shown as the tooltip, is read with it.
    void linkPaneDescriptionTellsThePort() {
        QLabel* pane = window_.dlg->StatusBar()->Pane(kStatusPane);
        pane->setToolTip(QStringLiteral("COM3 (USB 1-2)"));
        QCOMPARE(Read(pane, QAccessible::Description), QStringLiteral("连接状态, COM3 (USB 1-2)"));
    }

    // Offline, and back to the search: the window's own path to the pane.
    void windowsLinkStatusIsReadAndAnnounced() {
        QLabel* pane = window_.dlg->StatusBar()->Pane(kStatusPane);
        QCOMPARE(Read(pane), QStringLiteral("COM Stop"));
        window_.Choose(CommandId::kPortAuto);
        window_.dlg->FlushDisplay();
        QCOMPARE(Read(pane), QStringLiteral("COM Searching..."));
        QCOMPARE(AnnouncedIn(pane), QStringList{QStringLiteral("COM Searching...")});
    }

    void onlyNewsIsAnnounced_data() {
        QTest::addColumn<int>("pane");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("announced");
        QTest::newRow("dots move")
            << kStatusPane << QStringList{"COM OK.",    "COM OK..",    "COM OK...",
                                          "COM OK....", "COM OK.....", "COM OK."}
            << QStringList{"COM OK."};
        QTest::newRow("states") << kStatusPane
                                << QStringList{"COM Searching...", "COM Waiting...", "COM OK.",
                                               "COM OK..",         "COM Stop",       "Replay",
                                               "COM OK...."}
                                << QStringList{"COM Searching...", "COM Waiting...", "COM OK.",
                                               "COM Stop",         "Replay",         "COM OK...."};
        QTest::newRow("failed, then searching")
            << kStatusPane
            << QStringList{"COM Open Failed!", "COM Searching...", "COM Open Failed!"}
            << QStringList{"COM Open Failed!", "COM Searching...", "COM Open Failed!"};
        QTest::newRow("clock") << kTimePane
                               << QStringList{"Time:00:01", "Time:00:02", "Time:", "Time:00:01"}
                               << QStringList{};
        QTest::newRow("messages") << kMessagePane
                                  << QStringList{"已添加标记 1", "", "已添加标记 1", "已添加标记 2"}
                                  << QStringList{"已添加标记 1", "已添加标记 1", "已添加标记 2"};
    }

    // The panes change here without the event loop running, so the window
    // cannot change them in between.
    void onlyNewsIsAnnounced() {
        QFETCH(int, pane);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, announced);
        StatusPanes* status = window_.dlg->StatusBar();
        for (const QString& text : shown) {
            status->SetPaneText(pane, text);
            QCOMPARE(Read(status->Pane(pane)), text);
        }
        QCOMPARE(AnnouncedIn(status->Pane(pane)), announced);
        for (int other = 0; other < StatusPanes::kPaneCount; ++other) {
            if (other != pane) QCOMPARE(AnnouncedIn(status->Pane(other)), QStringList{});
        }
    }

    // The link up with the virtual controller: "COM OK" told once while the
    // dots run on, "COM Waiting..." once when it falls silent.
    void linkUpAndLossAreAnnouncedOnce() {
        window_.Close();
        announcements.clear();
        QVERIFY(linked_.Start());
        QLabel* pane = linked_.Dlg().StatusBar()->Pane(kStatusPane);
        QTest::qWait(kDotsWatchMs);
        linked_.Dlg().FlushDisplay();
        QVERIFY(Read(pane).startsWith(QStringLiteral("COM OK.")));
        const QStringList upTold = AnnouncedIn(pane);
        QVERIFY2(!upTold.isEmpty() && upTold.last().startsWith(QStringLiteral("COM OK.")),
                 qPrintable(upTold.join(u'|')));
        QCOMPARE(upTold.filter(QStringLiteral("COM OK")).size(), 1);
        QVERIFY(linked_.Silence());
        linked_.Dlg().FlushDisplay();
        QCOMPARE(Read(pane), QStringLiteral("COM Waiting..."));
        QCOMPARE(AnnouncedIn(pane).mid(upTold.size()),
                 QStringList{QStringLiteral("COM Waiting...")});
    }

private:
    WindowFixture window_;
    LinkedWindow linked_;
};

QTEST_MAIN(TestStatusPanes)
#include "tst_statuspanes.moc"
