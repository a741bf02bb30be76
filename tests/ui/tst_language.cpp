// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The language commands: every text of both languages, the check marks, the
// caption, the File items against the link state, and what must not change.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "tests/support/ModalDriver.h"
#include "tests/support/PaintCounter.h"
#include "tests/support/PortTable.h"
#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"

namespace {
using TextOf = std::function<QString(const CCalibDlg&)>;

TextOf ControlText(int controlId) {
    return [controlId](const CCalibDlg& dlg) {
        return dlg.Control(controlId)->property("text").toString();
    };
}

TextOf TitleText(int position) {
    return [position](const CCalibDlg& dlg) { return dlg.Menu()->Title(position)->text(); };
}

TextOf SettingsItemText(int position) {
    return [position](const CCalibDlg& dlg) {
        return MenuBar::ItemAt(dlg.Menu()->SettingsMenu(), position)->text();
    };
}

TextOf CommandText(int commandId) {
    return [commandId](const CCalibDlg& dlg) { return dlg.Command(commandId)->text(); };
}

struct TableRow {
    const char* element;
    TextOf text;
    const char* chinese;
    const char* english;
};

// The texts each language shows, element by element.
const TableRow kTextTable[] = {
    {"Write button", ControlText(ControlId::kWriteButton), "写入参数", "Write"},
    {"Exit button", ControlText(ControlId::kExitButton), "退  出", "Exit"},
    {"first menu title", TitleText(0), "文件(&F)", "File(&F)"},
    {"second menu title", TitleText(1), "设置(&T)", "Tools(&T)"},
    {"third menu title", TitleText(2), "帮助(&H)", "Help(&H)"},
    {"port submenu title", SettingsItemText(0), "通讯端口", "Com"},
    {"language submenu title", SettingsItemText(1), "语言设置", "Language"},
    {"File > Open", CommandText(CommandId::kFileOpen), "打开(&O)", "Open(&O)"},
    {"File > Save", CommandText(CommandId::kFileSave), "保存(&S)", "Save(&S)"},
    {"File > Exit", CommandText(CommandId::kFileExit), "退出(&X)", "Exit(&X)"},
    {"Help > User manual", CommandText(CommandId::kHelp), "使用说明(&M)\tF1",
     "User manual(&M)\tF1"},
    {"Help > About", CommandText(CommandId::kHelpAbout), "关于(&A)", "About(&A)"},
    {"File > Replay log", CommandText(CommandId::kReplayLog), "回放日志(&R)...",
     "Replay log(&R)..."},
    {"File > Add mark", CommandText(CommandId::kAddMark), "添加标记(&K)\tF2", "Add mark(&K)\tF2"},
    {"File > Open log folder", CommandText(CommandId::kOpenLogFolder), "打开日志文件夹(&L)",
     "Open log folder(&L)"},
    {"File > Record logs", CommandText(CommandId::kRecordLogs), "记录日志(&G)", "Record logs(&G)"},
    {"File > Chart", CommandText(CommandId::kShowChart), "曲线图(&C)...", "Chart(&C)..."},
    {"File > Cell statistics", CommandText(CommandId::kShowCells), "单元统计(&U)...",
     "Cell statistics(&U)..."},
    {"File > Undo", CommandText(CommandId::kUndo), "撤销(&Z)", "Undo(&Z)"},
    {"File > Redo", CommandText(CommandId::kRedo), "重做(&Y)", "Redo(&Y)"},
    {"File > Curve editor", CommandText(CommandId::kShowCurve), "曲线编辑(&V)...",
     "Curve editor(&V)..."},
    {"File > Tune history", CommandText(CommandId::kShowHistory), "调校记录(&H)...",
     "Tune history(&H)..."},
    {"File > Link health", CommandText(CommandId::kShowLinkHealth), "链路状况(&N)...",
     "Link health(&N)..."},
    {"petrol label", ControlText(ControlId::kPetrolLabel), " 喷油时间(ms)", "Pet(ms)"},
    {"gas label", ControlText(ControlId::kGasLabel), " 喷气时间(ms)", "Gas(ms)"},
    {"lambda label", ControlText(ControlId::kLambdaLabel), "氧传感器(V)", "Lambda(V)"},
    {"parameter row label", ControlText(ControlId::kParamRowLabel), "设 置", "Config"},
    {"window caption", [](const CCalibDlg& dlg) { return dlg.windowTitle(); }, "DX470 参数标定软件",
     "DX470 Model Set"},
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

bool Checked(const QMenu* menu, int position) {
    return MenuBar::ItemAt(menu, position)->isChecked();
}

// Everything a user can see or use, as lines, so a difference reads plainly.
QStringList Describe(CCalibDlg& dlg) {
    QStringList lines;
    for (const TableRow& row : kTextTable) {
        lines << QStringLiteral("%1: %2").arg(Utf8(row.element), row.text(dlg));
    }
    auto flag = [&lines](const QString& name, bool value) {
        lines << QStringLiteral("%1: %2").arg(name, value ? "yes" : "no");
    };
    const QMenu* languages = dlg.Menu()->LanguageMenu();
    flag(QStringLiteral("中文 checked"), Checked(languages, MenuBar::kChinesePosition));
    flag(QStringLiteral("English checked"), Checked(languages, MenuBar::kEnglishPosition));
    lines << QStringLiteral("port mark: %1").arg(dlg.Menu()->PortRadioMark());
    for (const int id : {CommandId::kFileOpen, CommandId::kFileSave, CommandId::kFileExit,
                         CommandId::kHelpAbout}) {
        flag(QStringLiteral("command %1 enabled").arg(id), dlg.Command(id)->isEnabled());
    }
    flag(QStringLiteral("Write enabled"), dlg.Control(ControlId::kWriteButton)->isEnabled());
    for (int k = 0; k < kParamCount; ++k) {
        flag(QStringLiteral("spin %1 enabled").arg(k), dlg.Spin(k)->isEnabled());
        lines << QStringLiteral("edit %1: %2").arg(k).arg(dlg.ParamEdit(k)->text());
    }
    for (int pane = 0; pane < StatusPanes::kPaneCount; ++pane) {
        lines << QStringLiteral("pane %1: %2").arg(pane).arg(ShownPaneText(dlg, pane));
    }
    lines << QStringLiteral("status colour: %1").arg(ShownStatusColour(dlg).name());
    flag(QStringLiteral("englishUi"), dlg.EnglishUi());
    return lines;
}

// A part of the client area with nothing but the background: above the
// labels, right of the serial control.
QRect BareBackground(const CCalibDlg& dlg) {
    const QRect client = dlg.ClientRect();
    const int left = dlg.Control(ControlId::kSerialControl)->geometry().right() + 1;
    const int bottom = dlg.Control(ControlId::kPetrolLabel)->geometry().top() - 1;
    return QRect(QPoint(left, client.top()), QPoint(client.right(), bottom));
}

QImage PictureAt(const QImage& picture, const CCalibDlg& dlg, const QRect& area) {
    return picture.copy(area.translated(-dlg.ClientRect().topLeft()))
        .convertToFormat(QImage::Format_RGB32);
}

QImage Shown(CCalibDlg& dlg, const QRect& area) {
    return dlg.grab(area).toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    // Timers stopped: nothing but the commands under test changes the
    // window, and the link state stays as each test sets it.
    void init() {
        QVERIFY(window_.Open());
        window_.dlg->Session().Timer(TimerId::kSupervision)->stop();
        window_.dlg->Session().Timer(TimerId::kSend)->stop();
        window_.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.dlg.get()));
    }

