// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/LayoutReport.h"

#include <QAction>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace {
const QString kPathSeparator = QStringLiteral("/");

bool Reported(const QObject& object) {
    const QString name = object.objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}

// Empty when the widget or one of its parents below the window is not reported.
QString PathBelow(const QWidget& window, const QWidget& widget) {
    QStringList names;
    for (const QWidget* part = &widget; part != &window; part = part->parentWidget()) {
        if (part == nullptr || part->isWindow() || !Reported(*part)) return {};
        names.prepend(part->objectName());
    }
    return names.join(kPathSeparator);
}

QJsonArray ToJson(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

void AddMenuTitles(QJsonObject& report, const QWidget& window, const QMenuBar& menuBar) {
    const QString barPath = PathBelow(window, menuBar);
    if (barPath.isEmpty()) return;
    const QPoint origin = menuBar.mapTo(&window, QPoint());
    for (QAction* title : menuBar.actions()) {
        const QMenu* menu = title->menu();
        if (menu == nullptr || !Reported(*menu)) continue;
        report.insert(barPath + kPathSeparator + menu->objectName(),
                      ToJson(menuBar.actionGeometry(title).translated(origin)));
    }
}

bool Write(const QJsonObject& report, const QString& path) {
    // Written whole or not at all, so a reader never sees half a report.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(report).toJson());
    return file.commit();
}

// Waits for the window's first show; the layouts it starts settle before the
// queued write runs.
class ShowWatcher : public QObject {
public:
    ShowWatcher(QWidget& window, QString path)
        : QObject(&window), window_(window), path_(std::move(path)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                Write(LayoutReport::Describe(window_), path_);
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget& window_;
    QString path_;
};
}  // namespace

namespace LayoutReport {

QJsonObject Describe(const QWidget& window) {
    QJsonObject report;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const QString path = PathBelow(window, *widget);
        if (path.isEmpty()) continue;
        report.insert(path, ToJson(QRect(widget->mapTo(&window, QPoint()), widget->size())));
    }
    for (const QMenuBar* menuBar : window.findChildren<QMenuBar*>()) {
        AddMenuTitles(report, window, *menuBar);
    }
    return report;
}

void WriteWhenShown(QWidget& window) {
    const QString path = qEnvironmentVariable(kFileVariable);
    if (!path.isEmpty()) new ShowWatcher(window, path);
}

}  // namespace LayoutReport
