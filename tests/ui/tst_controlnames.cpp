// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Every control has a name for programs and one for screen readers, in both
// languages, and the layout report places each where the window has it.
#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "tests/support/WindowFixture.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/LayoutReport.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"
#include "ui/WindowLayout.h"

namespace {
QJsonArray ToJson(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

bool IsNumber(const QString& text) {
    bool number = false;
    text.toInt(&number);
    return number;
}
}  // namespace

class TestControlNames : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(window_.Open());
        window_.dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.dlg.get()));
    }

    void cleanup() { window_.Close(); }

    void uniqueNamesAndAccessibleNamesInBothLanguages() {
        QSet<QString> names;
        QStringList chinese;
        for (const WindowLayout::TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            const QWidget* control = window_.dlg->Control(entry.id);
            const QString name = control->objectName();
            QVERIFY2(!name.isEmpty() && !IsNumber(name) && !names.contains(name), qPrintable(name));
            names.insert(name);
            chinese << control->accessibleName();
        }
        QCOMPARE(names.size(), 61);
        window_.dlg->Command(CommandId::kEnglish)->trigger();
        int row = 0;
        for (const WindowLayout::TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            const QString english = window_.dlg->Control(entry.id)->accessibleName();
            const QString& before = chinese.at(row++);
            QVERIFY2(!before.isEmpty() && !english.isEmpty() && english != before,
                     qPrintable(english));
        }
        QCOMPARE(window_.dlg->Spin(4)->UpArrow()->accessibleName(),
                 QStringLiteral("Increase parameter 4"));
        QCOMPARE(window_.dlg->StatusBar()->Pane(1)->accessibleName(),
                 QStringLiteral("Link status"));
    }

    void layoutReportGivesTheGeometry() {
        const QJsonObject report = LayoutReport::Describe(*window_.dlg);
        for (const WindowLayout::TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            const QWidget* control = window_.dlg->Control(entry.id);
            QCOMPARE(report.value(control->objectName()).toArray(), ToJson(control->geometry()));
        }
        const SpinButton* spin = window_.dlg->Spin(15);
        QCOMPARE(report.value("paramSpin15/up").toArray(),
                 ToJson(spin->UpArrow()->geometry().translated(spin->pos())));
        const StatusPanes* status = window_.dlg->StatusBar();
        QCOMPARE(report.value("statusBar/linkStatusPane").toArray(),
                 ToJson(status->Pane(1)->geometry().translated(status->pos())));
        const MenuBar* menu = window_.dlg->Menu();
        QCOMPARE(report.value("menuBar/settingsMenu").toArray(),
                 ToJson(menu->actionGeometry(menu->Title(MenuBar::kSettingsTitle))));
    }

private:
    WindowFixture window_;
};

QTEST_MAIN(TestControlNames)
#include "tst_controlnames.moc"
