// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#include "ui/CurveEditing.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSpinBox>

#include "edit/SelectionOperations.h"
#include "edit/ValueRow.h"
#include "files/ParamFile.h"
#include "session/CalibrationSession.h"
#include "ui/CurveView.h"
#include "ui/ParamFileCommands.h"
#include "ui/QtTexts.h"
#include "ui/ShowInFront.h"
#include "ui/UiTexts.h"

namespace {
using Button = CurveWindow::Button;
}  // namespace

CurveEditing::CurveEditing(QWidget* window, CalibrationSession& session)
    : QObject(window), window_(window), session_(session) {}

void CurveEditing::Show(const UiTexts& texts) {
    texts_ = &texts;
    if (curve_ == nullptr) {
        curve_ = new CurveWindow(texts.curve, window_);
        Follow();
    }
    ShowInFront(curve_);
}

void CurveEditing::SetLanguage(const UiTexts& texts) {
    texts_ = &texts;
    if (curve_ != nullptr) curve_->SetLanguage(texts.curve);
}

void CurveEditing::SelectCell(int k) {
    if (curve_ != nullptr && k >= 0 && k < kParamCount)
        curve_->View()->SetSelection(CellRange(k, k));
}

void CurveEditing::Follow() {
    CurveView* view = curve_->View();
    connect(&session_, &CalibrationSession::panelValueChanged, this, &CurveEditing::ShowPanel);
    connect(&session_, &CalibrationSession::unstoredChanged, this, &CurveEditing::ShowPanel);
    connect(&session_, &CalibrationSession::linkUpChanged, this, &CurveEditing::ShowPanel);
    connect(&session_, &CalibrationSession::cellMarkerShown, view, &CurveView::SetLiveCell);
    connect(&session_, &CalibrationSession::liveDisplayCleared, view,
            [view] { view->SetLiveCell(-1); });
    connect(&session_, &CalibrationSession::historyChanged, this, &CurveEditing::ShowHistory);
    connect(&session_, &CalibrationSession::editingChanged, this, &CurveEditing::ShowHistory);
    connect(&session_, &CalibrationSession::replayStarted, this, &CurveEditing::ShowHistory);
    connect(&session_, &CalibrationSession::replayEnded, this, &CurveEditing::ShowHistory);
    connect(curve_, &CurveWindow::buttonClicked, this, &CurveEditing::OnButton);
    connect(view, &CurveView::pointDragged, this, &CurveEditing::Drag);
    connect(view, &CurveView::stepRequested, this, &CurveEditing::Step);
    connect(view, &CurveView::copyRequested, this, [this] { Copy(curve_->View()->Selection()); });
    connect(view, &CurveView::pasteRequested, this, &CurveEditing::Paste);
    ShowPanel();
    ShowHistory();
}

void CurveEditing::ShowPanel() {
    curve_->View()->SetValues(session_.Panel());
    curve_->View()->SetStored(session_.StoredSet());
}

// What can be edited and undone follows the session's editing and replays.
void CurveEditing::ShowHistory() {
    const bool editable = session_.Editing() && !session_.Replaying();
    curve_->SetEditable(editable);
    curve_->SetHistory(session_.CanUndo(), session_.CanRedo());
}

void CurveEditing::OnButton(Button button) {
    const ParamMask selection = curve_->View()->Selection();
    switch (button) {
        case Button::SelectAll:
            curve_->View()->SetSelection(kEveryParam);
            break;
        case Button::Copy:
            Copy(selection);
            break;
        case Button::CopyAll:
            Copy(kEveryParam);
            break;
        case Button::Paste:
            Paste();
            break;
        case Button::Undo:
            session_.Undo();
            break;
        case Button::Redo:
            session_.Redo();
            break;
        case Button::Compare:
            CompareWithFile();
            break;
        default:
            Operate(button);
            break;
    }
}

