// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The curve editor against the virtual controller: a dragged point, each
// operation on a selection, a paste, undo and redo, each arriving at the
// controller as paced frames, each value once; pastes that are refused change
// nothing; undo of a file load from a parameter's edit; the editor without a
// link; its pictures and its points as screen readers get them.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/LinkedWindow.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/SendWatch.h"
#include "tests/ui/ParamFileTestSupport.h"
#include "ui/ControlIds.h"
#include "ui/CurveView.h"
#include "ui/CurveWindow.h"
#include "ui/QtTexts.h"
#include "ui/UiTexts.h"

namespace {
using Button = CurveWindow::Button;

const QStringList kControllerParams{
    QStringLiteral("--params"),
    QStringLiteral("10,20,30,40,50,60,70,80,90,100,110,120,130,140,150,160")};
const QSize kReferenceSize(800, 520);
const QString kReferences = QStringLiteral(DX470_UI_REFERENCES);

void Click(CurveView& view, int k, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(&view, Qt::LeftButton, modifiers, view.PointOf(k));
}

void SelectCells(CurveView& view, int first, int last) {
    Click(view, first);
    Click(view, last, Qt::ShiftModifier);
}

QString DumpedParams(SimProcess& sim) {
    sim.Command(QStringLiteral("dump"));
    const bool dumped = QTest::qWaitFor(
        [&] { return !sim.LinesStartingWith(QStringLiteral("params ")).isEmpty(); });
    const QStringList dumps = sim.LinesStartingWith(QStringLiteral("params "));
    return dumped ? dumps.constLast() : QString();
}
}  // namespace

