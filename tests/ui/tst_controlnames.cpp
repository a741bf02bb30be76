// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Every control has a name for programs and one for screen readers, in both
// languages: what a screen reader says for a label or a button is the text a
// sighted user reads there; the controls without text are named by what they
// are. The layout report places each control where the window has it.
#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "tests/support/WindowFixture.h"
#include "ui/AccessibleNames.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlIds.h"
#include "ui/LayoutReport.h"
#include "ui/MenuBar.h"
#include "ui/SpinButton.h"
#include "ui/StatusPanes.h"
#include "ui/UiTexts.h"
#include "ui/WindowLayout.h"

namespace {
using WindowLayout::ControlKind;
using WindowLayout::TemplateEntry;

enum class Language { Chinese, English, ChineseAgain };

QJsonArray ToJson(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

bool IsNumber(const QString& text) {
    bool number = false;
    text.toInt(&number);
    return number;
}

// Labels and buttons show text a user reads; a cell marker shows only a glyph.
bool ShowsText(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::Label;
}

QString ShownText(const QWidget* control) {
    if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    return {};
}

// What a screen reader gets, not only what the widget holds.
QString ReadAloud(QWidget* control, QAccessible::Text text = QAccessible::Name) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible != nullptr ? accessible->text(text) : QString();
}

QString WithoutSpaces(QString text) {
    return text.remove(u' ');
}
}  // namespace

