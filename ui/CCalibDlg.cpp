// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// The window itself: its controls, its initialisation in the order that
// makes it safe, and how it paints and takes keys.
#include "ui/CCalibDlg.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <utility>

#include "link/LiveValues.h"
#include "ui/AccessibleNames.h"
#include "ui/AnalysisViews.h"
#include "ui/Artwork.h"
#include "ui/ControlColours.h"
#include "ui/ControlIds.h"
#include "ui/ControlSets.h"
#include "ui/CurveEditing.h"
#include "ui/DialogUnits.h"
#include "ui/LiveBar.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/ObdCommands.h"
#include "ui/QtTexts.h"
#include "ui/ReplayViews.h"
#include "ui/SpinButton.h"
#include "ui/StartupMarks.h"
#include "ui/StatusPanes.h"
#include "ui/TypedCharacterFilter.h"
#include "ui/UiTexts.h"
#include "ui/UnstoredMarks.h"
#include "ui/WindowFonts.h"
#include "ui/WindowLayout.h"

namespace {
using ControlSets::kBindingOrder;
using ControlSets::kLabelIds;
using ControlSets::kReadoutIds;

constexpr int kSpinLower = 0;
constexpr int kSpinUpper = 255;
// The first search's worker starts after the first paint, and no later than this.
constexpr int kFirstProbeLatestMs = 250;
// Shown where a background picture is missing.
const QColor kPlainBackground(0xed, 0xf2, 0xf7);

struct BarSetUp {
    int id;
    Colour colour;
    int maximum;
};
constexpr BarSetUp kBarSetUps[] = {
    {ControlId::kPetrolBar, kYellow, kPetrolBarMax},
    {ControlId::kGasBar, kCyan, kGasBarMax},
    {ControlId::kLambdaBar, kLambdaMiddle, kLambdaBarMax},
};

QImage PictureOrPlain(const char* resource) {
    QImage picture = Artwork::Picture(resource);
    if (picture.isNull()) {
        picture = QImage(Artwork::kBackgroundSize, QImage::Format_RGB32);
        picture.fill(kPlainBackground);
    }
    return picture;
}

bool IsEnterKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}
}  // namespace

CCalibDlg::CCalibDlg(CalibrationSession& session, QWidget* parent)
    : QDialog(parent), session_(session), appIcon_(Artwork::AppIcon()) {
    CreateControls();
    StartupMarks::Mark("controls");
    ConnectControls();
    ConnectMenu();
    ConnectSession();
    OnInitDialog();
}

CCalibDlg::~CCalibDlg() = default;

QAction* CCalibDlg::Command(int commandId) const {
    return menuBar_->Command(commandId);
}

LiveBar* CCalibDlg::Bar(int controlId) const {
    return qobject_cast<LiveBar*>(Control(controlId));
}

ChartWindow* CCalibDlg::Chart() const {
    return analysis_->Chart();
}

CellsPanel* CCalibDlg::Cells() const {
    return analysis_->Cells();
}

CurveWindow* CCalibDlg::Curve() const {
    return curveEditing_->Window();
}

QLabel* CCalibDlg::UnstoredMark(int k) const {
    return unstoredMarks_->Mark(k);
}

// The window as its template describes it: frame, font, menu, controls and
// their colours.
void CCalibDlg::CreateControls() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetCaption(QString::fromUtf8(kStartCaption));
    setFont(WindowFonts::SongFont(WindowFonts::kWindowPoints));

    menuBar_ = new MenuBar(kChineseTexts, this);
    menuBar_->setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    const int menuHeight = menuBar_->sizeHint().height();
    StartupMarks::Mark("menus");

    const DialogUnits units(font());
    clientOrigin_ = QPoint(0, menuHeight);
    clientRect_ = QRect(clientOrigin_, QSize(units.ToPixelsX(WindowLayout::kClientWidthUnits),
                                             units.ToPixelsY(WindowLayout::kClientHeightUnits)));
    setFixedSize(clientRect_.width(), clientRect_.bottom() + 1);
    menuBar_->setGeometry(0, 0, clientRect_.width(), menuHeight);

    controls_ = WindowLayout::BuildControls(this, units, clientOrigin_);
    StartupMarks::Mark("controls built");
    ControlColours::Apply(controls_);
    TakeControls();
    for (auto* button : {writeButton_, exitButton_}) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }
    unstoredMarks_ = new UnstoredMarks(this, units, clientOrigin_, writeButton_);
    StartupMarks::Mark("unstored marks");
    analysis_ = new AnalysisViews(this, session_, spins_);
    StartupMarks::Mark("analysis views");
    curveEditing_ = new CurveEditing(this, session_);
    StartupMarks::Mark("curve editing");
    obdCommands_ = new ObdCommands(this, *menuBar_, session_, kChineseTexts);
    replay_ = new ReplayViews(this, session_, menuBar_->PortMenu()->menuAction(),
                              [this]() -> const UiTexts& { return Texts(); });
    unstoredMarks_->Name(kChineseTexts.unstored);
}

