// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>

// Answers the modal dialogs that a step opens, one answer per dialog in the
// order they appear: a file dialog gets a name typed into its file-name field
// and is accepted (as a user would; selecting a file right after opening is
// lost while the dialog's model loads), or is cancelled; a message box gets
// one of its buttons pressed. What each dialog showed is kept. A dialog with
// no answer left is recorded and cancelled, so a test never hangs on it.
class ModalDriver {
public:
    struct Seen {
        QString className;
        QString title;
        QWidget* parent = nullptr;
        bool modal = false;
        // Message boxes.
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        // File dialogs.
        QString fileName;
        QStringList nameFilters;
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
        QFileDialog::Options options;
        QString defaultSuffix;

        bool IsBox() const { return className == QStringLiteral("QMessageBox"); }
        bool IsFileDialog() const { return className == QStringLiteral("QFileDialog"); }
    };

    explicit ModalDriver(int timeoutMs = 20000) {
        clock_.start();
        timer_.setInterval(kPollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this, timeoutMs] { Poll(timeoutMs); });
        timer_.start();
    }

    // The next dialog is a file dialog: type this name (absolute, or relative
    // to directory if one is given) and accept. onAccepted runs once the
    // dialog has closed with the name, before the command goes on.
    ModalDriver& TypeName(const QString& name, const QString& directory = {},
                          std::function<void()> onAccepted = {}) {
        answers_.push_back({Kind::TypeName, name, directory, QMessageBox::NoButton, onAccepted});
        return *this;
    }
    // The next dialog is cancelled (Escape).
    ModalDriver& Cancel() {
        answers_.push_back({Kind::Cancel, {}, {}, QMessageBox::NoButton, {}});
        return *this;
    }
    // The next dialog is a message box: press this button.
    ModalDriver& Press(QMessageBox::StandardButton button) {
        answers_.push_back({Kind::Press, {}, {}, button, {}});
        return *this;
    }

    // Dialogs are left alone until this holds (for instance, until a timer
    // has shown that it runs behind the dialog).
    std::function<bool()> actWhen;

    QList<Seen> seen;
    int Unanswered() const { return int(answers_.size()); }
    bool TimedOut() const { return timedOut_; }

private:
    enum class Kind { TypeName, Cancel, Press };
    struct Answer {
        Kind kind;
        QString name;
        QString directory;
        QMessageBox::StandardButton button;
        std::function<void()> onAccepted;
    };
    static constexpr int kPollMs = 20;

    void Poll(int timeoutMs) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog == lastHandled_) {
            candidate_ = nullptr;
            return;
        }
        // Only a dialog still there at the next poll: the one under a box
        // that just closed is active for a moment before it closes too.
        if (dialog != candidate_) {
            candidate_ = dialog;
            return;
        }
        if (clock_.elapsed() > timeoutMs) {
            timedOut_ = true;
        } else if (actWhen && !actWhen()) {
            return;
        }
        lastHandled_ = dialog;
        seen.append(Describe(dialog));
        if (timedOut_ || answers_.empty()) {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
        const Answer answer = answers_.front();
        answers_.pop_front();
        Apply(dialog, answer);
    }

    static void Apply(QDialog* dialog, const Answer& answer) {
        if (answer.kind == Kind::Cancel) {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        } else if (answer.kind == Kind::Press) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            QAbstractButton* button = box != nullptr ? box->button(answer.button) : nullptr;
            if (button != nullptr) {
                QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            if (!answer.directory.isEmpty()) files->setDirectory(answer.directory);
            if (answer.onAccepted) QObject::connect(files, &QDialog::accepted, answer.onAccepted);
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answer.name);
            QMetaObject::invokeMethod(files, &QDialog::accept, Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    }

    static Seen Describe(QDialog* dialog) {
        Seen entry;
        entry.className = QString::fromLatin1(dialog->metaObject()->className());
        entry.title = dialog->windowTitle();
        entry.parent = dialog->parentWidget();
        entry.modal = dialog->isModal();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            entry.text = box->text();
            entry.icon = box->icon();
            entry.buttons = box->standardButtons();
            entry.defaultButton = box->standardButton(box->defaultButton());
        }
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            entry.fileName = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            entry.nameFilters = files->nameFilters();
            entry.acceptMode = files->acceptMode();
            entry.fileMode = files->fileMode();
            entry.options = files->options();
            entry.defaultSuffix = files->defaultSuffix();
        }
        return entry;
    }

    std::deque<Answer> answers_;
    QPointer<QDialog> lastHandled_;
    QPointer<QDialog> candidate_;
    QTimer timer_;
    QElapsedTimer clock_;
    bool timedOut_ = false;
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

    // A longer poll keeps a test that measures the idle processor from
    // measuring the closer.
    explicit ModalCloser(int timeoutMs = 10000, int pollMs = 20) {
        clock_.start();
        timer_.setInterval(pollMs);
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