Q_DECLARE_METATYPE(Language)

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
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            const QWidget* control = window_.dlg->Control(entry.id);
            const QString name = control->objectName();
            QVERIFY2(!name.isEmpty() && !IsNumber(name) && !names.contains(name), qPrintable(name));
            names.insert(name);
            chinese << control->accessibleName();
        }
        QCOMPARE(names.size(), 61);
        SwitchTo(Language::English);
        int row = 0;
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            const QString english = window_.dlg->Control(entry.id)->accessibleName();
            const QString& before = chinese.at(row++);
            QVERIFY2(!before.isEmpty() && !english.isEmpty() && english != before,
                     qPrintable(english));
        }
        QCOMPARE(window_.dlg->Spin(4)->UpArrow()->accessibleName(),
                 QStringLiteral("Increase parameter 4"));
    }

    // The template says which controls are read by their text: exactly those
    // that show text a user reads.
    void templateNamesByTextExactlyTheControlsShowingText() {
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            QVERIFY2((entry.accessible == WindowLayout::kNamedByText) == ShowsText(entry.kind),
                     entry.name);
        }
    }

    void controlsShowingTextAreReadByIt_data() {
        QTest::addColumn<Language>("language");
        QTest::newRow("Chinese") << Language::Chinese;
        QTest::newRow("English") << Language::English;
        QTest::newRow("Chinese again") << Language::ChineseAgain;
    }

    void controlsShowingTextAreReadByIt() {
        QFETCH(Language, language);
        SwitchTo(language);
        int checked = 0;
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            if (!ShowsText(entry.kind)) continue;
            QWidget* control = window_.dlg->Control(entry.id);
            const QString shown = ShownText(control);
            QVERIFY2(!shown.trimmed().isEmpty(), entry.name);
            QCOMPARE(ReadAloud(control), WithoutSpaces(shown));
            ++checked;
        }
        QCOMPARE(checked, 6);
    }

    // What the user reads, written out: a change of a visible text or of a
    // name shows here, spaces and all.
    void namesOfTheTextsAsShown_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        using namespace ControlId;
        const Language zh = Language::Chinese;
        const Language en = Language::English;
        QTest::newRow("退  出") << zh << kExitButton << QStringLiteral("退出");
        QTest::newRow("写入参数") << zh << kWriteButton << QStringLiteral("写入参数");
        QTest::newRow(" 喷油时间(ms)") << zh << kPetrolLabel << QStringLiteral("喷油时间(ms)");
        QTest::newRow(" 喷气时间(ms)") << zh << kGasLabel << QStringLiteral("喷气时间(ms)");
        QTest::newRow("氧传感器(V)") << zh << kLambdaLabel << QStringLiteral("氧传感器(V)");
        QTest::newRow("设 置") << zh << kParamRowLabel << QStringLiteral("设置");
        QTest::newRow("Exit") << en << kExitButton << QStringLiteral("Exit");
        QTest::newRow("Write") << en << kWriteButton << QStringLiteral("Write");
        QTest::newRow("Pet(ms)") << en << kPetrolLabel << QStringLiteral("Pet(ms)");
        QTest::newRow("Gas(ms)") << en << kGasLabel << QStringLiteral("Gas(ms)");
        QTest::newRow("Lambda(V)") << en << kLambdaLabel << QStringLiteral("Lambda(V)");
        QTest::newRow("Config") << en << kParamRowLabel << QStringLiteral("Config");
    }

    void namesOfTheTextsAsShown() {
        QFETCH(Language, language);
        QFETCH(int, id);
        QFETCH(QString, name);
        SwitchTo(language);
        QCOMPARE(ReadAloud(window_.dlg->Control(id)), name);
    }

    // Edits, bars, spins, the cell markers (a glyph) and the serial control
    // are named by what they are, whatever they show.
    void controlsWithoutTextKeepDescriptiveNames_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const Language zh = Language::Chinese;
        const Language en = Language::English;
        QTest::newRow("zh readout") << zh << "petrolReadout" << QStringLiteral("喷油时间(毫秒)");
        QTest::newRow("zh bar") << zh << "lambdaBar" << QStringLiteral("氧传感器电压条");
        QTest::newRow("zh edit") << zh << "paramEdit3" << QStringLiteral("参数 3");
        QTest::newRow("zh spin") << zh << "paramSpin15" << QStringLiteral("参数 15 调节按钮");
        QTest::newRow("zh marker") << zh << "cellMarker5" << QStringLiteral("单元标记 5");
        QTest::newRow("zh serial") << zh << "serialControl" << QStringLiteral("串口");
        QTest::newRow("en readout")
            << en << "gasReadout" << QStringLiteral("Gas injection time (ms)");
        QTest::newRow("en bar") << en << "petrolBar" << QStringLiteral("Petrol injection time bar");
        QTest::newRow("en edit") << en << "paramEdit0" << QStringLiteral("Parameter 0");
        QTest::newRow("en marker") << en << "cellMarker15" << QStringLiteral("Cell marker 15");
        QTest::newRow("en serial") << en << "serialControl" << QStringLiteral("Serial port");
    }

    void controlsWithoutTextKeepDescriptiveNames() {
        QFETCH(Language, language);
        QFETCH(QString, control);
        QFETCH(QString, name);
        SwitchTo(language);
        QWidget* widget = window_.dlg->findChild<QWidget*>(control);
        QVERIFY(widget != nullptr);
        QCOMPARE(ReadAloud(widget), name);
    }

    void everyControlWithoutTextHasItsTableName_data() { controlsShowingTextAreReadByIt_data(); }

    void everyControlWithoutTextHasItsTableName() {
        QFETCH(Language, language);
        SwitchTo(language);
        const AccessibleTexts& texts =
            language == Language::English ? kEnglishTexts.accessible : kChineseTexts.accessible;
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
            if (ShowsText(entry.kind)) continue;
            QWidget* control = window_.dlg->Control(entry.id);
            const QString name = ReadAloud(control);
            QVERIFY2(!name.isEmpty() && name != ShownText(control), entry.name);
            QCOMPARE(name, WindowLayout::AccessibleName(entry, texts));
        }
        const QToolButton* down = window_.dlg->Spin(7)->DownArrow();
        QCOMPARE(ReadAloud(const_cast<QToolButton*>(down)),
                 language == Language::English ? QStringLiteral("Decrease parameter 7")
                                               : QStringLiteral("减小参数 7"));
    }

    // A screen reader reads the label with its readout (AT-SPI "labelled by").
    void readoutsAreLabelledByTheLabelAbove() {
        const QList<std::pair<QString, QString>> pairs = {{"petrolLabel", "petrolReadout"},
                                                          {"gasLabel", "gasReadout"},
                                                          {"lambdaLabel", "lambdaReadout"}};
        for (const auto& [labelName, readoutName] : pairs) {
            auto* label = window_.dlg->findChild<QLabel*>(labelName);
            auto* readout = window_.dlg->findChild<QWidget*>(readoutName);
            QVERIFY(label != nullptr && readout != nullptr);
            QCOMPARE(label->buddy(), readout);
            const auto relations =
                QAccessible::queryAccessibleInterface(readout)->relations(QAccessible::Label);
            QCOMPARE(relations.size(), 1);
            QCOMPARE(relations.first().first->object(), label);
        }
        QCOMPARE(window_.dlg->findChild<QLabel*>("paramRowLabel")->buddy(), nullptr);
    }

    void shownTextBecomesName_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("name");
        QTest::newRow("spread Han") << QStringLiteral("退  出") << QStringLiteral("退出");
        QTest::newRow("leading space")
            << QStringLiteral(" 喷油时间(ms)") << QStringLiteral("喷油时间(ms)");
        QTest::newRow("one space") << QStringLiteral("设 置") << QStringLiteral("设置");
        QTest::newRow("Han beside Latin")
            << QStringLiteral("DX470 参数") << QStringLiteral("DX470参数");
        QTest::newRow("English words")
            << QStringLiteral(" Write  all ") << QStringLiteral("Write all");
        QTest::newRow("no space") << QStringLiteral("Pet(ms)") << QStringLiteral("Pet(ms)");
        QTest::newRow("empty") << QString() << QString();
    }

    void shownTextBecomesName() {
        QFETCH(QString, shown);
        QFETCH(QString, name);
        QCOMPARE(AccessibleNames::FromShownText(shown), name);
    }

    void layoutReportGivesTheGeometry() {
        const QJsonObject report = LayoutReport::Describe(*window_.dlg);
        for (const TemplateEntry& entry : WindowLayout::WindowTemplate()) {
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
    void SwitchTo(Language language) {
        if (language == Language::Chinese) return;
        window_.dlg->Command(CommandId::kEnglish)->trigger();
        if (language == Language::ChineseAgain) {
            window_.dlg->Command(CommandId::kChinese)->trigger();
        }
    }

    WindowFixture window_;
};

QTEST_MAIN(TestControlNames)
#include "tst_controlnames.moc"