void CCalibDlg::TakeControls() {
    for (int k = 0; k < kParamCount; ++k) {
        spins_[k] = static_cast<SpinButton*>(Control(ControlId::ParamSpin(k)));
        edits_[k] = static_cast<QLineEdit*>(Control(ControlId::ParamEdit(k)));
    }
    for (std::size_t i = 0; i < readouts_.size(); ++i) {
        readouts_[i] = static_cast<QLineEdit*>(Control(kReadoutIds[i]));
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = static_cast<QLabel*>(Control(kLabelIds[i]));
    }
    writeButton_ = static_cast<QPushButton*>(Control(ControlId::kWriteButton));
    exitButton_ = static_cast<QPushButton*>(Control(ControlId::kExitButton));
}

void CCalibDlg::ConnectControls() {
    typedCharacterFilter_ = new TypedCharacterFilter(this);
    for (QLineEdit* readout : readouts_) readout->installEventFilter(typedCharacterFilter_);
    for (int k = 0; k < kParamCount; ++k) {
        ParamEdit(k)->installEventFilter(typedCharacterFilter_);
        ParamEdit(k)->installEventFilter(this);
        connect(ParamEdit(k), &QLineEdit::textChanged, this, [this, k] { OnParamEditChange(k); });
    }
    connect(exitButton_, &QPushButton::clicked, this, &CCalibDlg::OnCancelCommand);
    connect(writeButton_, &QPushButton::clicked, this, &CCalibDlg::OnWrite);
}

// The order matters: the session's timers cannot fire before this returns;
// its search starts only once the window shows its first status; and
// `initialised` comes last, so setting up the edits and spins stores nothing.
void CCalibDlg::OnInitDialog() {
    for (const int k : kBindingOrder) ParamEdit(k)->setText(QString::number(session_.Panel()[k]));
    setWindowIcon(appIcon_);
    InitStatusBar();
    InitLiveDisplay();
    AccessibleNames::Apply(controls_, *menuBar_, *statusBar_, kChineseTexts.accessible);
    englishUi_ = false;
    InitBackgrounds();
    StartupMarks::Mark("background");
    InitFonts();
    StartupMarks::Mark("fonts");
    InitSpins();
    SetEditingEnabled(false);
    InitBars();
    // The search's worker starts once the window has drawn itself, or a
    // moment later if it is never drawn (hidden or minimised).
    session_.Start(CalibrationSession::FirstProbe::WhenReleased);
    QTimer::singleShot(kFirstProbeLatestMs, this, [this] { session_.ReleaseFirstProbe(); });
    const QString setAside = session_.SetAsideRecord();
    if (!setAside.isEmpty())
        ShowLogMessage(Text(kChineseTexts.unstored.recordSetAside).arg(setAside));
    initialised = true;
    // The window opens showing its first status, not one refresh later.
    FlushDisplay();
    exitButton_->setFocus();
}

void CCalibDlg::InitStatusBar() {
    statusBar_ = new StatusPanes(this);
    statusBar_->setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    statusBar_->SetPaneWidths(clientRect_.width());
    statusBar_->SetBackgroundColour(ControlColours::ToQColor(kStatusNoLink));
    const int height = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, clientRect_.bottom() + 1 - height, clientRect_.width(), height);
}

void CCalibDlg::InitLiveDisplay() {
    LiveDisplay::Controls controls;
    for (int i = 0; i < LiveDisplay::kReadouts; ++i) {
        controls.readouts[i] = readouts_[i];
        controls.bars[i] = Bar(ControlSets::kBarIds[i]);
    }
    for (int k = 0; k < kParamCount; ++k) controls.markers[k] = Control(ControlId::CellMarker(k));
    controls.status = statusBar_;
    liveDisplay_ = new LiveDisplay(controls, this);
    liveDisplay_->Follow(session_);
}

// The English picture is made the first time it is shown: most sessions never
// switch, and it would cost start-up time and a megabyte and a half.
void CCalibDlg::InitBackgrounds() {
    chineseBackground_ = PictureOrPlain(Artwork::kChineseBackground);
}

