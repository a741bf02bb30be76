// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// What the live controls repaint when a value moves: only the strip that
// changed, and the strip brings the picture exactly to what a full paint
// draws. Also the menu bar's overflow arrows, drawn late but the same.
#include <QImage>
#include <QMenuBar>
#include <QPaintEvent>
#include <QRegion>
#include <QStyleFactory>
#include <QTest>

#include "ui/CurveView.h"
#include "ui/LazyIconStyle.h"
#include "ui/LiveBar.h"
#include "ui/UiTexts.h"

namespace {
constexpr QSize kBarSize(120, 14);

// The region of the paint events a widget gets.
class PaintRegions : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

QImage FullPaint(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    widget.render(&image);
    return image;
}
}  // namespace

class TestPartialPaint : public QObject {
    Q_OBJECT

private slots:
    void aMovedBarRepaintsOnlyTheStripThatChanged_data() {
        QTest::addColumn<bool>("segmented");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (const bool segmented : {true, false}) {
            const char* fill = segmented ? "segmented" : "smooth";
            QTest::addRow("%s, rising", fill) << segmented << 10 << 73;
            QTest::addRow("%s, falling", fill) << segmented << 90 << 41;
            QTest::addRow("%s, to empty", fill) << segmented << 55 << 0;
            QTest::addRow("%s, from empty to full", fill) << segmented << 0 << 100;
            QTest::addRow("%s, within a segment", fill) << segmented << 50 << 52;
        }
    }

    void aMovedBarRepaintsOnlyTheStripThatChanged() {
        QFETCH(bool, segmented);
        QFETCH(int, from);
        QFETCH(int, to);
        LiveBar bar(segmented ? LiveBar::Fill::Segmented : LiveBar::Fill::Smooth);
        bar.resize(kBarSize);
        bar.SetRange(0, 100);
        bar.SetPosition(from);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QImage shown = FullPaint(bar);
        const int filledBefore = bar.FilledWidth();

        PaintRegions regions;
        bar.installEventFilter(&regions);
        bar.SetPosition(to);
        QTRY_VERIFY(!regions.painted.isEmpty());
        // No more than the columns between the old end and the new.
        const QRect strip = regions.painted.boundingRect();
        QCOMPARE(strip.width(), std::abs(bar.FilledWidth() - filledBefore));
        QCOMPARE(strip.height(), kBarSize.height() - 2);
        // And what they hold then is what a full paint draws.
        bar.render(&shown, strip.topLeft(), regions.painted);
        QCOMPARE(shown, FullPaint(bar));
    }

    void theCurveRepaintsOnlyTheColumnsOfTheEnginesOldAndNewCell_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addRow("next cell") << 3 << 4;
        QTest::addRow("far cell") << 1 << 14;
        QTest::addRow("engine gone") << 9 << -1;
        QTest::addRow("engine back") << -1 << 0;
    }

    void theCurveRepaintsOnlyTheColumnsOfTheEnginesOldAndNewCell() {
        QFETCH(int, from);
        QFETCH(int, to);
        CurveView curve(kEnglishTexts.curve);
        curve.resize(640, 320);
        PanelParams values{};
        for (int k = 0; k < kParamCount; ++k) values[std::size_t(k)] = 40 + 9 * k;
        curve.SetValues(values);
        curve.SetLiveCell(from);
        curve.show();
        QVERIFY(QTest::qWaitForWindowExposed(&curve));
        QImage shown = FullPaint(curve);

        PaintRegions regions;
        curve.installEventFilter(&regions);
        curve.SetLiveCell(to);
        QTRY_VERIFY(!regions.painted.isEmpty());
        const QRegion columns = QRegion(curve.LiveCellRect(from)) + curve.LiveCellRect(to);
        QCOMPARE(regions.painted, columns);
        QVERIFY(columns.boundingRect().height() < curve.height());
        curve.render(&shown, regions.painted.boundingRect().topLeft(), regions.painted);
        QCOMPARE(shown, FullPaint(curve));
    }

    void theMenuBarsOverflowArrowsAreDrawnAsTheStyleDrawsThem() {
        auto* style = new LazyIconStyle;
        style->setParent(this);
        QStyle* base = QStyleFactory::create(QStringLiteral("Fusion"));
        base->setParent(this);
        for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                                 QStyle::SP_ToolBarVerticalExtensionButton}) {
            const QIcon deferred = style->standardIcon(which);
            const QIcon direct = base->standardIcon(which);
            QVERIFY(!deferred.isNull());
            QCOMPARE(deferred.availableSizes(), direct.availableSizes());
            for (const int side : {8, 16, 32}) {
                QCOMPARE(deferred.actualSize(QSize(side, side)),
                         direct.actualSize(QSize(side, side)));
                QCOMPARE(deferred.pixmap(side).toImage(), direct.pixmap(side).toImage());
            }
            // A copy draws the same, before and after the original was drawn.
            const QIcon copy = deferred;
            QCOMPARE(copy.pixmap(16).toImage(), direct.pixmap(16).toImage());
        }
        // Every other icon is the style's own.
        QCOMPARE(style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32).toImage(),
                 base->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32).toImage());
    }
};

QTEST_MAIN(TestPartialPaint)
#include "tst_partialpaint.moc"