void CurveEditing::Operate(Button button) {
    const PanelParams& panel = session_.Panel();
    const ParamMask selection = curve_->View()->Selection();
    const int amount = curve_->Amount()->value();
    switch (button) {
        case Button::Set:
            Change(SetTo(panel, selection, amount), selection);
            break;
        case Button::Add:
            Change(AddTo(panel, selection, amount), selection);
            break;
        case Button::Subtract:
            Change(AddTo(panel, selection, -amount), selection);
            break;
        case Button::Scale:
            Change(ScaleBy(panel, selection, curve_->Percent()->value()), selection);
            break;
        case Button::Interpolate:
            Change(Interpolate(panel, selection), selection);
            break;
        case Button::Smooth:
            Change(Smooth(panel, selection), selection);
            break;
        default:
            break;
    }
}

void CurveEditing::Step(int steps) {
    const ParamMask selection = curve_->View()->Selection();
    Change(AddTo(session_.Panel(), selection, steps), selection);
}

void CurveEditing::Drag(int k, int value) {
    PanelParams values = session_.Panel();
    values[static_cast<std::size_t>(k)] = value;
    Change(values, CellRange(k, k));
}

bool CurveEditing::Change(const PanelParams& values, ParamMask which) {
    if (!session_.Editing() || session_.Replaying()) {
        curve_->ShowMessage(Text(texts_->curve.notEditable));
        ShowPanel();
        return false;
    }
    curve_->ShowMessage(QString());
    return session_.SetPanelValues(values, which);
}

void CurveEditing::Copy(ParamMask cells) {
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(FormatRow(session_.Panel(), cells)));
    int count = 0;
    for (int k = 0; k < kParamCount; ++k) count += IsSelected(cells, k) ? 1 : 0;
    curve_->ShowMessage(Text(texts_->curve.copied).arg(count));
}

// Values as many as were copied, from the first selected cell on; anything
// else is refused whole, with the panel as it was.
void CurveEditing::Paste() {
    const CurveTexts& texts = texts_->curve;
    const ParsedRow row = ParseRow(QGuiApplication::clipboard()->text().toStdString());
    const QString item = QString::fromStdString(row.item);
    switch (row.problem) {
        case ParsedRow::Problem::Empty:
            curve_->ShowMessage(Text(texts.pasteEmpty));
            return;
        case ParsedRow::Problem::NotANumber:
            curve_->ShowMessage(Text(texts.pasteNotANumber).arg(row.itemNumber).arg(item));
            return;
        case ParsedRow::Problem::OutOfRange:
            curve_->ShowMessage(Text(texts.pasteOutOfRange).arg(row.itemNumber).arg(item));
            return;
        case ParsedRow::Problem::TooMany:
            curve_->ShowMessage(Text(texts.pasteTooMany));
            return;
        case ParsedRow::Problem::None:
            break;
    }
    const int first = FirstSelected(curve_->View()->Selection());
    PanelParams values = session_.Panel();
    const int count = static_cast<int>(row.values.size());
    if (!PlaceRow(values, first, row.values)) {
        curve_->ShowMessage(Text(texts.pastePastEnd).arg(first).arg(count));
        return;
    }
    if (Change(values, CellRange(first, first + count - 1))) {
        curve_->ShowMessage(Text(texts.pasteDone).arg(count));
    }
}

// A set in a file drawn over the curve to compare with; the panel stays as
// it is.
void CurveEditing::CompareWithFile() {
    const std::optional<QString> path = ParamFileCommands::AskOpenPath(curve_);
    if (!path) return;
    const std::optional<PanelParams> read =
        ParamFileCommands::Read(curve_, *path, session_.Panel(), texts_->files);
    if (!read) return;
    PanelParams values{};
    for (int k = 0; k < kParamCount; ++k) {
        values[static_cast<std::size_t>(k)] = SpinPositionFor((*read)[static_cast<std::size_t>(k)]);
    }
    curve_->View()->SetFileOverlay(values, QFileInfo(*path).fileName());
}
