// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Changes the controller has not stored: shown at a glance, asked about
// before they could be lost, and kept against a crash.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "files/ParamFile.h"
#include "link/ControllerLink.h"
#include "serial/SerialChannel.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/DialogUnits.h"
#include "ui/RecoveryFiles.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"
#include "ui/WindowLayout.h"

namespace {
// Beyond what the pacing needs: time for the echoes, for late ticks and for
// values the controller reports back unchanged and that go out again.
constexpr int kEchoAllowanceMs = 3000;
constexpr int kWritePollMs = 10;
constexpr char kSavedAtFormat[] = "yyyy-MM-dd HH:mm";

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

bool IsSet(ParamMask mask, int k) {
    return ((mask >> k) & 1U) != 0;
}

const UnstoredTexts& TextsOf(bool english) {
    return (english ? kEnglishTexts : kChineseTexts).unstored;
}

QAbstractButton* NameButton(QMessageBox& box, QMessageBox::StandardButton which, const char* text) {
    QPushButton* button = box.addButton(which);
    button->setText(Text(text));
    return button;
}

// "3, 7, 12": the parameters of a mask, by number.
QString ParamList(ParamMask mask) {
    QStringList numbers;
    for (int k = 0; k < kParamCount; ++k) {
        if (IsSet(mask, k)) numbers << QString::number(k);
    }
    return numbers.join(QStringLiteral(", "));
}
}  // namespace

void CCalibDlg::InitUnstoredChanges() {
    const DialogUnits units(font());
    const QFont markFont = WindowFonts::SongFont(WindowFonts::kSystemPoints);
    for (int k = 0; k < kParamCount; ++k) {
        auto* mark = new QLabel(QString::fromUtf8(kUnstoredMarkText), this);
        const QRect rect = WindowLayout::UnstoredMarkRect(k);
        mark->setGeometry(units.ToPixels(rect.x(), rect.y(), rect.width(), rect.height())
                              .translated(clientOrigin_));
        mark->setObjectName(QStringLiteral("unstoredMark%1").arg(k));
        mark->setAlignment(Qt::AlignCenter);
        mark->setFont(markFont);
        ControlColours::ApplyToUnstoredMark(mark);
        mark->hide();
        unstoredMarks_[k] = mark;
    }
    NameUnstoredMarks(kChineseTexts);
    QWidget* write = Control(ControlId::kWriteButton);
    writeFont_ = write->font();
    writePalette_ = write->palette();
    recovery_ = new RecoveryFiles(this);
    connect(recovery_, &RecoveryFiles::writeFailed, this, &CCalibDlg::ReportRecoveryFailure);
}

void CCalibDlg::NameUnstoredMarks(const UiTexts& texts) {
    for (int k = 0; k < kParamCount; ++k) {
        unstoredMarks_[k]->setAccessibleName(Text(texts.unstored.markName).arg(k));
    }
}

void CCalibDlg::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(shownUnstored_ != 0 ? QString::fromUtf8(kUnstoredCaptionMark) + caption
                                       : caption);
}

std::optional<UnstoredRecord> CCalibDlg::CurrentRecord() const {
    if (shownUnstored_ == 0) return std::nullopt;
    UnstoredRecord record{panelParams, {}};
    const LinkState& state = link_->State();
    for (int k = 0; k < kParamCount; ++k) record.stored[k] = state.storedParams[k];
    return record;
}

// After anything that may change the panel or the stored set; cheap when
// nothing did.
void CCalibDlg::FollowUnstoredChanges() {
    const ParamMask unstored = UnstoredParams(State(), panelParams);
    if (unstored != shownUnstored_) ShowUnstored(unstored);
    recovery_->Follow(CurrentRecord());
    if (!recoveryOffered_ && State().panelLoaded) {
        recoveryOffered_ = true;
        // Where a record would be offered, a damaged one is named again,
        // once the log that begins with the link has taken the status pane.
        QMetaObject::invokeMethod(this, &CCalibDlg::ReportSetAsideRecord, Qt::QueuedConnection);
        // Asked outside the tick that loaded the panel, so no timer waits.
        if (recovery_->EarlierRecord())
            QMetaObject::invokeMethod(this, &CCalibDlg::OfferRecovery, Qt::QueuedConnection);
    }
}

