#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "LinkState.h"
#include "PortNames.h"
#include "PortProbeThread.h"

// Puts the process-wide link record back to its start values, as a fresh
// process would have it.
inline void ResetLinkState() {
    linkState.deviceParams.fill(0);
    linkState.receivedMask = 0;
    linkState.silenceTicks = 0;
    linkState.linkUp = false;
    linkState.linkUpTick = 0;
    linkState.panelLoaded = false;
    linkState.writeRequested = false;
    linkState.sendHoldoff = 0;
    linkState.portError = 0;
    linkState.probeFound.store(false);
    linkState.probePort.store(0);
    linkState.probeStop.store(false);
    linkState.englishUi = false;
    linkState.lambdaBand = 0;
    linkState.cellIndex = 0;
    linkState.petrolRaw = 0;
    linkState.lambdaRaw = 0;
    linkState.gasTimeUs = 0;
}

// Resolves no COM name, so a window's search finds nothing and opens nothing.
inline std::string NoDevice(int) {
    return {};
}

// Workers of earlier tests must not find anything for later ones.
inline bool WaitForProbesToEnd(int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (PortProbeThread::RunningCount() > 0 && clock.elapsed() < timeoutMs) QTest::qWait(20);
    return PortProbeThread::RunningCount() == 0;
}

// COM names for one test, changeable while workers read them.
class PortTable {
public:
    void Set(int port, const std::string& path) {
        std::lock_guard lock(mutex_);
        paths_[port] = path;
    }
    PortResolver Resolver() {
        return [this](int port) {
            std::lock_guard lock(mutex_);
            const auto it = paths_.find(port);
            return it == paths_.end() ? std::string() : it->second;
        };
    }

private:
    std::mutex mutex_;
    std::map<int, std::string> paths_;
};

// Closes the modal boxes that a step opens, by polling for the active modal
// widget. What each box said is kept; onBox may look at the box (and the
// world behind it) and return false to leave it open for a later poll.
class ModalCloser {
public:
    struct Seen {
        QString className;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    explicit ModalCloser(int timeoutMs = 10000) {
        clock_.start();
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this, timeoutMs] { Poll(timeoutMs); });
        timer_.start();
    }

    std::function<bool(QWidget*)> onBox;
    QList<Seen> seen;

private:
    void Poll(int timeoutMs) {
        if (clock_.elapsed() > timeoutMs) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || !dialog->isVisible()) return;
        if (onBox && !onBox(dialog)) return;
        Seen entry{QString::fromLatin1(dialog->metaObject()->className()),
                   dialog->windowTitle(),
                   {},
                   QMessageBox::NoIcon};
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            entry.text = box->text();
            entry.icon = box->icon();
        }
        seen.append(entry);
        dialog->done(QDialog::Rejected);
    }

    QTimer timer_;
    QElapsedTimer clock_;
};