    void cleanup() { window_.Close(); }

    void everyText_data() {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(kTextTable)); ++row) {
            QTest::newRow(kTextTable[row].element) << row;
        }
    }

    // Chinese at start (the caption aside), English, then Chinese again.
    void everyText() {
        QFETCH(int, row);
        const TableRow& entry = kTextTable[row];
        CCalibDlg& dlg = *window_.dlg;
        const bool isCaption = std::string(entry.element) == "window caption";
        QCOMPARE(entry.text(dlg), isCaption ? Utf8("DX470 参数标定软件 V2") : Utf8(entry.chinese));
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(entry.text(dlg), Utf8(entry.english));
        dlg.Command(CommandId::kChinese)->trigger();
        QCOMPARE(entry.text(dlg), Utf8(entry.chinese));
    }

    // Renamed titles and submenu items keep their menus.
    void menusKeepTheirItems() {
        CCalibDlg& dlg = *window_.dlg;
        MenuBar& menu = *dlg.Menu();
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(menu.Title(0)->menu(), menu.FileMenu());
        QCOMPARE(menu.Title(1)->menu(), menu.SettingsMenu());
        QCOMPARE(menu.Title(2)->menu(), menu.HelpMenu());
        QCOMPARE(MenuBar::ItemAt(menu.SettingsMenu(), 0)->menu(), menu.PortMenu());
        QCOMPARE(MenuBar::ItemAt(menu.SettingsMenu(), 1)->menu(), menu.LanguageMenu());
        // Open, Save, the four session log items, the chart and the cell
        // statistics, undo, redo, the curve editor, the tune history, the
        // link health and the OBD-II adapter's submenu between separators, Exit.
        QCOMPARE(menu.FileMenu()->actions().size(), 18);
        QCOMPARE(menu.ObdMenu()->title(), QStringLiteral("OBD-II adapter"));
        QCOMPARE(dlg.Command(CommandId::kFuelGas)->text(), QStringLiteral("Engine on gas"));
        QCOMPARE(menu.PortMenu()->actions().size(), 19);
        QCOMPARE(menu.LanguageMenu()->actions().size(), 2);
        QCOMPARE(MenuBar::ItemAt(menu.HelpMenu(), 0), dlg.Command(CommandId::kHelp));
        QCOMPARE(MenuBar::ItemAt(menu.HelpMenu(), 1), dlg.Command(CommandId::kHelpAbout));
        QCOMPARE(MenuBar::ItemAt(menu.LanguageMenu(), 0)->text(), QStringLiteral("中文"));
        QCOMPARE(MenuBar::ItemAt(menu.LanguageMenu(), 1)->text(), QStringLiteral("English"));
        QCOMPARE(MenuBar::ItemAt(menu.PortMenu(), 3)->text(), QStringLiteral("COM1"));
    }

    // Each choice sets both marks, whatever they showed; choosing the marked
    // language keeps its mark.
    void checkMarks() {
        CCalibDlg& dlg = *window_.dlg;
        const QMenu* languages = dlg.Menu()->LanguageMenu();
        auto marks = [languages] {
            return QPair<bool, bool>(Checked(languages, 0), Checked(languages, 1));
        };
        QCOMPARE(marks(), qMakePair(true, false));
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(marks(), qMakePair(false, true));
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(marks(), qMakePair(false, true));
        dlg.Command(CommandId::kChinese)->trigger();
        QCOMPARE(marks(), qMakePair(true, false));
        dlg.Command(CommandId::kChinese)->trigger();
        QCOMPARE(marks(), qMakePair(true, false));
        MenuBar::ItemAt(languages, 0)->setChecked(false);
        MenuBar::ItemAt(languages, 1)->setChecked(true);
        dlg.ApplyChineseTexts();
        QCOMPARE(marks(), qMakePair(true, false));
    }

    // The first choice of Chinese drops " V2" and changes nothing else.
    void chineseAtStartChangesOnlyTheCaption() {
        CCalibDlg& dlg = *window_.dlg;
        const QStringList before = Describe(dlg);
        const QImage shown = dlg.grab().toImage();
        dlg.Command(CommandId::kChinese)->trigger();
        QStringList expected = before;
        const int caption = int(std::size(kTextTable)) - 1;
        expected[caption] = QStringLiteral("window caption: DX470 参数标定软件");
        QCOMPARE(Describe(dlg), expected);
        QCOMPARE(dlg.grab().toImage(), shown);
    }

    void fileItemsFollowTheLink_data() {
        QTest::addColumn<bool>("linkUp");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("english");
        for (const bool english : {true, false}) {
            const char* language = english ? "English" : "中文";
            QTest::addRow("%s, link down", language) << false << false << english;
            // A mixed state the language switch must not repair: it touches
            // only the File items.
            QTest::addRow("%s, link down, editing on", language) << false << true << english;
        }
    }

    // Open and Save end enabled exactly when the session allows editing (the
    // link is up); Write and the spins keep their state.
    void fileItemsFollowTheLink() {
        QFETCH(bool, linkUp);
        QFETCH(bool, editing);
        QFETCH(bool, english);
        CCalibDlg& dlg = *window_.dlg;
        QCOMPARE(dlg.Session().Editing(), linkUp);
        if (editing) dlg.SetEditingEnabled(true);
        dlg.Command(CommandId::kHelpAbout)->setEnabled(false);
        if (english) {
            dlg.Command(CommandId::kEnglish)->trigger();
        } else {
            dlg.Command(CommandId::kChinese)->trigger();
        }
        QCOMPARE(dlg.Command(CommandId::kFileOpen)->isEnabled(), linkUp);
        QCOMPARE(dlg.Command(CommandId::kFileSave)->isEnabled(), linkUp);
        QVERIFY(dlg.Command(CommandId::kFileExit)->isEnabled());
        QVERIFY(!dlg.Command(CommandId::kHelpAbout)->isEnabled());
        QCOMPARE(dlg.Control(ControlId::kWriteButton)->isEnabled(), editing);
        for (int k = 0; k < kParamCount; ++k) QCOMPARE(dlg.Spin(k)->isEnabled(), editing);
        QCOMPARE(dlg.EnglishUi(), english);
    }

    // A port chosen by hand keeps its radio mark; the status bar keeps its
    // texts and colour; the panel keeps its values.
    void portMarkStatusAndValuesStay() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.Command(CommandId::SelectPort(3))->trigger();
        dlg.ShowParameter(4, 77);
        dlg.StatusBar()->SetPaneText(2, QStringLiteral("Time:01:02"));
        QCOMPARE(dlg.Menu()->PortRadioMark(), 5);
        const QString status = ShownPaneText(dlg, 1);
        QCOMPARE(status, QStringLiteral("COM Open Failed!"));
        const QColor colour = ShownStatusColour(dlg);
        for (const int command : {CommandId::kEnglish, CommandId::kChinese}) {
            dlg.Command(command)->trigger();
            QCOMPARE(dlg.Menu()->PortRadioMark(), 5);
            QCOMPARE(ShownPaneText(dlg, 1), status);
            QCOMPARE(ShownPaneText(dlg, 2), QStringLiteral("Time:01:02"));
            QCOMPARE(ShownStatusColour(dlg), colour);
            QCOMPARE(dlg.Session().Panel()[4], 77);
            QCOMPARE(dlg.ParamEdit(4)->text(), QStringLiteral("77"));
        }
    }

    void englishTwiceIsEnglishOnce() {
        CCalibDlg& dlg = *window_.dlg;
        dlg.Command(CommandId::kEnglish)->trigger();
        const QStringList once = Describe(dlg);
        const QImage shown = dlg.grab().toImage();
        dlg.Command(CommandId::kEnglish)->trigger();
        QCOMPARE(Describe(dlg), once);
        QCOMPARE(dlg.grab().toImage(), shown);
    }

    // The background shows the picture of the language chosen, painted
    // before the command returns.
    void backgroundFollowsTheLanguage() {
        CCalibDlg& dlg = *window_.dlg;
        const QRect area = BareBackground(dlg);
        QVERIFY(area.width() > 100 && area.height() > 20);
        const QImage chinese = PictureAt(dlg.BackgroundPicture(), dlg, area);
        QCOMPARE(Shown(dlg, area), chinese);

        PaintCounter paints;
        dlg.installEventFilter(&paints);
        dlg.Command(CommandId::kEnglish)->trigger();
        QVERIFY(paints.Total() > 0);
        const QImage english = PictureAt(dlg.BackgroundPicture(), dlg, area);
        QVERIFY(english != chinese);
        QCOMPARE(Shown(dlg, area), english);

        paints.Reset();
        dlg.Command(CommandId::kChinese)->trigger();
        QVERIFY(paints.Total() > 0);
        QCOMPARE(Shown(dlg, area), chinese);
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