class TestCurveEditor : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { linked_.Close(); }

    void editsOfTheCurveArrivePacedInOrderEachOnce() {
        CurveWindow* opened = OpenLinkedCurve();
        QVERIFY(opened != nullptr);
        CurveWindow& curve = *opened;
        CurveView& view = *curve.View();
        const PanelParams& panel = linked_.Dlg().Session().Panel();

        // A drag is one frame, at the value let go.
        qsizetype from = SendWatch::Seen(*linked_.sim);
        QTest::mousePress(&view, Qt::LeftButton, {}, view.PointOf(3));
        QTest::mouseMove(&view, QPoint(view.PointOf(3).x(), view.PointOf(7).y()));
        QTest::mouseRelease(&view, Qt::LeftButton, {},
                            QPoint(view.PointOf(3).x(), view.PointOf(7).y()));
        const int dragged = panel[3];
        QVERIFY2(dragged >= 78 && dragged <= 82, qPrintable(QString::number(dragged)));
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{3, dragged}})), QString());

        SelectCells(view, 4, 7);
        QCOMPARE(view.Selection(), ParamMask(0x00F0));
        struct Operation {
            Button button;
            int amount;
            int result;
        };
        const Operation operations[] = {{Button::Set, 100, 100},
                                        {Button::Add, 5, 105},
                                        {Button::Subtract, 3, 102},
                                        {Button::Scale, 50, 51}};
        for (const Operation& operation : operations) {
            QSpinBox* amount = operation.button == Button::Scale ? curve.Percent() : curve.Amount();
            amount->setValue(operation.amount);
            from = SendWatch::Seen(*linked_.sim);
            curve.ButtonOf(operation.button)->click();
            QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{4, operation.result},
                                                              {5, operation.result},
                                                              {6, operation.result},
                                                              {7, operation.result}})),
                     QString());
        }

        // A row from a spreadsheet goes in from the selected cell on.
        Click(view, 9);
        QGuiApplication::clipboard()->setText(QStringLiteral("0\t255\t7\r\n"));
        from = SendWatch::Seen(*linked_.sim);
        QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{9, 0}, {10, 255}, {11, 7}})), QString());
        QCOMPARE(curve.Message()->text(), Text(kChineseTexts.curve.pasteDone).arg(3));

        SelectCells(view, 8, 12);
        from = SendWatch::Seen(*linked_.sim);
        curve.ButtonOf(Button::Interpolate)->click();
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{9, 100}, {10, 110}, {11, 120}})),
                 QString());

        // 51 51 51 51 90: only the cell beside 90 moves, to (51 + 102 + 90) / 4.
        SelectCells(view, 4, 8);
        from = SendWatch::Seen(*linked_.sim);
        curve.ButtonOf(Button::Smooth)->click();
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{7, 61}})), QString());

        // Values already echoed go back when undone, and again when redone.
        from = SendWatch::Seen(*linked_.sim);
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{7, 51}})), QString());
        from = SendWatch::Seen(*linked_.sim);
        QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{9, 0}, {10, 255}, {11, 7}})), QString());
        from = SendWatch::Seen(*linked_.sim);
        QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{9, 100}, {10, 110}, {11, 120}})),
                 QString());

        QCOMPARE(DumpedParams(*linked_.sim),
                 QStringLiteral("params 10 20 30 %1 51 51 51 51 90 100 110 120 130 140 150 160")
                     .arg(dragged));
        QVERIFY(linked_.Dlg().Command(CommandId::kRedo)->isEnabled());
        QCOMPARE(linked_.Dlg().ParamEdit(10)->text(), QStringLiteral("110"));
    }

    void refusedPastesChangeNothing() {
        CurveWindow* opened = OpenLinkedCurve();
        QVERIFY(opened != nullptr);
        CurveWindow& curve = *opened;
        CurveView& view = *curve.View();
        const CurveTexts& texts = kChineseTexts.curve;
        const QString seventeen = QStringLiteral("1\t").repeated(16) + QStringLiteral("1");
        const struct {
            QString clipboard;
            int firstCell;
            QString message;
        } cases[] = {
            {QStringLiteral(" \t\n"), 0, Text(texts.pasteEmpty)},
            {QStringLiteral("1\tx\t3"), 0, Text(texts.pasteNotANumber).arg(2).arg("x")},
            {QStringLiteral("1\t2.5"), 0, Text(texts.pasteNotANumber).arg(2).arg("2.5")},
            {QStringLiteral("7\t256"), 0, Text(texts.pasteOutOfRange).arg(2).arg("256")},
            {QStringLiteral("-1"), 0, Text(texts.pasteOutOfRange).arg(1).arg("-1")},
            {seventeen, 0, Text(texts.pasteTooMany)},
            {QStringLiteral("1\t2\t3"), 14, Text(texts.pastePastEnd).arg(14).arg(3)},
        };
        const PanelParams before = linked_.Dlg().Session().Panel();
        const qsizetype from = SendWatch::Seen(*linked_.sim);
        for (const auto& refused : cases) {
            Click(view, refused.firstCell);
            QGuiApplication::clipboard()->setText(refused.clipboard);
            curve.ButtonOf(Button::Paste)->click();
            QCOMPARE(curve.Message()->text(), refused.message);
            QCOMPARE(linked_.Dlg().Session().Panel(), before);
        }
        QVERIFY(!linked_.Dlg().Session().CanUndo());
        QTest::qWait(SendWatch::kQuietMs);
        QCOMPARE(SendWatch::Seen(*linked_.sim), from);
    }

    // The keys reach the panel's history from a parameter's edit too, whose
    // own undo would otherwise take them.
    void undoOfAFileLoadFromAnEditRestoresThePanel() {
        QVERIFY(OpenLinkedCurve() != nullptr);
        CCalibDlg& dlg = linked_.Dlg();
        const PanelParams before = dlg.Session().Panel();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.tq4"));
        QVERIFY(ParamFileTest::WriteBytes(
            path, ParamFileTest::LittleEndian(
                      {10, 25, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 99, 160})));
        qsizetype from = SendWatch::Seen(*linked_.sim);
        ModalDriver driver;
        driver.TypeName(path);
        dlg.Command(CommandId::kFileOpen)->trigger();
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{1, 25}, {14, 99}})), QString());

        dlg.activateWindow();
        dlg.ParamEdit(5)->setFocus();
        QTRY_VERIFY(dlg.ParamEdit(5)->hasFocus());
        QCOMPARE(dlg.Curve()->View()->Selection(), ParamMask(1 << 5));
        from = SendWatch::Seen(*linked_.sim);
        QTest::keyClick(dlg.ParamEdit(5), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(dlg.Session().Panel(), before);
        QCOMPARE(dlg.ParamEdit(14)->text(), QStringLiteral("150"));
        QCOMPARE(SendsProblem(from, SendWatch::SetFrames({{1, 20}, {14, 150}})), QString());
        QVERIFY(!dlg.Command(CommandId::kUndo)->isEnabled());
        QVERIFY(dlg.Command(CommandId::kRedo)->isEnabled());
    }

    // Without a link nothing can change the panel: buttons off, a drag and
    // the keys do nothing, and undo is not offered.
    void withoutALinkTheCurveChangesNothing() {
        QVERIFY(linked_.window.Open());
        CCalibDlg& dlg = linked_.Dlg();
        CurveWindow& curve = OpenCurve();
        CurveView& view = *curve.View();
        for (Button button :
             {Button::Set, Button::Add, Button::Subtract, Button::Scale, Button::Interpolate,
              Button::Smooth, Button::Paste, Button::Undo, Button::Redo}) {
            QVERIFY(!curve.ButtonOf(button)->isEnabled());
        }
        QVERIFY(curve.ButtonOf(Button::Copy)->isEnabled());
        QTest::mousePress(&view, Qt::LeftButton, {}, view.PointOf(2));
        QTest::mouseMove(&view, view.PointOf(2) - QPoint(0, 100));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, view.PointOf(2) - QPoint(0, 100));
        QTest::keyClick(&view, Qt::Key_Plus);
        QGuiApplication::clipboard()->setText(QStringLiteral("5"));
        QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(curve.Message()->text(), Text(kChineseTexts.curve.notEditable));
        QCOMPARE(dlg.Session().Panel(), PanelParams{});
        QVERIFY(!dlg.Command(CommandId::kUndo)->isEnabled());
    }

    // The editor looks as its references do in both languages, and its
    // points are named for screen readers with their cell, value and times.
    void looksAsItsReferencesAndNamesItsPoints() {
        QVERIFY(linked_.window.Open());
        CCalibDlg& dlg = linked_.Dlg();
        CurveWindow& curve = OpenCurve();
        CurveView& view = *curve.View();
        PanelParams values{};
        PanelParams stored{};
        PanelParams file{};
        for (int k = 0; k < kParamCount; ++k) {
            values[k] = 40 + 12 * k - (k == 6 ? 30 : 0);
            stored[k] = 40 + 12 * k;
            file[k] = 60 + 8 * k;
        }
        view.SetValues(values);
        view.SetStored(stored);
        view.SetFileOverlay(file, QStringLiteral("car.tq4"));
        view.SetLiveCell(5);
        view.SetSelection(0x0070);
        curve.setFixedSize(kReferenceSize);
        for (const bool english : {false, true}) {
            if (english) dlg.ApplyEnglishTexts();
            const QString reference = kReferences + (english ? QStringLiteral("/curve-en.png")
                                                             : QStringLiteral("/curve-zh.png"));
            // The new texts' sizes are laid out before the picture is taken.
            QCoreApplication::sendPostedEvents();
            curve.layout()->activate();
            QVERIFY(ReferencePicture::Matches(ReferencePicture::Grabbed(curve), reference));
        }

        QAccessibleInterface* curveInterface = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(curveInterface != nullptr);
        QCOMPARE(curveInterface->text(QAccessible::Name), Text(kEnglishTexts.curve.curveName));
        QCOMPARE(curveInterface->childCount(), kParamCount);
        QAccessibleInterface* point = curveInterface->child(6);
        QCOMPARE(point->text(QAccessible::Name),
                 QStringLiteral("Cell 6: 82, petrol time 6.144–7.168 ms, selected"));
        QVERIFY(point->state().selected);
        QVERIFY(!curveInterface->child(7)->state().selected);
        QCOMPARE(curveInterface->indexOfChild(point), 6);
        const QPoint centre = view.mapToGlobal(view.PointOf(9));
        QCOMPARE(curveInterface->childAt(centre.x(), centre.y()), curveInterface->child(9));
    }

private:
    CurveWindow& OpenCurve() {
        linked_.Dlg().Command(CommandId::kShowCurve)->trigger();
        return *linked_.Dlg().Curve();
    }

    // The window linked to a controller with the parameters 10, 20 .. 160,
    // and its curve editor open; null when the link did not come up.
    CurveWindow* OpenLinkedCurve() {
        if (!linked_.Start(kControllerParams)) return nullptr;
        CurveWindow* curve = &OpenCurve();
        const bool editable =
            QTest::qWaitFor([&] { return curve->ButtonOf(Button::Set)->isEnabled(); });
        return editable ? curve : nullptr;
    }

    // Empty when the frames after the first `from` came as expected.
    QString SendsProblem(qsizetype from, const QStringList& expected) {
        return SendWatch::Check(SendWatch::Watch(*linked_.sim, from, expected.size()), expected);
    }

    LinkedWindow linked_;
};

QTEST_MAIN(TestCurveEditor)
#include "tst_curveeditor.moc"