void CCalibDlg::ShowUnstored(ParamMask unstored) {
    for (int k = 0; k < kParamCount; ++k) unstoredMarks_[k]->setVisible(IsSet(unstored, k));
    QWidget* write = Control(ControlId::kWriteButton);
    if (unstored != 0) {
        QFont bold = writeFont_;
        bold.setBold(true);
        QPalette emphasised = writePalette_;
        const QColor orange = ControlColours::ToQColor(kUnstoredOrange);
        emphasised.setColor(QPalette::Active, QPalette::ButtonText, orange);
        emphasised.setColor(QPalette::Inactive, QPalette::ButtonText, orange);
        write->setFont(bold);
        write->setPalette(emphasised);
    } else {
        write->setFont(writeFont_);
        write->setPalette(writePalette_);
    }
    shownUnstored_ = unstored;
    SetCaption(caption_);
}

CCalibDlg::UnstoredAnswer CCalibDlg::AskAboutUnstored() {
    const int count = CountParams(UnstoredParams(State(), panelParams));
    if (count == 0) return UnstoredAnswer::NoneUnstored;
    const UnstoredTexts& texts = TextsOf(englishUi_);
    const bool linkUp = State().linkUp;
    QString text = Text(texts.notStored).arg(count);
    if (!linkUp) text += QLatin1Char('\n') + Text(texts.cannotWriteNow);
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                    QMessageBox::NoButton, this);
    if (linkUp) NameButton(box, QMessageBox::Save, texts.writeAndContinue);
    NameButton(box, QMessageBox::Discard,
               linkUp ? texts.continueWithoutWriting : texts.continueAnyway);
    NameButton(box, QMessageBox::Cancel, texts.cancel);
    box.setDefaultButton(linkUp ? QMessageBox::Save : QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return WriteAndWait() ? UnstoredAnswer::Written : UnstoredAnswer::Cancelled;
        case QMessageBox::Discard:
            return UnstoredAnswer::LeftUnstored;
        default:
            return UnstoredAnswer::Cancelled;
    }
}

// Changes the user chose to leave unstored are not offered again.
bool CCalibDlg::MayEnd() {
    const UnstoredAnswer answer = AskAboutUnstored();
    if (answer == UnstoredAnswer::Cancelled) return false;
    FollowUnstoredChanges();
    recovery_->Finish(answer == UnstoredAnswer::LeftUnstored ? std::nullopt : CurrentRecord());
    return true;
}

// The pending values, their echoes and then the store frame, at the
// scheduler's pace; the user's input waits meanwhile, the link does not.
// Waiting ends once the store has left the channel, or the link is gone, or
// the time is up; then the store is no longer wanted, and the user hears that
// nothing was written.
bool CCalibDlg::WriteAndWait() {
    // A replay holds the link and its send ticks: nothing would go out.
    EndReplay();
    link_->RequestStoreOfPanel();
    const int waitMs = link_->TicksUntilSent() * TimerId::kSendPeriodMs + kEchoAllowanceMs;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    bool stored = false;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        stored = State().linkUp && link_->PanelStored() && !channel_->HasUnsentBytes();
        if (stored || !State().linkUp || clock.elapsed() >= waitMs) loop.quit();
    });
    poll.start(kWritePollMs);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    if (stored) return true;
    link_->DropPendingStore();
    const UnstoredTexts& texts = TextsOf(englishUi_);
    QMessageBox::critical(this, QApplication::applicationName(),
                          Text(State().linkUp ? texts.notWrittenInTime : texts.notWrittenLinkLost));
    FollowUnstoredChanges();
    return false;
}