const QImage& CCalibDlg::BackgroundPicture() const {
    if (!englishUi_) return chineseBackground_;
    if (englishBackground_.isNull())
        englishBackground_ = PictureOrPlain(Artwork::kEnglishBackground);
    return englishBackground_;
}

void CCalibDlg::InitFonts() {
    labelFont_ = WindowFonts::SongFont(WindowFonts::kWindowPoints, true);
    for (QLabel* label : labels_) label->setFont(labelFont_);
    readoutFont_ = WindowFonts::SongFont(WindowFonts::kReadoutPoints);
    for (QLineEdit* readout : readouts_) readout->setFont(readoutFont_);
}

void CCalibDlg::InitSpins() {
    for (int k = 0; k < kParamCount; ++k) {
        SpinButton* spin = Spin(k);
        spin->SetRange(kSpinLower, kSpinUpper);
        spin->SetBuddy(ParamEdit(k));
        spin->SetPosition(0);
    }
}

void CCalibDlg::InitBars() {
    for (const BarSetUp& setUp : kBarSetUps) {
        LiveBar* bar = Bar(setUp.id);
        bar->SetBackgroundColour(ControlColours::ToQColor(kBlack));
        bar->SetBarColour(ControlColours::ToQColor(setUp.colour));
        bar->SetRange(0, setUp.maximum);
        bar->SetPosition(0);
    }
}

void CCalibDlg::SetEditingEnabled(bool enabled) {
    for (SpinButton* spin : spins_) spin->setEnabled(enabled);
    writeButton_->setEnabled(enabled);
    Command(CommandId::kFileOpen)->setEnabled(enabled);
    Command(CommandId::kFileSave)->setEnabled(enabled);
}

void CCalibDlg::ShowParameter(int k, int value) {
    Spin(k)->SetPosition(value);
}

void CCalibDlg::FlushDisplay() {
    liveDisplay_->Flush();
}

void CCalibDlg::SetCaption(const QString& caption) {
    caption_ = caption;
    const bool unstored = unstoredMarks_ != nullptr && unstoredMarks_->Shown() != 0;
    setWindowTitle(unstored ? QString::fromUtf8(kUnstoredCaptionMark) + caption : caption);
}

void CCalibDlg::paintEvent(QPaintEvent* event) {
    StartupMarks::Mark("paint");
    // Once what is being drawn has gone to the screen.
    if (!std::exchange(painted_, true))
        QTimer::singleShot(0, this, [this] { session_.ReleaseFirstProbe(); });
    QPainter painter(this);
    const QRect menuStrip(0, 0, width(), clientOrigin_.y());
    painter.fillRect(event->rect() & menuStrip, palette().window());
    PaintBackground(painter, event->rect() & clientRect_);
}

// The picture repeats from the client area's top-left corner. It is drawn
// tile by tile rather than through a pattern brush: plain image copies
// allocate nothing while painting, a pattern fill does on every call.
void CCalibDlg::PaintBackground(QPainter& painter, const QRect& area) const {
    const QImage& picture = BackgroundPicture();
    const int tileWidth = picture.width();
    const int tileHeight = picture.height();
    for (int y = clientOrigin_.y(); y <= area.bottom(); y += tileHeight) {
        for (int x = clientOrigin_.x(); x <= area.right(); x += tileWidth) {
            const QRect target = QRect(x, y, tileWidth, tileHeight) & area;
            if (!target.isEmpty()) painter.drawImage(target, picture, target.translated(-x, -y));
        }
    }
}

// Enter in an edit (or anywhere but on a button) is the OK command; Escape
// goes on to the dialog, which cancels.
void CCalibDlg::keyPressEvent(QKeyEvent* event) {
    if (IsEnterKey(*event)) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Enter on a button presses that button; the window has no default button.
bool CCalibDlg::eventFilter(QObject* watched, QEvent* event) {
    for (int k = 0; k < kParamCount; ++k) {
        if (watched == ParamEdit(k)) return FilterParamEditEvent(k, event);
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || event->type() != QEvent::KeyPress) return false;
    if (!IsEnterKey(*static_cast<QKeyEvent*>(event))) return false;
    button->click();
    return true;
}

// The edits take no typed text, so their own undo has nothing to undo: the
// keys go to the panel's history instead.
bool CCalibDlg::FilterParamEditEvent(int k, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        curveEditing_->SelectCell(k);
        return false;
    }
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    for (const int commandId : {CommandId::kUndo, CommandId::kRedo}) {
        for (const QKeySequence& shortcut : Command(commandId)->shortcuts()) {
            if (QKeySequence(key->keyCombination()) == shortcut) {
                event->ignore();
                return true;
            }
        }
    }
    return false;
}