// Once, at the first link-up of the run: the changes an earlier run left
// unstored, as far as the controller does not hold them now. Only a restore
// or a discard on purpose ends the record; a record made on another
// controller is kept unless the user says otherwise, and a program that ends
// while the question is open keeps it as it is.
void CCalibDlg::OfferRecovery() {
    const std::optional<RecoveryFiles::Earlier> earlier = recovery_->EarlierRecord();
    if (!earlier || !isVisible()) return;
    const bool sameController = MadeOnThisController(earlier->record, panelParams);
    const ParamMask restore = ParamsToRestore(earlier->record, panelParams);
    if (restore == 0) {
        // Nothing to give back here; another controller may still want it.
        sameController ? recovery_->DropEarlierRecord() : recovery_->KeepEarlierRecord();
        FollowUnstoredChanges();
        return;
    }
    const UnstoredTexts& texts = TextsOf(englishUi_);
    const QString text = Text(sameController ? texts.restoreQuestion : texts.restoreOtherQuestion)
                             .arg(CountParams(restore))
                             .arg(earlier->savedAt.toString(QString::fromLatin1(kSavedAtFormat)));
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::NoButton, this);
    QAbstractButton* restoreButton = NameButton(box, QMessageBox::Yes, texts.restore);
    QAbstractButton* discardButton = NameButton(box, QMessageBox::No, texts.discard);
    QAbstractButton* keepButton = NameButton(box, QMessageBox::Ignore, texts.keepForLater);
    box.setDefaultButton(sameController ? QMessageBox::Yes : QMessageBox::Ignore);
    box.setEscapeButton(keepButton);
    box.exec();
    const QAbstractButton* answer = box.clickedButton();
    if (answer == restoreButton) {
        // Lowest first, as the send scheduler then finds them.
        for (int k = 0; k < kParamCount; ++k) {
            if (IsSet(restore, k)) ShowParameter(k, earlier->record.panel[k]);
        }
        recovery_->DropEarlierRecord();
    } else if (answer == discardButton) {
        recovery_->DropEarlierRecord();
    } else if (answer == keepButton) {
        recovery_->KeepEarlierRecord();
    }
    FollowUnstoredChanges();
}

void CCalibDlg::ReportSetAsideRecord() {
    const QString name = recovery_->SetAsideName();
    if (!name.isEmpty()) ShowLogMessage(Text(TextsOf(englishUi_).recordSetAside).arg(name));
}

void CCalibDlg::AskAboutOtherController(std::uint16_t differing) {
    otherControllerParams_ = differing;
    QMetaObject::invokeMethod(this, &CCalibDlg::ResolveOtherController, Qt::QueuedConnection);
}

// The panel is kept in a file before anything can replace it; the default
// answer sends nothing. A program that ends while the question is open sends
// nothing either.
void CCalibDlg::ResolveOtherController() {
    if (!State().choicePending) return;
    const UnstoredTexts& texts = TextsOf(englishUi_);
    QString reason;
    const std::optional<QString> kept = recovery_->KeepSet(panelParams, reason);
    const QString text =
        Text(texts.otherController).arg(ParamList(otherControllerParams_)) + QLatin1Char('\n') +
        (kept ? Text(texts.panelKept).arg(*kept) : Text(texts.panelNotKept).arg(reason));
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text,
                    QMessageBox::NoButton, this);
    QAbstractButton* loadButton = NameButton(box, QMessageBox::Yes, texts.loadItsValues);
    QAbstractButton* sendButton = NameButton(box, QMessageBox::No, texts.sendPanelValues);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(loadButton);
    box.exec();
    if (box.clickedButton() == loadButton) {
        link_->ChooseControllerValues();
    } else if (box.clickedButton() == sendButton) {
        link_->ChoosePanelValues();
    }
    FollowUnstoredChanges();
}

// Once a run: the changes are still shown and guarded, only a crash would
// cost them.
void CCalibDlg::ReportRecoveryFailure(const QString& reason) {
    if (recoveryFailureShown_) return;
    recoveryFailureShown_ = true;
    const UnstoredTexts& texts = TextsOf(englishUi_);
    QMessageBox::warning(this, QApplication::applicationName(), Text(texts.cannotKeep).arg(reason));
}
